// How much memory the test process holds, for tests that check it stays flat.
// Apart from the game's headers: windows.h, which it needs there, must not
// meet them.
#pragma once

// What grows when something is kept round after round, in KiB. With the
// address sanitizer the resident size mostly shows its quarantine of freed
// blocks, so there the allocator's count of live bytes is taken.
long MemoryInUseKb();

// What replays see of this game: its state, as a trace line shows it and a
// check's digest is made of, and the score of the round a box ends. The
// runtime and the replay player know no game; this is the game's side.
#pragma once

#include <string>

#include "game/frmBomber.h"
#include "platform/core/runtime.h"
#include "platform/replay/format.h"

namespace app {

// The game's state as a trace line shows it after "|".
std::string DescribeState(frmBomber& form);

// The view of the game runtime started (or is about to start).
platform::replay::GameView ViewOf(platform::Runtime& runtime);

// "Brennow 1.0.0": who made a recording.
std::string MadeBy();

}  // namespace app

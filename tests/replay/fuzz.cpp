// libFuzzer's target for the replay reader: any bytes are read to their end
// or refused with a line's error, in bounded time and memory.
//   build-clang/tests/brennow_replay_fuzz -max_total_time=60 NEW_DIR tests/replay/corpus tests/replay/golden
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/replay/format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        platform::replay::Reader reader(in);
        platform::Time last{};
        std::string written;
        while (std::optional<platform::replay::Item> item = reader.Next()) {
            // What was read writes back as a line that reads again.
            if (reader.IsRecording()) {
                written += platform::replay::FormatLine(item->At, last, item->Is);
            }
        }
        if (!written.empty()) {
            std::istringstream again(platform::replay::Header("Brennow fuzz") + written);
            platform::replay::Reader reread(again);
            while (reread.Next()) {
            }
        }
    } catch (const platform::replay::ReadError&) {
        // Refused, with its line: as it should be for most bytes.
    }
    return 0;
}

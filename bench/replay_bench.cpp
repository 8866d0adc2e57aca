// What recording costs a round, side by side with the same round unrecorded,
// and how fast a recorded minute verifies.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/game_view.h"
#include "app/sessions.h"
#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/core/runtime.h"
#include "platform/graphics/media.h"
#include "platform/headless/headless_backend.h"
#include "platform/replay/recorder.h"

namespace {

constexpr int kLeft = 37;

// A round whose figure has walked off the playfield, where no obstacle can
// touch it, so that it never ends; with a recorder writing to a file when
// asked, as --record does.
struct Round {
    platform::HeadlessBackend backend;
    platform::Media media{embedded::SansSerif()};
    platform::Runtime runtime{backend, media, std::string(kApplicationTitle)};
    std::FILE* file = nullptr;
    std::optional<platform::replay::Recorder> recorder;
    frmBomber* form = nullptr;
    float x = 0;

    explicit Round(bool recorded, std::string* kept = nullptr)
    {
        if (recorded) {
            file = std::fopen("/dev/null", "wb");
            recorder.emplace(
                [this, kept](std::string_view piece) {
                    if (kept != nullptr) {
                        kept->append(piece);
                    }
                    return std::fwrite(piece.data(), 1, piece.size(), file) == piece.size() && std::fflush(file) == 0;
                },
                app::MadeBy(), app::ViewOf(runtime));
            runtime.Record(*recorder);
        }
        form = &runtime.Start<frmBomber>();
        for (int step = 0; step < 70; ++step) {
            runtime.Deliver(platform::KeyDownEvent{kLeft, 0});
        }
        runtime.Deliver(platform::MouseDownEvent{10, 340});
        runtime.Deliver(platform::MouseUpEvent{10, 340});
    }
    ~Round()
    {
        recorder.reset();
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    Round(const Round&) = delete;
    Round& operator=(const Round&) = delete;

    // 8 ms of play: the pointer moved (off the playfield, where it steers
    // nothing), and the timers that are due.
    void Play8ms()
    {
        x = x > 600 ? 470 : x + 1;
        backend.Post(backend.Now(), platform::MouseMoveEvent{x, 400});
        runtime.RunUntil(backend.Now() + std::chrono::milliseconds(8));
    }
};

// The pointer moving at 125 Hz all the while, the worst case for the file.
void RoundAt125Hz(benchmark::State& state)
{
    Round round(state.range(0) != 0);
    for (auto _ : state) {
        round.Play8ms();
    }
    state.SetLabel(state.range(0) != 0 ? "recorded" : "not recorded");
}
BENCHMARK(RoundAt125Hz)->Arg(0)->Arg(1);

// A recorded minute of that round, closed at its end, verified as
// brennow --verify does.
void VerifyAMinute(benchmark::State& state)
{
    std::string kept;
    {
        Round round(true, &kept);
        for (int i = 0; i < 7500; ++i) {
            round.Play8ms();
        }
        round.backend.Post(round.backend.Now(), platform::CloseEvent{});
        round.runtime.RunUntil(round.backend.Now() + std::chrono::milliseconds(1));
    }
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "brennow-bench-minute.replay";
    std::ofstream(path, std::ios::binary) << kept;
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        if (app::Verify(path.string(), out, err) != 0) {
            state.SkipWithError(("verify failed: " + out.str() + err.str()).c_str());
            break;
        }
    }
    state.counters["KiB"] = static_cast<double>(kept.size()) / 1024.0;
    std::filesystem::remove(path);
}
BENCHMARK(VerifyAMinute)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

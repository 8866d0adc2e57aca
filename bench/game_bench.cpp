// What one frame of a round costs: the obstacles' tick, the figure's drawing
// and the composing of the whole frame, measured against a plain copy of a
// frame of the same size, which no compositor can beat.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/core/compositor.h"
#include "platform/headless/headless_backend.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"

namespace {

constexpr int kLeft = 37;
constexpr int kSpace = 32;  // not an arrow: the figure is drawn where it stands

// A game on the headless backend whose figure has walked off the playfield,
// where no obstacle can touch it, so that the round never ends.
struct Game {
    platform::HeadlessBackend backend;
    platform::Media media{embedded::SansSerif()};
    platform::Runtime runtime{backend, media, std::string(kApplicationTitle)};
    frmBomber& form = runtime.Start<frmBomber>();

    Game()
    {
        for (int step = 0; step < 70; ++step) {
            runtime.Deliver(platform::KeyDownEvent{kLeft, 0});
        }
    }
    void StartRound()
    {
        runtime.Deliver(platform::MouseDownEvent{10, 340});
        runtime.Deliver(platform::MouseUpEvent{10, 340});
    }
};

void TimerTick(benchmark::State& state)
{
    Game game;
    for (auto _ : state) {
        game.form.Timer1_Timer();
    }
    benchmark::DoNotOptimize(game.form.Image1(0).Left);
}
BENCHMARK(TimerTick);

void FigureDrawing(benchmark::State& state)
{
    Game game;
    for (auto _ : state) {
        game.form.Form_KeyDown(kSpace, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FigureDrawing);

// A frame of a running round: the figure drawn, five obstacles, the score.
void ComposedFrame(benchmark::State& state)
{
    Game game;
    game.form.Form_KeyDown(kSpace, 0);
    game.StartRound();
    game.runtime.RunUntil(game.backend.Now() + std::chrono::seconds(1));
    platform::Surface frame;
    platform::Compose(game.form, frame);
    for (auto _ : state) {
        platform::Compose(game.form, frame);
        benchmark::DoNotOptimize(frame.Row(0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ComposedFrame);

// One whole period of a round as the loop runs it: the obstacles' tick, then
// the frame composed and handed to the backend (a copy, on the headless one).
void RoundPeriod(benchmark::State& state)
{
    Game game;
    game.form.Form_KeyDown(kSpace, 0);
    game.StartRound();
    for (auto _ : state) {
        game.runtime.RunUntil(game.backend.Now() + platform::kTimerResolution);
    }
}
BENCHMARK(RoundPeriod);

void PlainFrameCopy(benchmark::State& state)
{
    const platform::FormDesign& design = frmBomber::Design();
    const auto pixels = static_cast<std::size_t>(design.ClientWidth) * static_cast<std::size_t>(design.ClientHeight);
    const std::vector<std::uint32_t> from(pixels, 0x00102030U);
    std::vector<std::uint32_t> to(pixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), pixels * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PlainFrameCopy);

// The console report, keeping each benchmark's time per iteration (the median
// when the runs are repeated) for the comparison at the end.
class Reporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: a report piped to a file stays plain text.
    Reporter() : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration ? !medians_.contains(name) : median) {
                nanoseconds_[name] = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
                if (median) {
                    medians_.insert(name);
                }
            }
        }
    }
    const std::map<std::string, double>& Nanoseconds() const { return nanoseconds_; }

private:
    std::map<std::string, double> nanoseconds_;
    std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& times = reporter.Nanoseconds();
    const auto composed = times.find("ComposedFrame");
    const auto copy = times.find("PlainFrameCopy");
    if (composed != times.end() && copy != times.end() && copy->second > 0) {
        const double ratio = composed->second / copy->second;
        std::printf("composed frame / plain copy of a frame: %.2f (goal: at most 1.5, %s)\n", ratio,
                    ratio <= 1.5 ? "met" : "missed");
    }
    return 0;
}

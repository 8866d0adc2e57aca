// Ten thousand rounds to game over, each followed by the reload of the form:
// nothing may leak (the sanitizer build's leak checker sees to that at exit)
// and the memory in use must not grow from round to round.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/headless/headless_backend.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "tests/memory_in_use.h"

namespace {

using namespace std::chrono_literals;
using platform::Double;

// Counts the boxes instead of keeping each, so that the backend's own record
// does not grow with the rounds and hide or fake a leak.
class CountingBackend : public platform::HeadlessBackend {
public:
    platform::BoxResult ShowMessageBox(std::string_view /*title*/, std::string_view text,
                                       std::optional<platform::Time> /*deadline*/) override
    {
        ++Boxes;
        LastText = text;
        return platform::BoxResult::Dismissed;
    }

    long Boxes = 0;
    std::string LastText;
};

TEST(Reload, TenThousandGameOversLeakNothingAndKeepMemoryFlat)
{
    CountingBackend backend;
    platform::Media media(embedded::SansSerif());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
    frmBomber& form = runtime.Start<frmBomber>();

    // A click on the free area starts the round; obstacle 0 is put where its
    // next step lands on the figure. Every 50th round lasts long enough to
    // score, so that the score's label is rendered too.
    const auto round = [&](int n) {
        runtime.Deliver(platform::MouseDownEvent{10, 340});
        runtime.Deliver(platform::MouseUpEvent{10, 340});
        if (n % 50 == 0) {
            runtime.Deliver(platform::KeyDownEvent{37 + n / 50 % 4, 0});
            const Double y = form.PlayerY;
            form.PlayerY = 1000;  // out of reach meanwhile
            runtime.RunUntil(backend.Now() + 110ms);
            form.PlayerY = y;
        }
        form.Image1(0).Left = platform::CSng(form.PlayerX - Double(form.SpeedX(0)));
        form.Image1(0).Top = platform::CSng(form.PlayerY - Double(form.SpeedY(0)));
        runtime.RunUntil(backend.Now() + 20ms);
        const bool ended = backend.Boxes == n + 1 && form.Label1().Visible && !form.Timer1().Enabled &&
                           form.Score == 0 && !runtime.Finished();
        const std::string text = std::string("Oh NO!~ You lost! But you got ") + (n % 50 == 0 ? "10" : "0");
        return ended && backend.LastText == text;
    };

    int n = 0;
    for (; n < 1000; ++n) {
        ASSERT_TRUE(round(n)) << "round " << n << ": " << backend.LastText;
    }
    const long warm = MemoryInUseKb();
    for (; n < 10000; ++n) {
        ASSERT_TRUE(round(n)) << "round " << n << ": " << backend.LastText;
    }
    const long grown = MemoryInUseKb() - warm;
    std::cout << "memory in use after 1000 rounds " << warm << " KB, grown by " << grown << " KB over 9000 more\n";
    EXPECT_LT(grown, 1024) << "KB more in use after 9000 more rounds";
    EXPECT_EQ(form.LoadCount(), 10001U);
}

}  // namespace

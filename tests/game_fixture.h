// A game on the headless backend: the real form and runtime, a virtual clock,
// input that goes through the same routing as the real window's.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/headless/headless_backend.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"

using namespace std::chrono_literals;

class GameTest : public ::testing::Test {
protected:
    platform::HeadlessBackend backend;
    platform::Media media{embedded::SansSerif()};
    platform::Runtime runtime{backend, media, std::string(kApplicationTitle)};
    frmBomber& form = runtime.Start<frmBomber>();

    void Advance(platform::Time duration) { runtime.RunUntil(backend.Now() + duration); }
    void Click(float x, float y)
    {
        runtime.Deliver(platform::MouseDownEvent{x, y});
        runtime.Deliver(platform::MouseUpEvent{x, y});
    }
    void Key(int code) { runtime.Deliver(platform::KeyDownEvent{code, 0}); }
    void Move(float x, float y) { runtime.Deliver(platform::MouseMoveEvent{x, y}); }
    const platform::Surface& Frame() const { return backend.Frame(); }
    // Starts a round with a click on the free area of the window.
    void Start() { Click(10, 340); }
};

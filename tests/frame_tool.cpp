// Writes the frame the headless backend composes after a list of inputs, as a
// binary PPM, so that a screenshot of the real window can be compared with it
// pixel for pixel.
//   brennow_frame OUT.ppm [key:CODE] [move:X,Y] [click:X,Y] [press:X,Y] [release:X,Y] [wait:MS] ...
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/headless/headless_backend.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "tests/ppm.h"

namespace {

bool Apply(platform::Runtime& runtime, platform::HeadlessBackend& backend, const std::string& step)
{
    int a = 0;
    int b = 0;
    if (std::sscanf(step.c_str(), "key:%d", &a) == 1) {
        runtime.Deliver(platform::KeyDownEvent{a, 0});
    } else if (std::sscanf(step.c_str(), "move:%d,%d", &a, &b) == 2) {
        runtime.Deliver(platform::MouseMoveEvent{static_cast<float>(a), static_cast<float>(b)});
    } else if (std::sscanf(step.c_str(), "click:%d,%d", &a, &b) == 2) {
        runtime.Deliver(platform::MouseDownEvent{static_cast<float>(a), static_cast<float>(b)});
        runtime.Deliver(platform::MouseUpEvent{static_cast<float>(a), static_cast<float>(b)});
    } else if (std::sscanf(step.c_str(), "press:%d,%d", &a, &b) == 2) {
        runtime.Deliver(platform::MouseDownEvent{static_cast<float>(a), static_cast<float>(b)});
    } else if (std::sscanf(step.c_str(), "release:%d,%d", &a, &b) == 2) {
        runtime.Deliver(platform::MouseUpEvent{static_cast<float>(a), static_cast<float>(b)});
    } else if (std::sscanf(step.c_str(), "wait:%d", &a) == 1) {
        runtime.RunUntil(backend.Now() + std::chrono::milliseconds(a));
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: brennow_frame OUT.ppm [key:CODE|move:X,Y|click:X,Y|press:X,Y|release:X,Y|wait:MS]...\n";
        return 2;
    }
    platform::HeadlessBackend backend;
    platform::Media media(embedded::SansSerif());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
    runtime.Start<frmBomber>();
    for (int i = 2; i < argc; ++i) {
        if (!Apply(runtime, backend, argv[i])) {
            std::cerr << "brennow_frame: unknown step " << argv[i] << '\n';
            return 2;
        }
    }
    return WritePpm(argv[1], backend.Frame()) ? 0 : 1;
}

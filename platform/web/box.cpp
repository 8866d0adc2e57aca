#include "platform/web/box.h"

#include <emscripten.h>

#include <string>

#include "platform/web/present.h"

// The page's side, in library.js.
extern "C" {
void brennow_sleep(double milliseconds);
void brennow_wake();
int brennow_open_box(const char* title, int width, int height);
void brennow_close_box();
}

namespace platform {

PageClock::PageClock() : start_(emscripten_get_now()) {}

Time PageClock::Now() const
{
    const double milliseconds = emscripten_get_now() - start_;
    return std::chrono::duration_cast<Time>(std::chrono::duration<double, std::milli>(milliseconds));
}

bool SleepUntil(std::optional<Time> deadline, Time now)
{
    double milliseconds = -1;  // no deadline: sleep until input comes
    if (deadline) {
        milliseconds = WaitMilliseconds(*deadline, now);
        if (milliseconds == 0) {
            return false;
        }
    }
    brennow_sleep(milliseconds);
    return true;
}

void WebBox::Queue(const BoxInput& input)
{
    if (open_) {
        input_.push_back(input);
        brennow_wake();
    }
}

bool WebBox::Open(std::string_view title, const Surface& pixels)
{
    const std::string caption(title);
    if (brennow_open_box(caption.c_str(), pixels.Width(), pixels.Height()) == 0) {
        return false;
    }
    open_ = true;
    input_.clear();
    Show(pixels);
    return true;
}

void WebBox::Show(const Surface& pixels)
{
    PutBoxPixels(pixels);
}

std::optional<BoxInput> WebBox::Next(std::optional<Time> deadline)
{
    return TakeInput(input_, deadline, clock_);
}

void WebBox::Close()
{
    open_ = false;
    input_.clear();
    brennow_close_box();
}

}  // namespace platform

// A backend without a window, for tests: a virtual clock that only moves when
// the loop waits, scripted input, the presented frame kept as pixels and the
// message box answered by the test.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/backend.h"

namespace platform {

class HeadlessBackend : public Backend {
public:
    struct MessageBox {
        std::string Title;
        std::string Text;
        Time At{};
    };

    Time Now() override { return now_; }
    std::optional<InputEvent> WaitEvent(std::optional<Time> deadline) override;
    void Present(const Surface& frame, std::span<const Rect> changed) override
    {
        frame_ = frame;
        changed_.assign(changed.begin(), changed.end());
        ++presented_;
    }
    BoxResult ShowMessageBox(std::string_view title, std::string_view text, std::optional<Time> deadline) override;
    void DiscardInput() override;
    std::uint32_t ClockSeed() override;
    void ShowWindow() override { shown_ = true; }
    bool WindowShown() const { return shown_; }

    // Input that arrives at a time of the virtual clock.
    void Post(Time at, InputEvent event);
    // The clock jumps without the loop running, as when the process is stopped.
    void Stall(Time duration) { now_ += duration; }
    // The seed the clock gives is derived from this and the virtual time.
    void SetSeed(std::uint32_t seed) { seed_ = seed; }
    // How the test's callback ends a box: true (or Dismissed) as by its OK
    // button, false (or NotShown) as a box that could not be shown, Quit as a
    // close request or a signal while it was open.
    struct BoxAnswer {
        BoxAnswer(bool shown) : Result(shown ? BoxResult::Dismissed : BoxResult::NotShown) {}
        BoxAnswer(BoxResult result) : Result(result) {}
        BoxResult Result;
    };
    // Called while the box is open, before it closes. By default the box is
    // dismissed at once, or with a deadline, at the deadline and TimedOut.
    std::function<BoxAnswer(const MessageBox&)> OnMessageBox;

    const Surface& Frame() const { return frame_; }
    int PresentedFrames() const { return presented_; }
    // The parts the last frame presented changed; empty: all of it.
    const std::vector<Rect>& Changed() const { return changed_; }
    const std::vector<MessageBox>& MessageBoxes() const { return boxes_; }

private:
    struct Posted {
        Time At;
        InputEvent Event;
    };

    Time now_{};
    std::deque<Posted> input_;
    Surface frame_;
    std::vector<Rect> changed_;
    int presented_ = 0;
    bool shown_ = false;
    std::vector<MessageBox> boxes_;
    std::uint32_t seed_ = 1;
};

}  // namespace platform

#include "platform/core/box_loop.h"

#include "platform/core/message_box.h"

namespace platform {

namespace {

MessageBoxButton::Outcome Feed(MessageBoxButton& button, const BoxPointer& pointer)
{
    switch (pointer.What) {
    case BoxPointer::Down:
        return button.PointerDown(pointer.X, pointer.Y);
    case BoxPointer::Move:
        return button.PointerMove(pointer.X, pointer.Y);
    case BoxPointer::Up:
        return button.PointerUp(pointer.X, pointer.Y);
    case BoxPointer::Cancel:
        return button.PointerCancel();
    }
    return MessageBoxButton::Outcome::None;
}

}  // namespace

BoxResult RunMessageBox(BoxWindow& window, const TextRenderer& renderer, std::string_view title,
                        std::string_view text, std::optional<Time> deadline)
{
    const MessageBoxLayout layout = LayOutMessageBox(renderer, text);
    Surface pixels = DrawMessageBox(layout, false);
    if (!window.Open(title, pixels)) {
        return BoxResult::NotShown;
    }
    struct Closer {
        BoxWindow& window;
        explicit Closer(BoxWindow& open) : window(open) {}
        ~Closer() { window.Close(); }
        Closer(const Closer&) = delete;
        Closer& operator=(const Closer&) = delete;
    } closer(window);

    MessageBoxButton button(layout.Button);
    for (;;) {
        const std::optional<BoxInput> input = window.Next(deadline);
        if (!input) {
            return BoxResult::TimedOut;
        }
        MessageBoxButton::Outcome outcome = MessageBoxButton::Outcome::None;
        if (const auto* end = std::get_if<BoxEnd>(&*input)) {
            return end->Result;
        }
        if (std::holds_alternative<BoxRepaint>(*input)) {
            window.Show(pixels);
        } else if (const auto* pointer = std::get_if<BoxPointer>(&*input)) {
            outcome = Feed(button, *pointer);
        } else if (const auto* key = std::get_if<BoxKey>(&*input)) {
            outcome = button.Key(key->VirtualKey, key->Repeat);
        } else if (const auto* pad = std::get_if<PadEvent>(&*input)) {
            outcome = button.Pad(*pad);
        }
        if (outcome == MessageBoxButton::Outcome::Dismiss) {
            return BoxResult::Dismissed;
        }
        if (outcome == MessageBoxButton::Outcome::Redraw) {
            pixels = DrawMessageBox(layout, button.Pressed());
            window.Show(pixels);
        }
    }
}

}  // namespace platform

// The modal message box's hold on the loop: while one is open no timer ticks,
// and a quit the player asks for meanwhile waits until the handler that
// opened the box has returned.
#pragma once

#include <optional>
#include <string_view>

#include "platform/core/backend.h"

namespace platform {

class ModalBox {
public:
    bool Open() const { return open_; }
    bool QuitRequested() const { return quitRequested_; }

    // Shows the box through backend, open for exactly as long as the backend
    // shows it, however that ends; at the latest until deadline.
    BoxResult Show(Backend& backend, std::string_view title, std::string_view text,
                   std::optional<Time> deadline = std::nullopt)
    {
        struct Scope {
            bool& open;
            explicit Scope(bool& flag) : open(flag) { open = true; }
            ~Scope() { open = false; }
            Scope(const Scope&) = delete;
            Scope& operator=(const Scope&) = delete;
        } scope(open_);
        const BoxResult result = backend.ShowMessageBox(title, text, deadline);
        if (result == BoxResult::Quit) {
            quitRequested_ = true;
        }
        return result;
    }

    // The box was closed as by closing the window (a playback's box).
    void RequestQuit() { quitRequested_ = true; }

private:
    bool open_ = false;
    bool quitRequested_ = false;
};

}  // namespace platform

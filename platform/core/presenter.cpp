#include "platform/core/presenter.h"

#include <utility>

#include "platform/core/compositor.h"

namespace platform {

Presenter::Shown Presenter::WhatShows(const Form& form)
{
    Shown shown{form.LoadCount(), form.DrawingSurface().Generation(), {}};
    shown.Controls.reserve(form.Controls().size());
    for (const Control& control : form.Controls()) {
        const auto* label = std::get_if<Label>(&control);
        const bool visible = Base(control).Visible && !std::holds_alternative<Timer>(control);
        shown.Controls.push_back({visible, visible ? Bounds(control) : Rect{}, label ? label->Caption : std::string()});
    }
    return shown;
}

std::vector<Rect> Presenter::ChangedAreas(const Shown& before, const Shown& after, const Rect& frame)
{
    std::vector<Rect> changed;
    for (std::size_t i = 0; i < after.Controls.size() && i < before.Controls.size(); ++i) {
        if (before.Controls[i] != after.Controls[i]) {
            for (const ShownControl* c : {&before.Controls[i], &after.Controls[i]}) {
                if (c->Visible && !c->Bounds.Intersect(frame).Empty()) {
                    changed.push_back(c->Bounds.Intersect(frame));
                }
            }
        }
    }
    return changed;
}

void Presenter::PresentIfChanged(const Form& form)
{
    if (!form.IsLoaded()) {
        return;
    }
    Shown now = WhatShows(form);
    if (!exposed_ && now == shown_) {
        return;
    }
    const Backend::Canvas canvas = backend_.ScreenCanvas();
    Surface& frame = canvas.Pixels != nullptr ? *canvas.Pixels : frame_;
    const Target target{canvas.Pixels != nullptr, canvas.Generation};
    // Only the controls changed, on pixels that hold the frame before: make
    // afresh and show just where they were and where they are. Anything
    // else: the whole frame.
    std::vector<Rect> changed;
    const bool partly = !exposed_ && shown_ && composedInto_ == target && shown_->Load == now.Load &&
                        shown_->Drawing == now.Drawing && shown_->Controls.size() == now.Controls.size() &&
                        frame.Width() > 0;
    composedInto_.reset();  // until the frame is whole again
    if (partly) {
        changed = ChangedAreas(*shown_, now, frame.Bounds());
        if (changed.empty()) {
            shown_ = std::move(now);  // the change lies wholly off the frame
            return;
        }
        for (const Rect& area : changed) {
            ComposeArea(form, frame, area);
        }
    } else {
        Compose(form, frame);
    }
    composedInto_ = target;
    backend_.Present(frame, changed);
    shown_ = std::move(now);
    exposed_ = false;
}

}  // namespace platform

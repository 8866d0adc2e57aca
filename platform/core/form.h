// A form: the window's state as the game logic sees it. The form object lives
// from start-up to exit; its controls and its drawing surface belong to one
// load and are made afresh from the design at every load.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/core/controls.h"
#include "platform/core/services.h"
#include "platform/graphics/surface.h"
#include "platform/language/values.h"

namespace platform {

class Form {
public:
    Form(FormHost& host, const FormDesign& design);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the form if it is unloaded (controls from the design, then the
    // Load event), then shows it.
    void Show();
    bool IsLoaded() const { return loaded_; }

    Single ScaleWidth() const { return static_cast<Single>(design_.ClientWidth); }
    Single ScaleHeight() const { return static_cast<Single>(design_.ClientHeight); }
    std::string_view Caption() const { return design_.Caption; }
    const FormDesign& Design() const { return design_; }

    // Erases what was drawn at run time; the controls are not affected.
    void Cls();
    HDC hDC();
    const Surface& DrawingSurface() const { return surface_; }

    // The controls of the current load, in creation order.
    std::vector<Control>& Controls() { return controls_; }
    const std::vector<Control>& Controls() const { return controls_; }
    // Counts loads, so that a reference to one load's controls can be told
    // from the next.
    std::uint64_t LoadCount() const { return loadCount_; }

    // The events of the form and its controls; a form overrides those that
    // have handlers.
    virtual void OnLoad() {}
    virtual void OnClick() {}
    virtual void OnKeyDown(const Integer& /*KeyCode*/, const Integer& /*Shift*/) {}
    virtual void OnMouseMove(const Integer& /*Button*/, const Integer& /*Shift*/, const Single& /*X*/,
                             const Single& /*Y*/)
    {
    }
    virtual void OnControlClick(const ControlId& /*control*/) {}
    virtual void OnTimer(const ControlId& /*timer*/) {}

protected:
    // The element of the current load's controls with this name and index;
    // an index outside the control array raises error 9.
    template <class T>
    T& ControlNamed(std::string_view name, int index = -1)
    {
        return std::get<T>(Find(name, index));
    }

    // The old language's global services, for the handlers.
    Services& App() { return host_; }

    friend void Unload(Form& form);

private:
    Control& Find(std::string_view name, int index);
    void Load();

    FormHost& host_;
    const FormDesign& design_;
    bool loaded_ = false;
    std::uint64_t loadCount_ = 0;
    Surface surface_;
    std::vector<Control> controls_;
};

// Destroys the form's window content and controls; its own state stays.
void Unload(Form& form);

}  // namespace platform

#include "platform/core/form.h"

#include "platform/graphics/media.h"

namespace platform {

Form::Form(FormHost& host, const FormDesign& design) : host_(host), design_(design) {}

void Form::Show()
{
    if (!loaded_) {
        Load();
    }
    if (loaded_) {  // Load may have unloaded it again
        host_.FormShown();
    }
}

void Form::Load()
{
    surface_ = Surface(design_.ClientWidth, design_.ClientHeight, design_.BackColor);
    controls_.clear();
    controls_.reserve(design_.Controls.size());
    Media& media = host_.FormMedia();
    for (const ControlDesign& design : design_.Controls) {
        switch (design.Kind) {
        case ControlKind::Timer:
            controls_.emplace_back(Timer(design));
            break;
        case ControlKind::PictureBox:
            controls_.emplace_back(PictureBox(design, media.Picture(design.Picture), design_.BackColor));
            break;
        case ControlKind::Label:
            controls_.emplace_back(Label(design, media.Text(), design.Font.value_or(design_.Font)));
            break;
        case ControlKind::Image:
            controls_.emplace_back(Image(design, media.Picture(design.Picture)));
            break;
        }
    }
    loaded_ = true;
    ++loadCount_;
    OnLoad();
}

void Unload(Form& form)
{
    form.controls_.clear();
    form.surface_ = Surface();
    form.loaded_ = false;
}

void Form::Cls()
{
    surface_.Fill(design_.BackColor);
}

HDC Form::hDC()
{
    return &surface_;
}

Control& Form::Find(std::string_view name, int index)
{
    for (Control& control : controls_) {
        const ControlBase& base = Base(control);
        if (base.Name == name && base.Index == index) {
            return control;
        }
    }
    Raise(ErrorNumber::SubscriptOutOfRange);
}

}  // namespace platform

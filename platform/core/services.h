// What a form gets of the program it runs in. The game's handlers see only
// the old language's global services; the form itself also needs its media
// and a way to say that it is shown.
#pragma once

#include <string_view>

#include "platform/language/values.h"

namespace platform {

class Form;
class Media;

class Services {
public:
    // Seeds Rnd from the clock.
    virtual void Randomize() = 0;
    // The next random number r, 0 <= r < 1.
    virtual Single Rnd() = 0;
    // Modal, one OK button. Returns once the player has dismissed the box; at
    // once, without a box, when the program is already ending.
    virtual void MsgBox(std::string_view text) = 0;
    // The program's start-up form, the one its default instance names.
    virtual Form& StartupForm() = 0;

protected:
    Services() = default;
    ~Services() = default;
    Services(const Services&) = default;
    Services& operator=(const Services&) = default;
};

class FormHost : public Services {
public:
    // The pictures and the font every load of the form is made from.
    virtual Media& FormMedia() = 0;
    // The form has loaded and is to be seen: its window shows.
    virtual void FormShown() = 0;

protected:
    FormHost() = default;
    ~FormHost() = default;
    FormHost(const FormHost&) = default;
    FormHost& operator=(const FormHost&) = default;
};

}  // namespace platform

#include "platform/sdl/pads.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

namespace {

// With none connected, new ones are looked for this often: SDL tells of a
// pad plugged in only when asked, and this is its own pace for asking.
constexpr std::chrono::nanoseconds kPadDetectInterval = std::chrono::seconds(3);

// The news of pads plugged in or out is all the game takes from SDL's events
// about them: their state is read when they are sampled. Without these
// events, reading them makes no event and so no wake-up.
constexpr Uint32 kDropped[] = {
    SDL_JOYAXISMOTION, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_JOYBUTTONDOWN, SDL_JOYBUTTONUP,
    SDL_JOYBATTERYUPDATED, SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP,
    SDL_CONTROLLERDEVICEREMAPPED, SDL_CONTROLLERTOUCHPADDOWN, SDL_CONTROLLERTOUCHPADMOTION, SDL_CONTROLLERTOUCHPADUP,
    SDL_CONTROLLERSENSORUPDATE, SDL_SENSORUPDATE,
};

float Axis(Sint16 value)
{
    return std::max(static_cast<float>(value) / 32767.0F, -1.0F);
}

}  // namespace

SdlPads::~SdlPads()
{
    Stop();
}

void SdlPads::Stop()
{
    for (const Pad& pad : pads_) {
        if (pad.Controller != nullptr) {
            SDL_GameControllerClose(pad.Controller);
        } else {
            SDL_JoystickClose(pad.Joystick);
        }
    }
    pads_.clear();
    if (started_) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        started_ = false;
    }
}

void SdlPads::Start(Time now)
{
    if (started_) {
        return;
    }
    // Set before the subsystem starts, so that SDL's wait never polls.
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return;  // no pads, nothing else lost
    }
    started_ = true;
    for (const Uint32 type : kDropped) {
        SDL_EventState(type, SDL_IGNORE);
    }
    // The controller subsystem's news of the same pads: the joystick's news
    // covers them and the pads its database does not know.
    SDL_EventState(SDL_CONTROLLERDEVICEADDED, SDL_IGNORE);
    SDL_EventState(SDL_CONTROLLERDEVICEREMOVED, SDL_IGNORE);
    // Pads plugged in before the start are there already; each also comes
    // as an event, which Handle then finds open.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        Open(i);
    }
    next_ = now;
}

std::optional<SdlPads::Time> SdlPads::NextSample() const
{
    if (!started_) {
        return std::nullopt;
    }
    return next_;
}

void SdlPads::Sample(Time now, std::vector<PadEvent>& out)
{
    if (!started_ || now < next_) {
        return;
    }
    // Reads every pad and looks for pads plugged in or out: that news comes
    // as events, which the wait hands to Handle.
    SDL_GameControllerUpdate();
    const bool focused = SDL_GetKeyboardFocus() != nullptr;
    const bool reading = !pads_.empty() && focused;
    // Seen without the focus: what is held once it is back was pressed for
    // another window. Only a loss seen here counts; Wine tells of the focus
    // gained again and again without losing it.
    unfocused_ = unfocused_ || !focused;
    if (reading) {
        if (unfocused_) {
            reader_.Refocus();
            unfocused_ = false;
        }
        Read(out);
    }
    // On a fixed beat, so that the rate is what it says; a beat missed (the
    // loop was busy) is not made up.
    const Time interval = reading ? pace_.After(now, reader_.Moves()) : Time(kPadDetectInterval);
    next_ += interval;
    if (next_ <= now) {
        next_ = now + interval;
    }
}

void SdlPads::Read(std::vector<PadEvent>& out)
{
    for (const Pad& pad : pads_) {
        PadState state;
        if (pad.Controller != nullptr) {
            SDL_GameController* c = pad.Controller;
            state.Up = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0;
            state.Down = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN) != 0;
            state.Left = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0;
            state.Right = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0;
            state.StickX = Axis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
            state.StickY = Axis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
            state.A = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_A) != 0;
            state.B = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_B) != 0;
            state.Start = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_START) != 0;
        } else {
            const Uint8 hat = SDL_JoystickGetHat(pad.Joystick, 0);
            state.Up = (hat & SDL_HAT_UP) != 0;
            state.Down = (hat & SDL_HAT_DOWN) != 0;
            state.Left = (hat & SDL_HAT_LEFT) != 0;
            state.Right = (hat & SDL_HAT_RIGHT) != 0;
        }
        const std::vector<PadEvent> changes = reader_.Read(pad.Id, state);
        out.insert(out.end(), changes.begin(), changes.end());
    }
}

void SdlPads::Open(int deviceIndex)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || std::any_of(pads_.begin(), pads_.end(), [id](const Pad& pad) { return pad.Id == id; })) {
        return;
    }
    Pad pad{id};
    if (SDL_IsGameController(deviceIndex)) {
        pad.Controller = SDL_GameControllerOpen(deviceIndex);
        if (pad.Controller == nullptr) {
            return;
        }
    } else {
        pad.Joystick = SDL_JoystickOpen(deviceIndex);
        if (pad.Joystick == nullptr) {
            return;
        }
        if (SDL_JoystickNumHats(pad.Joystick) < 1) {
            SDL_JoystickClose(pad.Joystick);  // nothing of it would steer
            return;
        }
    }
    pads_.push_back(pad);
}

void SdlPads::Close(int id, std::vector<PadEvent>& out)
{
    const auto pad = std::find_if(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.Id == id; });
    if (pad == pads_.end()) {
        return;
    }
    const std::vector<PadEvent> released = reader_.Remove(id);
    out.insert(out.end(), released.begin(), released.end());
    if (pad->Controller != nullptr) {
        SDL_GameControllerClose(pad->Controller);
    } else {
        SDL_JoystickClose(pad->Joystick);
    }
    pads_.erase(pad);
}

bool SdlPads::Handle(const SDL_Event& event, std::vector<PadEvent>& out)
{
    switch (event.type) {
    case SDL_JOYDEVICEADDED:
        if (started_) {
            const bool none = pads_.empty();
            Open(event.jdevice.which);
            if (none && !pads_.empty()) {
                next_ = Time::zero();  // due at once: read from now on
            }
        }
        return true;
    case SDL_JOYDEVICEREMOVED:
        Close(event.jdevice.which, out);
        return true;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED:
        return true;
    default:
        return false;
    }
}

void SdlPads::SampleSoon()
{
    next_ = Time::zero();
}

}  // namespace platform

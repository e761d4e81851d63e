// Gamepads through SDL's game controller API: its mapping database names the buttons of every
// known pad by their place, pads come and go while the game runs, and once a pass their merged
// state goes through the shared mapping into the keyboard's key messages.
#include <SDL.h>

#include "platform/sdl/sdl_platform.h"

namespace {

struct ButtonBit {
    SDL_GameControllerButton button;
    uint32_t bit;
};

constexpr ButtonBit BUTTON_BITS[] = {
    {SDL_CONTROLLER_BUTTON_A, GAMEPAD_SOUTH},
    {SDL_CONTROLLER_BUTTON_B, GAMEPAD_EAST},
    {SDL_CONTROLLER_BUTTON_X, GAMEPAD_WEST},
    {SDL_CONTROLLER_BUTTON_Y, GAMEPAD_NORTH},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, GAMEPAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, GAMEPAD_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_BACK, GAMEPAD_BACK},
    {SDL_CONTROLLER_BUTTON_START, GAMEPAD_START},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, GAMEPAD_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, GAMEPAD_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, GAMEPAD_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, GAMEPAD_DPAD_RIGHT},
};

float axis_value(SDL_GameController *pad, SDL_GameControllerAxis axis) {
    const float value = static_cast<float>(SDL_GameControllerGetAxis(pad, axis)) / 32767.0f;
    return value < -1.0f ? -1.0f : value;
}

GamepadState read_pad(SDL_GameController *pad) {
    GamepadState state{0, axis_value(pad, SDL_CONTROLLER_AXIS_LEFTX), axis_value(pad, SDL_CONTROLLER_AXIS_LEFTY)};
    for (const ButtonBit &entry : BUTTON_BITS) {
        if (SDL_GameControllerGetButton(pad, entry.button) != 0) {
            state.buttons |= entry.bit;
        }
    }
    return state;
}

SDL_JoystickID pad_id(SDL_GameController *pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

// Opens the pad at a device index, unless it is open already or every slot is taken.
void open_pad(int device_index) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device_index);
    SDL_GameController **free_slot = nullptr;
    for (SDL_GameController *&pad : main_window.pads) {
        if (pad != nullptr && pad_id(pad) == id) {
            return;
        }
        if (pad == nullptr && free_slot == nullptr) {
            free_slot = &pad;
        }
    }
    if (free_slot != nullptr) {
        *free_slot = SDL_GameControllerOpen(device_index);
    }
}

void close_pad(SDL_JoystickID id) {
    for (SDL_GameController *&pad : main_window.pads) {
        if (pad != nullptr && pad_id(pad) == id) {
            SDL_GameControllerClose(pad);
            pad = nullptr;
        }
    }
}

}  // namespace

bool sdl_gamepad_start(uint32_t delay_ms, uint32_t interval_ms) {
    gamepad_start(&main_window.pad_keys, delay_ms, interval_ms);
    // The game asks its own window whether it has the focus, and SDL's button names follow the
    // place on the pad (south is A on every pad), as the mapping does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    return SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

bool sdl_gamepad_event(const SDL_Event *event) {
    if (event->type == SDL_CONTROLLERDEVICEADDED) {
        open_pad(event->cdevice.which);
        return true;
    }
    if (event->type == SDL_CONTROLLERDEVICEREMOVED) {
        close_pad(event->cdevice.which);
        return true;
    }
    return false;
}

void sdl_gamepad_pass(bool active, uint32_t now) {
    GamepadState merged{};
    for (SDL_GameController *pad : main_window.pads) {
        if (pad != nullptr) {
            const GamepadState state = read_pad(pad);
            gamepad_merge(&merged, &state);
        }
    }
    gamepad_pass(&main_window.pad_keys, &merged, active, now);
}

void sdl_gamepad_stop() {
    for (SDL_GameController *&pad : main_window.pads) {
        if (pad != nullptr) {
            SDL_GameControllerClose(pad);
            pad = nullptr;
        }
    }
}

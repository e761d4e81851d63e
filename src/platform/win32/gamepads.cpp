// Gamepads through XInput, loaded at run time: the program's imports stay the DLLs every Windows
// has, and a system without XInput plays from the keyboard. Once a pass the pads' merged state
// goes through the shared mapping into the keyboard's key messages.
#include "platform/win32/win32_platform.h"


Win32Gamepads main_gamepads = {};

namespace {

// Slots without a pad are asked again this often: XInput takes long to say a slot is empty.
constexpr uint32_t SEARCH_INTERVAL_MS = 2000;

struct ButtonBit {
    WORD xinput;
    uint32_t bit;
};

constexpr ButtonBit BUTTON_BITS[] = {
    {XINPUT_GAMEPAD_A, GAMEPAD_SOUTH},
    {XINPUT_GAMEPAD_B, GAMEPAD_EAST},
    {XINPUT_GAMEPAD_X, GAMEPAD_WEST},
    {XINPUT_GAMEPAD_Y, GAMEPAD_NORTH},
    {XINPUT_GAMEPAD_LEFT_SHOULDER, GAMEPAD_LEFT_SHOULDER},
    {XINPUT_GAMEPAD_RIGHT_SHOULDER, GAMEPAD_RIGHT_SHOULDER},
    {XINPUT_GAMEPAD_BACK, GAMEPAD_BACK},
    {XINPUT_GAMEPAD_START, GAMEPAD_START},
    {XINPUT_GAMEPAD_DPAD_UP, GAMEPAD_DPAD_UP},
    {XINPUT_GAMEPAD_DPAD_DOWN, GAMEPAD_DPAD_DOWN},
    {XINPUT_GAMEPAD_DPAD_LEFT, GAMEPAD_DPAD_LEFT},
    {XINPUT_GAMEPAD_DPAD_RIGHT, GAMEPAD_DPAD_RIGHT},
};

float axis_value(SHORT value) {
    const float scaled = static_cast<float>(value) / 32767.0f;
    return scaled < -1.0f ? -1.0f : scaled;
}

// The keyboard's own repeat from the system settings: a delay of 250 to 1000 ms in four steps,
// and 2.5 to 30 repeats a second in 32 steps.
void keyboard_repeat(uint32_t *delay_ms, uint32_t *interval_ms) {
    UINT delay = 0;
    DWORD speed = 0;
    *delay_ms = GAMEPAD_REPEAT_DELAY_MS;
    *interval_ms = GAMEPAD_REPEAT_INTERVAL_MS;
    if (SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0) && delay <= 3) {
        *delay_ms = (delay + 1) * 250;
    }
    if (SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0) && speed <= 31) {
        *interval_ms = static_cast<uint32_t>(1000.0 / (2.5 + speed * 27.5 / 31.0));
    }
}

}  // namespace

bool win32_gamepad_start() {
    uint32_t delay_ms = 0;
    uint32_t interval_ms = 0;
    keyboard_repeat(&delay_ms, &interval_ms);
    main_gamepads = Win32Gamepads{};
    gamepad_start(&main_gamepads.keys, delay_ms, interval_ms);
    // Windows 8 and later, the DirectX runtime, and every Windows since Vista.
    constexpr const char *NAMES[] = {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"};
    for (const char *name : NAMES) {
        main_gamepads.library = LoadLibraryA(name);
        if (main_gamepads.library != nullptr) {
            break;
        }
    }
    if (main_gamepads.library == nullptr) {
        return false;
    }
    void *entry = reinterpret_cast<void *>(GetProcAddress(main_gamepads.library, "XInputGetState"));
    main_gamepads.get_state = reinterpret_cast<XInputGetStateProc>(entry);
    return main_gamepads.get_state != nullptr;
}

GamepadState win32_gamepad_state(const XINPUT_GAMEPAD &pad) {
    // XInput's stick points up for positive values; the mapping's y points down.
    GamepadState state{0, axis_value(pad.sThumbLX), -axis_value(pad.sThumbLY)};
    for (const ButtonBit &entry : BUTTON_BITS) {
        if ((pad.wButtons & entry.xinput) != 0) {
            state.buttons |= entry.bit;
        }
    }
    return state;
}

void win32_gamepad_pass(uint32_t now) {
    Win32Gamepads &pads = main_gamepads;
    if (pads.get_state == nullptr) {
        return;
    }
    const bool search = static_cast<int32_t>(now - pads.next_search) >= 0;
    if (search) {
        pads.next_search = now + SEARCH_INTERVAL_MS;
    }
    GamepadState merged{};
    for (DWORD user = 0; user < XUSER_MAX_COUNT; ++user) {
        const uint32_t bit = 1u << user;
        if ((pads.connected & bit) == 0 && !search) {
            continue;
        }
        XINPUT_STATE state{};
        if (pads.get_state(user, &state) != ERROR_SUCCESS) {
            pads.connected &= ~bit;
            continue;
        }
        pads.connected |= bit;
        const GamepadState pad = win32_gamepad_state(state.Gamepad);
        gamepad_merge(&merged, &pad);
    }
    gamepad_pass(&pads.keys, &merged, main_view.active != 0, now);
}

// The XInput library stays loaded until the process ends: an XInput may keep a thread of its own
// running inside the library (Wine's does), and unloading the code under that thread makes it
// crash the process on its way out.
void win32_gamepad_stop() {
    main_gamepads.get_state = nullptr;
}

// The SDL keyboard in virtual-key codes: the whole mapping, the keypad in both NumLock states,
// the keys that make no event, and the fallback for keys without a code.
#include <gtest/gtest.h>

#include <utility>

#include <SDL.h>

#include "platform/sdl/sdl_keymap.h"
#include "platform/vkeys.h"

namespace {

// SDL's default keymap (keycode <-> scancode) exists once its video part is up; the dummy
// driver needs no display.
class SdlKeymap : public ::testing::Environment {
public:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }
};
const auto *const sdl_keymap = ::testing::AddGlobalTestEnvironment(new SdlKeymap);

int32_t vk(SDL_Keycode keycode, uint32_t modifiers = KMOD_NONE) {
    return sdl_key_to_vk(keycode, SDL_GetScancodeFromKey(keycode), modifiers);
}

// SDL reports the same keycode for a keypad key whatever NumLock says; only the bit differs.
int32_t keypad(SDL_Scancode scancode, bool numlock, uint32_t modifiers = KMOD_NONE) {
    return sdl_key_to_vk(SDL_GetKeyFromScancode(scancode), scancode, modifiers | (numlock ? KMOD_NUM : 0));
}

// Guards letters following the layout (the key labelled Q quits) and digits the physical key.
TEST(KeyMap, LettersFollowTheLayoutDigitsThePhysicalKey) {
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(vk(SDLK_a + i), 'A' + i);
        EXPECT_EQ(vk(SDLK_a + i, KMOD_SHIFT | KMOD_CAPS | KMOD_CTRL), 'A' + i);
    }
    EXPECT_EQ(sdl_key_to_vk(SDLK_q, SDL_SCANCODE_A, KMOD_NONE), 'Q');  // French: Q where US has A
    for (int i = 0; i < 10; ++i) {
        const auto scancode = static_cast<SDL_Scancode>(i == 0 ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + i - 1);
        EXPECT_EQ(vk(SDLK_0 + i), '0' + i);
        EXPECT_EQ(sdl_key_to_vk(SDLK_0 + i, scancode, KMOD_NUM), '0' + i);
    }
    // A French layout types & and a with an accent on the keys of 1 and 0.
    EXPECT_EQ(sdl_key_to_vk(SDLK_AMPERSAND, SDL_SCANCODE_1, KMOD_NONE), '1');
    EXPECT_EQ(sdl_key_to_vk(0xE0, SDL_SCANCODE_0, KMOD_NONE), '0');
}

// Guards every keypad key with NumLock on and off; Shift and Control leave the choice to NumLock.
TEST(KeyMap, KeypadFollowsNumLock) {
    struct Case {
        SDL_Scancode scancode;
        int32_t on, off;
    };
    const Case cases[] = {
        {SDL_SCANCODE_KP_0, 0x60, 0x2D}, {SDL_SCANCODE_KP_1, 0x61, 0x23}, {SDL_SCANCODE_KP_2, 0x62, 0x28},
        {SDL_SCANCODE_KP_3, 0x63, 0x22}, {SDL_SCANCODE_KP_4, 0x64, 0x25}, {SDL_SCANCODE_KP_5, 0x65, 0x0C},
        {SDL_SCANCODE_KP_6, 0x66, 0x27}, {SDL_SCANCODE_KP_7, 0x67, 0x24}, {SDL_SCANCODE_KP_8, 0x68, 0x26},
        {SDL_SCANCODE_KP_9, 0x69, 0x21}, {SDL_SCANCODE_KP_PERIOD, 0x6E, 0x2E},
        // The rest of the keypad does not depend on NumLock.
        {SDL_SCANCODE_KP_ENTER, 0x0D, 0x0D}, {SDL_SCANCODE_KP_PLUS, 0x6B, 0x6B}, {SDL_SCANCODE_KP_MINUS, 0x6D, 0x6D},
        {SDL_SCANCODE_KP_MULTIPLY, 0x6A, 0x6A}, {SDL_SCANCODE_KP_DIVIDE, 0x6F, 0x6F},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
        EXPECT_EQ(keypad(c.scancode, true), c.on);
        EXPECT_EQ(keypad(c.scancode, false), c.off);
        EXPECT_EQ(keypad(c.scancode, true, KMOD_SHIFT | KMOD_CTRL), c.on);
    }
    // SDL's navigation keycodes on a keypad scancode still read as the keypad key.
    EXPECT_EQ(sdl_key_to_vk(SDLK_UP, SDL_SCANCODE_KP_8, KMOD_NUM), 0x68);
}

// Guards the code of every other named key, whatever NumLock and Shift say.
TEST(KeyMap, NamedKeys) {
    const std::pair<SDL_Keycode, int32_t> cases[] = {
        {SDLK_LEFT, 0x25},      {SDLK_UP, 0x26},        {SDLK_RIGHT, 0x27},      {SDLK_DOWN, 0x28},
        {SDLK_SPACE, 0x20},     {SDLK_PAGEDOWN, 0x22},  {SDLK_PAGEUP, 0x21},     {SDLK_HOME, 0x24},
        {SDLK_END, 0x23},       {SDLK_INSERT, 0x2D},    {SDLK_DELETE, 0x2E},     {SDLK_ESCAPE, 0x1B},
        {SDLK_RETURN, 0x0D},    {SDLK_TAB, 0x09},       {SDLK_BACKSPACE, 0x08},  {SDLK_LSHIFT, 0x10},
        {SDLK_RSHIFT, 0x10},    {SDLK_LCTRL, 0x11},     {SDLK_RCTRL, 0x11},      {SDLK_CAPSLOCK, 0x14},
        {SDLK_PAUSE, 0x13},     {SDLK_PRINTSCREEN, 0x2C}, {SDLK_SCROLLLOCK, 0x91}, {SDLK_NUMLOCKCLEAR, 0x90},
        {SDLK_LGUI, 0x5B},      {SDLK_RGUI, 0x5C},      {SDLK_APPLICATION, 0x5D}, {SDLK_F1, 0x70},
        {SDLK_F2, 0x71},        {SDLK_F3, 0x72},        {SDLK_F4, 0x73},         {SDLK_F5, 0x74},
        {SDLK_F6, 0x75},        {SDLK_F7, 0x76},        {SDLK_F8, 0x77},         {SDLK_F9, 0x78},
        {SDLK_F11, 0x7A},       {SDLK_F12, 0x7B},       {SDLK_SEMICOLON, 0xBA},  {SDLK_EQUALS, 0xBB},
        {SDLK_COMMA, 0xBC},     {SDLK_MINUS, 0xBD},     {SDLK_PERIOD, 0xBE},     {SDLK_SLASH, 0xBF},
        {SDLK_BACKQUOTE, 0xC0}, {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC}, {SDLK_RIGHTBRACKET, 0xDD},
        {SDLK_QUOTE, 0xDE},     {SDLK_LESS, 0xE2},
    };
    for (const auto &[keycode, code] : cases) {
        SCOPED_TRACE(SDL_GetKeyName(keycode));
        EXPECT_EQ(vk(keycode), code);
        EXPECT_EQ(vk(keycode, KMOD_NUM | KMOD_SHIFT), code);
    }
    // The extra key beside left Shift, by its place whatever it types.
    EXPECT_EQ(sdl_key_to_vk(SDLK_BACKSLASH, SDL_SCANCODE_NONUSBACKSLASH, KMOD_NONE), 0xE2);
}

// Guards F10, the Alt keys and every key held with Alt making no event (they belong to the desktop),
// and keys without a code still making events (their release must start a game).
TEST(KeyMap, SystemKeysAndKeysWithoutACode) {
    for (SDL_Keycode key : {SDLK_F10, SDLK_LALT, SDLK_RALT, SDLK_MODE}) {
        EXPECT_EQ(vk(key), KEY_NO_EVENT) << SDL_GetKeyName(key);
    }
    EXPECT_EQ(vk(SDLK_F10, KMOD_NUM), KEY_NO_EVENT);
    for (uint32_t alt : {KMOD_LALT, KMOD_RALT}) {
        for (SDL_Keycode key : {SDLK_F4, SDLK_q, SDLK_ESCAPE, SDLK_5}) {
            EXPECT_EQ(vk(key, alt), KEY_NO_EVENT) << SDL_GetKeyName(key);
        }
        EXPECT_EQ(vk(SDLK_LEFT, alt | KMOD_NUM), KEY_NO_EVENT);
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_8, true, alt), KEY_NO_EVENT);
    }
    EXPECT_EQ(vk(SDLK_F13), VK_UNASSIGNED);
    EXPECT_EQ(vk(SDLK_AUDIOPLAY), VK_UNASSIGNED);
    EXPECT_EQ(sdl_key_to_vk(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, KMOD_NONE), VK_UNASSIGNED);
    EXPECT_EQ(sdl_key_to_vk(0x40000000 | 999, 400, KMOD_NONE), VK_UNASSIGNED);
}

}  // namespace

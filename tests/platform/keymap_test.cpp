// The SDL keyboard in virtual-key codes: every key the game reads, the keypad in both NumLock
// states, the keys that make no event, and the fallback for keys without a code.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/sdl_keymap.h"
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

int32_t keypad(SDL_Scancode scancode, bool numlock, uint32_t modifiers = KMOD_NONE) {
    // SDL reports the same keycode for a keypad key whatever NumLock says; only the bit differs.
    return sdl_key_to_vk(SDL_GetKeyFromScancode(scancode), scancode, modifiers | (numlock ? KMOD_NUM : 0));
}

TEST(KeyMap, LettersAreUpperCaseAsciiAndFollowTheLayout) {
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(vk(SDLK_a + i), 'A' + i);
        EXPECT_EQ(vk(SDLK_a + i, KMOD_SHIFT | KMOD_CAPS | KMOD_CTRL), 'A' + i);
    }
    // On a French layout the key in the place of A types Q: it is the Q key.
    EXPECT_EQ(sdl_key_to_vk(SDLK_q, SDL_SCANCODE_A, KMOD_NONE), 'Q');
}

TEST(KeyMap, DigitRowFollowsThePhysicalKey) {
    const SDL_Scancode digits[] = {SDL_SCANCODE_0, SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3,
                                   SDL_SCANCODE_4, SDL_SCANCODE_5, SDL_SCANCODE_6, SDL_SCANCODE_7,
                                   SDL_SCANCODE_8, SDL_SCANCODE_9};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(vk(SDLK_0 + i), '0' + i);
        EXPECT_EQ(sdl_key_to_vk(SDLK_0 + i, digits[i], KMOD_NUM), '0' + i);
    }
    // A French layout types & and a with an accent on the keys of 1 and 0.
    EXPECT_EQ(sdl_key_to_vk(SDLK_AMPERSAND, SDL_SCANCODE_1, KMOD_NONE), '1');
    EXPECT_EQ(sdl_key_to_vk(0xE0, SDL_SCANCODE_0, KMOD_NONE), '0');
}

TEST(KeyMap, KeypadFollowsNumLock) {
    struct Case {
        SDL_Scancode scancode;
        int32_t on;
        int32_t off;
    };
    const Case cases[] = {
        {SDL_SCANCODE_KP_0, 0x60, 0x2D}, {SDL_SCANCODE_KP_1, 0x61, 0x23}, {SDL_SCANCODE_KP_2, 0x62, 0x28},
        {SDL_SCANCODE_KP_3, 0x63, 0x22}, {SDL_SCANCODE_KP_4, 0x64, 0x25}, {SDL_SCANCODE_KP_5, 0x65, 0x0C},
        {SDL_SCANCODE_KP_6, 0x66, 0x27}, {SDL_SCANCODE_KP_7, 0x67, 0x24}, {SDL_SCANCODE_KP_8, 0x68, 0x26},
        {SDL_SCANCODE_KP_9, 0x69, 0x21}, {SDL_SCANCODE_KP_PERIOD, 0x6E, 0x2E},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(keypad(c.scancode, true), c.on) << SDL_GetScancodeName(c.scancode);
        EXPECT_EQ(keypad(c.scancode, false), c.off) << SDL_GetScancodeName(c.scancode);
        // Shift and Control leave the choice to NumLock.
        EXPECT_EQ(keypad(c.scancode, true, KMOD_SHIFT | KMOD_CTRL), c.on);
    }
    // SDL's navigation keycodes on a keypad scancode still read as the keypad key.
    EXPECT_EQ(sdl_key_to_vk(SDLK_UP, SDL_SCANCODE_KP_8, KMOD_NUM), 0x68);
    // The rest of the keypad does not depend on NumLock.
    for (bool numlock : {true, false}) {
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_ENTER, numlock), VK_RETURN);
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_PLUS, numlock), 0x6B);
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_MINUS, numlock), 0x6D);
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_MULTIPLY, numlock), 0x6A);
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_DIVIDE, numlock), 0x6F);
    }
}

TEST(KeyMap, NamedKeys) {
    struct Case {
        SDL_Keycode keycode;
        int32_t code;
    };
    const Case cases[] = {
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
        {SDLK_QUOTE, 0xDE},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(vk(c.keycode), c.code) << SDL_GetKeyName(c.keycode);
        EXPECT_EQ(vk(c.keycode, KMOD_NUM | KMOD_SHIFT), c.code) << SDL_GetKeyName(c.keycode);
    }
}

TEST(KeyMap, SystemKeysMakeNoEvent) {
    // F10 and every key held with Alt belong to the desktop, not to the game.
    EXPECT_EQ(vk(SDLK_F10), KEY_NO_EVENT);
    EXPECT_EQ(vk(SDLK_F10, KMOD_NUM), KEY_NO_EVENT);
    EXPECT_EQ(vk(SDLK_LALT), KEY_NO_EVENT);
    EXPECT_EQ(vk(SDLK_RALT), KEY_NO_EVENT);
    EXPECT_EQ(vk(SDLK_MODE), KEY_NO_EVENT);
    for (uint32_t alt : {KMOD_LALT, KMOD_RALT}) {
        EXPECT_EQ(vk(SDLK_F4, alt), KEY_NO_EVENT);
        EXPECT_EQ(vk(SDLK_q, alt), KEY_NO_EVENT);
        EXPECT_EQ(vk(SDLK_ESCAPE, alt), KEY_NO_EVENT);
        EXPECT_EQ(vk(SDLK_LEFT, alt | KMOD_NUM), KEY_NO_EVENT);
        EXPECT_EQ(keypad(SDL_SCANCODE_KP_8, true, alt), KEY_NO_EVENT);
        EXPECT_EQ(vk(SDLK_5, alt), KEY_NO_EVENT);
    }
}

TEST(KeyMap, KeysWithoutACodeStillMakeEvents) {
    // Their release must still start a game, so they get the code of an unassigned key.
    EXPECT_EQ(vk(SDLK_F13), VK_UNASSIGNED);
    EXPECT_EQ(vk(SDLK_AUDIOPLAY), VK_UNASSIGNED);
    EXPECT_EQ(sdl_key_to_vk(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, KMOD_NONE), VK_UNASSIGNED);
    EXPECT_EQ(sdl_key_to_vk(0x40000000 | 999, 400, KMOD_NONE), VK_UNASSIGNED);
}

}  // namespace

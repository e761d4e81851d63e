// The main loop's rules: the event and key tables, window dragging and the tick timing.
#include <array>

#include "app/loop.h"

namespace {

// What a virtual-key code does; one group per code, shared by the key-down and key-up rules.
enum class KeyGroup : uint8_t { NONE, ROTATE, LEFT, RIGHT, FASTER, SLAM, QUIT, YES, NO, PAUSE };

struct KeyBinding {
    uint8_t code;
    KeyGroup group;
};

// Movement keys follow the keypad (8 and 5 rotate, 4 left, 6 right, 2 faster, 3 slam), each as
// the keypad code with NumLock on, the code it sends with NumLock off, and the digit key.
constexpr KeyBinding KEY_BINDINGS[] = {
    {0x0C, KeyGroup::ROTATE}, {0x26, KeyGroup::ROTATE}, {0x35, KeyGroup::ROTATE},
    {0x38, KeyGroup::ROTATE}, {0x65, KeyGroup::ROTATE}, {0x68, KeyGroup::ROTATE},
    {0x25, KeyGroup::LEFT},   {0x34, KeyGroup::LEFT},   {0x64, KeyGroup::LEFT},
    {0x27, KeyGroup::RIGHT},  {0x36, KeyGroup::RIGHT},  {0x66, KeyGroup::RIGHT},
    {0x28, KeyGroup::FASTER}, {0x32, KeyGroup::FASTER}, {0x62, KeyGroup::FASTER},
    {0x20, KeyGroup::SLAM},   {0x22, KeyGroup::SLAM},   {0x33, KeyGroup::SLAM},
    {0x63, KeyGroup::SLAM},   {0x1B, KeyGroup::QUIT},   {0x51, KeyGroup::QUIT},
    {0x58, KeyGroup::QUIT},   {0x71, KeyGroup::QUIT},   {0x78, KeyGroup::QUIT},
    {0x59, KeyGroup::YES},    {0x79, KeyGroup::YES},    {0x4E, KeyGroup::NO},
    {0x6E, KeyGroup::NO},     {0x50, KeyGroup::PAUSE},  {0x13, KeyGroup::PAUSE},
};

constexpr std::array<KeyGroup, 256> make_key_groups() {
    std::array<KeyGroup, 256> groups{};
    for (const KeyBinding &binding : KEY_BINDINGS) {
        groups[binding.code] = binding.group;
    }
    return groups;
}

// Group of every virtual-key code, NONE for codes no rule looks at.
constexpr std::array<KeyGroup, 256> KEY_GROUPS = make_key_groups();

constexpr uint32_t TICK_INTERVAL_MS = 16;  // a tick runs when more than this has passed
// The modes of a game in play, which a pause key pauses; the welcome screen, the intro and the
// play-again question have nothing to pause.
constexpr GameMode MODES_IN_PLAY = MODE_FALLING | MODE_SLAM | MODE_LANDED | MODE_SETTLE | MODE_CLEARING;
constexpr int32_t ROTATE_COUNTERCLOCKWISE = 3;

KeyGroup key_group(const AppEvent *event) {
    return KEY_GROUPS[(event->a >> 8) & 0xFFu];
}

void present(const LoopHooks *hooks, const GameState *state) {
    hooks->present_frame(hooks->context, state);
}

// A move or rotate key: marks the key held and moves the piece unless the spawn guard is on.
void press_move_key(GameState *state, int column_delta, int rotation_delta) {
    state->shift_held = 1;
    if (state->key_guard == 0) {
        piece_try_move(state, column_delta, rotation_delta);
    }
}

void handle_key_down(GameState *state, KeyGroup group) {
    switch (group) {
    case KeyGroup::ROTATE:
        press_move_key(state, 0, ROTATE_COUNTERCLOCKWISE);
        break;
    case KeyGroup::LEFT:
        press_move_key(state, -1, 0);
        break;
    case KeyGroup::RIGHT:
        press_move_key(state, 1, 0);
        break;
    case KeyGroup::FASTER:
        if (state->key_guard == 0) {
            state->soft_drop = 1;
        }
        break;
    case KeyGroup::SLAM:
        if (state->mode == MODE_FALLING) {
            state->mode = MODE_SLAM;
            state->ticks = 0;
        }
        break;
    case KeyGroup::QUIT:
        state->mode = MODE_QUIT;
        break;
    default:
        break;
    }
}

void handle_key_up(GameState *state, KeyGroup group) {
    if (state->mode == MODE_WAIT_START) {  // any release starts the fall
        state->mode = MODE_FALLING;
        state->ticks = 0;
    }
    switch (group) {
    case KeyGroup::ROTATE:
    case KeyGroup::LEFT:
    case KeyGroup::RIGHT:
        state->key_guard = 0;
        state->shift_held = 0;
        break;
    case KeyGroup::FASTER:
        state->key_guard = 0;
        state->soft_drop = 0;
        break;
    case KeyGroup::NO:
        if (state->mode == MODE_GAME_OVER) {
            state->mode = MODE_QUIT;
        }
        break;
    case KeyGroup::YES:
        if (state->mode == MODE_GAME_OVER) {
            game_new(state);
            state->mode = MODE_WAIT_START;
        }
        break;
    default:
        break;
    }
}

// Pointer position of a mouse event in client coordinates, read as signed 16-bit: while the
// button is held the pointer can leave the window to its left or above it, and an unsigned
// reading would throw the window 65536 pixels across the screen.
int32_t event_x(const AppEvent *event) {
    return static_cast<int16_t>(static_cast<uint16_t>(event->a >> 16));
}

int32_t event_y(const AppEvent *event) {
    return static_cast<int16_t>(static_cast<uint16_t>(event->b & 0xFFFFu));
}

bool left_button(const AppEvent *event) {
    return (event->a & EVENT_BUTTON_LEFT) != 0;
}

void handle_button_down(LoopState *loop, const AppEvent *event, const LoopHooks *hooks) {
    if (!left_button(event)) {
        return;
    }
    WindowRect rect{};
    hooks->get_window_rect(hooks->context, &rect);
    loop->drag_x = rect.left + event_x(event);
    loop->drag_y = rect.top + event_y(event);
    loop->drag_anchored = 1;
}

// Moves the window by the pointer's travel since the anchor; at most once per pass. A drag whose
// press began outside the window has no anchor and is ignored.
void handle_mouse_move(LoopState *loop, const AppEvent *event, const LoopHooks *hooks) {
    if (loop->window_moved != 0 || !left_button(event) || loop->drag_anchored == 0) {
        return;
    }
    WindowRect rect{};
    hooks->get_window_rect(hooks->context, &rect);
    const int32_t px = rect.left + event_x(event);
    const int32_t py = rect.top + event_y(event);
    hooks->move_window(hooks->context, rect.left + px - loop->drag_x, rect.top + py - loop->drag_y,
                       rect.right - rect.left, rect.bottom - rect.top);
    loop->drag_x = px;
    loop->drag_y = py;
    loop->window_moved = 1;
}

// Keys held when the window loses the focus are released elsewhere, and their key-ups go to the
// other window: the game lets go of them itself, as their key-ups would (soft drop ends, the spawn
// guard and the held shift clear). Only the held state: nothing else a release does happens here.
void release_held_keys(GameState *state) {
    state->shift_held = 0;
    state->soft_drop = 0;
    state->key_guard = 0;
}

// A pause, by the window or by the player: the held keys let go, the mode saved, and the paused
// frame shown at once.
void pause_game(LoopState *loop, GameState *state, const LoopHooks *hooks, int32_t by_player) {
    release_held_keys(state);
    state->saved_mode = state->mode;
    state->mode = MODE_PAUSED;
    loop->player_paused = by_player;
    present(hooks, state);
}

// A deactivate pauses the game. Once the program is quitting, it must not save MODE_QUIT away
// behind a pause; and a pause already on (the player's) stays as it is.
void handle_deactivate(LoopState *loop, GameState *state, const LoopHooks *hooks) {
    loop->pause_key_down = 0;  // a held pause key's release goes to the other window
    if (state->mode == MODE_PAUSED || state->mode == MODE_QUIT) {
        release_held_keys(state);
        return;
    }
    pause_game(loop, state, hooks, 0);
}

// Only the window's own pause is ended by an activate: the player's lasts until the player ends
// it. An activate that comes without a pause before it (a late first focus, a repeated focus
// event) would otherwise throw the game back into a stale saved mode, and a quit could be undone.
void handle_activate(const LoopState *loop, GameState *state) {
    if (state->mode == MODE_PAUSED && loop->player_paused == 0) {
        state->mode = state->saved_mode;
    }
}

// A pause key pauses a game in play as a deactivate does, and its next press goes on; while it
// is held, its auto-repeat changes nothing. Elsewhere it does nothing: on the welcome screen its
// release starts the game as any key's does, the play-again question waits for its answer, and
// a pause of the window's ends when the window is active again.
void press_pause_key(LoopState *loop, GameState *state, const LoopHooks *hooks) {
    if (loop->pause_key_down != 0) {
        return;
    }
    loop->pause_key_down = 1;
    if (state->mode == MODE_PAUSED && loop->player_paused != 0) {
        loop->player_paused = 0;
        state->mode = state->saved_mode;
    } else if ((state->mode & MODES_IN_PLAY) != 0) {
        pause_game(loop, state, hooks, 1);
    }
}

}  // namespace

void loop_start(LoopState *loop, uint32_t now) {
    *loop = LoopState{};
    loop->last_tick_time = now;
}

void loop_begin_pass(LoopState *loop) {
    loop->window_moved = 0;
}

void loop_handle_event(LoopState *loop, GameState *state, const AppEvent *event, const LoopHooks *hooks) {
    switch (event->type) {
    case EVENT_KEY_DOWN:
        if (key_group(event) == KeyGroup::PAUSE) {
            press_pause_key(loop, state, hooks);
        } else {
            handle_key_down(state, key_group(event));
        }
        break;
    case EVENT_KEY_UP:
        handle_key_up(state, key_group(event));
        if (key_group(event) == KeyGroup::PAUSE) {
            loop->pause_key_down = 0;
        }
        break;
    case EVENT_MOUSE_MOVE:
        handle_mouse_move(loop, event, hooks);
        break;
    case EVENT_BUTTON_DOWN:
        handle_button_down(loop, event, hooks);
        break;
    case EVENT_CLOSE:
        state->mode = MODE_QUIT;
        break;
    case EVENT_ACTIVATE:
        handle_activate(loop, state);
        break;
    case EVENT_DEACTIVATE:
        handle_deactivate(loop, state, hooks);
        break;
    case EVENT_PAINT:
        if (state->mode == MODE_PAUSED) {
            present(hooks, state);
        }
        break;
    default:
        break;  // button up, resize and unknown types change nothing
    }
}

int loop_run_tick(LoopState *loop, GameState *state, uint32_t now, const LoopHooks *hooks) {
    if ((state->mode & (MODE_PAUSED | MODE_QUIT)) != 0) {
        return 0;
    }
    if (static_cast<uint32_t>(now - loop->last_tick_time) <= TICK_INTERVAL_MS) {
        return 0;
    }
    game_tick(state);
    present(hooks, state);
    loop->last_tick_time = now;  // lost time is not made up
    return 1;
}

uint32_t loop_wait_time(const LoopState *loop, const GameState *state, uint32_t now) {
    if ((state->mode & (MODE_PAUSED | MODE_QUIT)) != 0) {
        return UINT32_MAX;
    }
    const uint32_t elapsed = now - loop->last_tick_time;
    return elapsed > TICK_INTERVAL_MS ? 0 : TICK_INTERVAL_MS + 1 - elapsed;
}

bool loop_uses_key(uint32_t code) {
    return code < KEY_GROUPS.size() && KEY_GROUPS[code] != KeyGroup::NONE;
}

// What is heard of the game: the sounds a change of the record calls for, found by comparing the
// record before and after each step of the loop. The rules know nothing of sound.
#include "app/loop.h"

namespace {

constexpr GameMode PIECE_IN_PLAY = MODE_FALLING | MODE_LANDED | MODE_SLAM;
constexpr GameMode PAUSES = MODE_CLEARING | MODE_SETTLE;  // between a lock and the next piece
constexpr int32_t LAST_BAND = 3;  // the landscape moves on every two levels, up to night

int32_t band(int32_t level) {
    const int32_t value = level / 2;
    return value < LAST_BAND ? value : LAST_BAND;
}

void add(LoopSounds *sounds, SoundId id) {
    if (sounds->count < LOOP_SOUNDS_MAX) {
        sounds->ids[sounds->count++] = id;
    }
}

int32_t rows_filled(const GameState *state) {
    int32_t count = 0;
    for (const int32_t row : state->cleared_rows) {
        count += row >= 0 ? 1 : 0;
    }
    return count;
}

// Notes the key as down or up; returns whether a key-down came for a key already down.
bool track_key(LoopHearing *hearing, const AppEvent *event, uint32_t code) {
    const uint32_t bit = 1u << (code % 32);
    uint32_t &word = hearing->held[code / 32];
    const bool repeat = event->type == EVENT_KEY_DOWN && (word & bit) != 0;
    word = event->type == EVENT_KEY_DOWN ? word | bit : word & ~bit;
    return repeat;
}

// A fresh press that moved or turned the piece in play (a refused move changes nothing).
void hear_press(const GameState *before, const GameState *after, LoopSounds *sounds) {
    if ((before->mode & (MODE_FALLING | MODE_LANDED)) != 0 && (after->mode & PIECE_IN_PLAY) != 0) {
        if (after->current.rotation != before->current.rotation) {
            add(sounds, SOUND_TURN);
        } else if (after->current.column != before->current.column) {
            add(sounds, SOUND_SHIFT);
        }
    }
}

// An activate that ends a pause only gives the game back its mode: what that mode began was heard
// when it began, and must not sound again late.
void hear_change(LoopHearing *hearing, const GameState *before, const GameState *after, LoopSounds *sounds) {
    if (before->mode == MODE_PAUSED) {
        return;
    }
    if (before->mode != MODE_SLAM && after->mode == MODE_SLAM) {  // also by a held key, piece after piece
        add(sounds, SOUND_SLAM);
    }
    if ((before->mode & PIECE_IN_PLAY) != 0 && after->mode == MODE_SETTLE) {
        add(sounds, SOUND_LOCK);
        sounds->pulse_ms = LOOP_PULSE_LOCK_MS;
    }
    if ((before->mode & PIECE_IN_PLAY) != 0 && after->mode == MODE_CLEARING) {
        add(sounds, static_cast<SoundId>(SOUND_CLEAR_1 + rows_filled(after) - 1));
        sounds->pulse_ms = LOOP_PULSE_CLEAR_MS;
    }
    if ((before->mode & PAUSES) != 0 && after->mode == MODE_FALLING && after->level > hearing->heard_level) {
        add(sounds, band(after->level) > band(hearing->heard_level) ? SOUND_LANDSCAPE : SOUND_LEVEL);
        hearing->heard_level = after->level;
    }
    if (before->mode != MODE_GAME_OVER && after->mode == MODE_GAME_OVER) {
        add(sounds, SOUND_GAME_OVER);
    }
    if (before->mode == MODE_WAIT_START && after->mode == MODE_FALLING) {
        add(sounds, SOUND_START);
        hearing->heard_level = after->level;
    }
}

}  // namespace

void loop_hearing_start(LoopHearing *hearing, const GameState *state) {
    *hearing = LoopHearing{};
    hearing->heard_level = state->level;
}

LoopSounds loop_sounds(LoopHearing *hearing, const GameState *before, const GameState *after, const AppEvent *event) {
    LoopSounds sounds{};
    const bool key = event != nullptr && (event->type == EVENT_KEY_DOWN || event->type == EVENT_KEY_UP);
    const uint32_t code = key ? (event->a >> 8) & 0xFFu : 0;
    const bool repeat = key && track_key(hearing, event, code);
    if (event != nullptr && event->type == EVENT_DEACTIVATE) {  // held keys are released elsewhere
        for (uint32_t &word : hearing->held) {
            word = 0;
        }
    }
    if (key && event->type == EVENT_KEY_DOWN && !repeat) {
        sounds.toggle_mute = code == LOOP_MUTE_KEY;
        hear_press(before, after, &sounds);
    }
    hear_change(hearing, before, after, &sounds);
    return sounds;
}

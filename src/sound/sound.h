// The game's sounds, made by the program: a small synthesizer that renders each effect from a
// table of notes, and a mixer of a few voices that a sound device pulls 16-bit samples from.
// No device, no clock and no library random numbers: the same effect at the same rate gives
// the same samples on every platform.
#pragma once

#include <array>
#include <cstdint>

constexpr uint32_t SOUND_RATE = 48000;  // frames a second the devices are opened at (mono)
constexpr int SOUND_VOICES = 6;         // effects that can sound at once; a seventh takes the oldest's place
constexpr int SOUND_NOTES = 8;          // notes an effect may have

// Every effect the game makes.
enum SoundId : uint8_t {
    SOUND_SHIFT,      // the piece moved a column
    SOUND_TURN,       // the piece turned
    SOUND_SLAM,       // a slam started
    SOUND_LOCK,       // a piece locked without filling a row
    SOUND_CLEAR_1,    // one row filled
    SOUND_CLEAR_2,
    SOUND_CLEAR_3,
    SOUND_CLEAR_4,    // four rows at once: a small fanfare
    SOUND_LEVEL,      // a new level
    SOUND_LANDSCAPE,  // a new level that moves the landscape on
    SOUND_GAME_OVER,  // the game ended
    SOUND_START,      // a game started
    SOUND_COUNT
};

enum class SoundWave : uint8_t { SQUARE, TRIANGLE, SAW, NOISE };

// One note of an effect. Its envelope rises from zero, holds and falls back to zero, so that an
// effect never starts or stops with a click.
struct SoundNote {
    SoundWave wave = SoundWave::SQUARE;
    float start = 0.0f;          // seconds from the start of the effect
    float attack = 0.003f;       // seconds of the rise from silence
    float sustain = 0.0f;        // seconds at full volume
    float decay = 0.05f;         // seconds of the fall back to silence
    float pitch = 440.0f;        // Hz at the start (noise: how often a new random value is drawn)
    float slide = 0.0f;          // octaves a second the pitch moves by (negative: down)
    float duty = 0.5f;           // square wave: the share of a period that is high
    float vibrato_rate = 0.0f;   // Hz of the pitch's wobble (0: none)
    float vibrato_depth = 0.0f;  // its depth, as a share of the pitch
    float cutoff = 12000.0f;     // corner of the one-pole low-pass, Hz
    float volume = 0.2f;         // amplitude at full envelope, full scale 1
};

// One effect: its notes, which may overlap.
struct SoundEffect {
    uint8_t count;
    std::array<SoundNote, SOUND_NOTES> notes;
};

// The effect table.
extern const std::array<SoundEffect, SOUND_COUNT> SOUND_EFFECTS;

// Frames an effect lasts at `rate`: up to the end of its last note, and one more, which is silent.
uint32_t sound_length(SoundId id, uint32_t rate);

// The state of one note being rendered.
struct SoundNoteState {
    float phase;         // 0 to 1 through the current period
    float step;          // phase advance a frame at the current pitch
    float step_factor;   // the slide: step is multiplied by this every frame
    float vibrato_phase;
    float vibrato_step;
    float filter_k;      // the low-pass's share of each new sample
    float filtered;      // the low-pass's output
    float held;          // noise: the random value held until the next period
    uint32_t noise;      // noise: the generator's state
    uint32_t start;      // frames from the effect's start to the note's
    uint32_t attack;     // the envelope's parts, in frames
    uint32_t sustain;
    uint32_t decay;
};

// One effect being played.
struct SoundVoice {
    bool playing;
    SoundId id;
    uint32_t position;  // frames rendered so far
    uint32_t length;
    std::array<SoundNoteState, SOUND_NOTES> notes;
};

// The voices a device pulls from. Each call changes the mixer; where the device calls from a
// thread of its own, the caller holds the device's lock.
struct SoundMixer {
    uint32_t rate;
    std::array<SoundVoice, SOUND_VOICES> voices;
};

// Starts the mixer at `rate` frames a second with every voice silent.
void sound_mixer_start(SoundMixer *mixer, uint32_t rate);
// Starts an effect in a free voice, or in place of the one that has played longest.
void sound_play(SoundMixer *mixer, SoundId id);
// Stops every voice at once: nothing that was playing is heard any more.
void sound_silence(SoundMixer *mixer);
// Whether any voice is playing.
bool sound_busy(const SoundMixer *mixer);
// Renders the next `frames` mono samples of all voices together. The mix is kept at or below
// -3 dBFS: a single effect peaks below that, and voices that pile up are rounded off smoothly.
void sound_mix(SoundMixer *mixer, int16_t *out, uint32_t frames);

// The effect table: every sound of the game as a few notes. Pitches are those of the equal
// temperament (A4 = 440 Hz); the moves are short and quiet, the clears rise with the rows they
// take, and the game's end falls.
#include "sound/sound.h"

namespace {

using W = SoundWave;

// Equal-tempered pitches, Hz.
constexpr float E3 = 164.81f, E4 = 329.63f, F4 = 349.23f, FS4 = 369.99f;
constexpr float G4 = 392.00f, C5 = 523.25f, D5 = 587.33f, E5 = 659.26f, FS5 = 739.99f;
constexpr float G5 = 783.99f, GS5 = 830.61f, A5 = 880.00f, B5 = 987.77f, C6 = 1046.50f, CS6 = 1108.73f;
constexpr float D6 = 1174.66f, E6 = 1318.51f, G6 = 1567.98f;

// A short square-wave note of a tune, starting `start` seconds in.
constexpr SoundNote tone(float start, float pitch, float sustain, float decay, float volume, float duty = 0.5f) {
    return SoundNote{.wave = W::SQUARE, .start = start, .attack = 0.004f, .sustain = sustain, .decay = decay,
                     .pitch = pitch, .duty = duty, .cutoff = 4000.0f, .volume = volume};
}

// A soft triangle note under a tune's last note, with a little vibrato.
constexpr SoundNote hum(float start, float pitch, float sustain, float decay, float volume) {
    return SoundNote{.wave = W::TRIANGLE, .start = start, .attack = 0.01f, .sustain = sustain, .decay = decay,
                     .pitch = pitch, .vibrato_rate = 6.0f, .vibrato_depth = 0.006f, .volume = volume};
}

}  // namespace

const std::array<SoundEffect, SOUND_COUNT> SOUND_EFFECTS = {{
    // SOUND_SHIFT: a dry tick.
    {1, {{{.attack = 0.002f, .sustain = 0.008f, .decay = 0.02f, .pitch = 1200.0f, .slide = -3.0f, .duty = 0.25f,
           .cutoff = 5000.0f, .volume = 0.2f}}}},
    // SOUND_TURN: a short chirp upwards.
    {1, {{{.wave = W::TRIANGLE, .attack = 0.003f, .sustain = 0.02f, .decay = 0.035f, .pitch = 620.0f,
           .slide = 4.0f, .cutoff = 6000.0f, .volume = 0.32f}}}},
    // SOUND_SLAM: a rush of air falling in pitch over a dropping tone.
    {2, {{{.wave = W::NOISE, .attack = 0.01f, .sustain = 0.05f, .decay = 0.09f, .pitch = 9000.0f, .slide = -4.0f,
           .cutoff = 3500.0f, .volume = 0.35f},
          {.attack = 0.005f, .sustain = 0.03f, .decay = 0.1f, .pitch = 330.0f, .slide = -5.0f, .cutoff = 1500.0f,
           .volume = 0.2f}}}},
    // SOUND_LOCK: a low knock with a click on top.
    {2, {{{.wave = W::TRIANGLE, .attack = 0.002f, .sustain = 0.02f, .decay = 0.07f, .pitch = 150.0f,
           .slide = -3.0f, .cutoff = 2000.0f, .volume = 0.44f},
          {.wave = W::NOISE, .attack = 0.001f, .sustain = 0.005f, .decay = 0.03f, .pitch = 4000.0f,
           .cutoff = 2500.0f, .volume = 0.22f}}}},
    // SOUND_CLEAR_1 to SOUND_CLEAR_4: two, three, four notes rising, then the fanfare.
    {2, {{tone(0.0f, E5, 0.05f, 0.04f, 0.2f), tone(0.07f, A5, 0.06f, 0.12f, 0.2f)}}},
    {3, {{tone(0.0f, E5, 0.04f, 0.03f, 0.2f), tone(0.06f, A5, 0.04f, 0.03f, 0.2f),
          tone(0.12f, CS6, 0.07f, 0.15f, 0.2f)}}},
    {4, {{tone(0.0f, D5, 0.035f, 0.025f, 0.2f), tone(0.055f, FS5, 0.035f, 0.025f, 0.2f),
          tone(0.11f, A5, 0.035f, 0.025f, 0.2f), tone(0.165f, D6, 0.08f, 0.18f, 0.2f)}}},
    {7, {{tone(0.0f, C5, 0.04f, 0.025f, 0.2f, 0.25f), tone(0.07f, E5, 0.04f, 0.025f, 0.2f, 0.25f),
          tone(0.14f, G5, 0.04f, 0.025f, 0.2f, 0.25f), tone(0.21f, C6, 0.05f, 0.03f, 0.2f, 0.25f),
          tone(0.3f, C6, 0.12f, 0.16f, 0.16f), hum(0.3f, G5, 0.11f, 0.16f, 0.22f),
          hum(0.3f, E5, 0.11f, 0.16f, 0.22f)}}},
    // SOUND_LEVEL: a quick arpeggio up a major chord.
    {5, {{tone(0.0f, G5, 0.03f, 0.02f, 0.18f, 0.25f), tone(0.05f, B5, 0.03f, 0.02f, 0.18f, 0.25f),
          tone(0.1f, D6, 0.03f, 0.02f, 0.18f, 0.25f), tone(0.15f, G6, 0.08f, 0.18f, 0.16f, 0.25f),
          hum(0.15f, G5, 0.08f, 0.18f, 0.25f)}}},
    // SOUND_LANDSCAPE: a slow swell of a chord, as the view changes.
    {4, {{hum(0.0f, E5, 0.2f, 0.3f, 0.3f), hum(0.04f, GS5, 0.16f, 0.3f, 0.26f), hum(0.08f, B5, 0.12f, 0.3f, 0.24f),
          {.wave = W::SAW, .start = 0.08f, .attack = 0.12f, .sustain = 0.05f, .decay = 0.25f, .pitch = E6,
           .vibrato_rate = 5.0f, .vibrato_depth = 0.008f, .cutoff = 2500.0f, .volume = 0.1f}}}},
    // SOUND_GAME_OVER: four notes falling, the last held and wavering.
    {5, {{{.wave = W::SAW, .attack = 0.01f, .sustain = 0.17f, .decay = 0.06f, .pitch = G4, .cutoff = 1800.0f,
           .volume = 0.3f},
          {.wave = W::SAW, .start = 0.28f, .attack = 0.01f, .sustain = 0.17f, .decay = 0.06f, .pitch = FS4,
           .cutoff = 1800.0f, .volume = 0.3f},
          {.wave = W::SAW, .start = 0.56f, .attack = 0.01f, .sustain = 0.17f, .decay = 0.06f, .pitch = F4,
           .cutoff = 1800.0f, .volume = 0.3f},
          {.wave = W::SAW, .start = 0.84f, .attack = 0.01f, .sustain = 0.4f, .decay = 0.5f, .pitch = E4,
           .vibrato_rate = 5.0f, .vibrato_depth = 0.01f, .cutoff = 1800.0f, .volume = 0.3f},
          {.wave = W::TRIANGLE, .start = 0.84f, .attack = 0.05f, .sustain = 0.35f, .decay = 0.5f, .pitch = E3,
           .volume = 0.3f}}}},
    // SOUND_START: up a fifth and an octave.
    {4, {{tone(0.0f, C5, 0.04f, 0.03f, 0.2f, 0.25f), tone(0.08f, G5, 0.04f, 0.03f, 0.2f, 0.25f),
          tone(0.16f, C6, 0.06f, 0.16f, 0.18f, 0.25f), hum(0.16f, C5, 0.06f, 0.16f, 0.2f)}}},
}};

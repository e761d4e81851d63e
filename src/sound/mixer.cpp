// The synthesizer and the mixer: each voice renders its effect's notes frame by frame, and the
// voices are summed into 16-bit samples. Only additions, multiplications and divisions are used
// on the samples' way (no library exp, sin or tanh, whose last bits differ between C libraries),
// so every platform renders the same samples.
#include <cmath>
#include <cstring>

#include "sound/sound.h"

namespace {

constexpr double LN2 = 0.69314718055994530942;
constexpr double TWO_PI = 6.28318530717958647692;
constexpr float LIMIT_KNEE = 0.68f;     // single effects stay below this
constexpr float LIMIT_CEILING = 0.70f;  // -3.1 dBFS: the mix never goes above
constexpr uint32_t NOISE_SEED = 0x6D2B79F5u;

// 2 to the power x by a series: the same result everywhere, unlike the C library's exp2.
double power_of_two(double x) {
    const double whole = std::floor(x);
    const double y = (x - whole) * LN2;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n < 16; ++n) {
        term *= y / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(whole));
}

uint32_t frames_of(float seconds, uint32_t rate) {
    return static_cast<uint32_t>(static_cast<double>(seconds) * rate + 0.5);
}

// The next value of a xorshift generator, as a sample from -1 to 1.
float next_noise(uint32_t *state) {
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return static_cast<float>(x >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

// Smooths the jump of a square or saw wave that falls inside this frame's step, so that the
// waves stay free of the harsh overtones a jump from one sample to the next would fold back.
float band_limit(float phase, float step) {
    if (phase < step) {
        const float t = phase / step;
        return t + t - t * t - 1.0f;
    }
    if (phase > 1.0f - step) {
        const float t = (phase - 1.0f) / step;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

float wave_sample(const SoundNote &note, SoundNoteState *state, float step) {
    const float phase = state->phase;
    switch (note.wave) {
    case SoundWave::SQUARE: {
        float value = phase < note.duty ? 1.0f : -1.0f;
        value += band_limit(phase, step);
        float falling = phase + 1.0f - note.duty;
        falling -= falling >= 1.0f ? 1.0f : 0.0f;
        return value - band_limit(falling, step);
    }
    case SoundWave::TRIANGLE:
        return 4.0f * std::fabs(phase - 0.5f) - 1.0f;
    case SoundWave::SAW:
        return 2.0f * phase - 1.0f - band_limit(phase, step);
    case SoundWave::NOISE:
        return state->held;
    }
    return 0.0f;
}

// The envelope at `frame` frames into the note: 0 before and after, rising, holding, falling.
float envelope(uint32_t frame, uint32_t attack, uint32_t sustain, uint32_t decay) {
    if (frame < attack) {
        return static_cast<float>(frame) / static_cast<float>(attack);
    }
    frame -= attack;
    if (frame < sustain) {
        return 1.0f;
    }
    frame -= sustain;
    return frame < decay ? static_cast<float>(decay - frame) / static_cast<float>(decay) : 0.0f;
}

void start_note(const SoundNote &note, SoundNoteState *state, uint32_t rate, uint32_t index) {
    *state = SoundNoteState{};
    state->step = note.pitch / static_cast<float>(rate);
    state->step_factor = static_cast<float>(power_of_two(static_cast<double>(note.slide) / rate));
    state->vibrato_step = note.vibrato_rate / static_cast<float>(rate);
    state->filter_k = static_cast<float>(1.0 - 1.0 / power_of_two(TWO_PI * note.cutoff / rate / LN2));
    state->noise = NOISE_SEED + index * 0x9E3779B9u;
    state->held = next_noise(&state->noise);
    state->start = frames_of(note.start, rate);
    state->attack = frames_of(note.attack, rate);
    state->sustain = frames_of(note.sustain, rate);
    state->decay = frames_of(note.decay, rate);
}

// The note's next sample at `frame` frames from the start of its effect.
float note_sample(const SoundNote &note, SoundNoteState *state, uint32_t frame) {
    if (frame < state->start) {
        return 0.0f;
    }
    const float level = envelope(frame - state->start, state->attack, state->sustain, state->decay);
    if (level == 0.0f && frame > state->start) {
        return 0.0f;  // the note is over
    }
    float step = state->step;
    if (note.vibrato_rate > 0.0f) {
        step *= 1.0f + note.vibrato_depth * (4.0f * std::fabs(state->vibrato_phase - 0.5f) - 1.0f);
        state->vibrato_phase += state->vibrato_step;
        state->vibrato_phase -= state->vibrato_phase >= 1.0f ? 1.0f : 0.0f;
    }
    step = step < 0.5f ? step : 0.5f;
    const float raw = wave_sample(note, state, step);
    state->filtered += state->filter_k * (raw - state->filtered);
    state->phase += step;
    if (state->phase >= 1.0f) {
        state->phase -= 1.0f;
        if (note.wave == SoundWave::NOISE) {
            state->held = next_noise(&state->noise);
        }
    }
    state->step *= state->step_factor;
    return state->filtered * level * note.volume;
}

float voice_sample(SoundVoice *voice) {
    const SoundEffect &effect = SOUND_EFFECTS[voice->id];
    float sum = 0.0f;
    for (uint32_t n = 0; n < effect.count; ++n) {
        sum += note_sample(effect.notes[n], &voice->notes[n], voice->position);
    }
    if (++voice->position >= voice->length) {
        voice->playing = false;
    }
    return sum;
}

// Above the knee the mix is bent smoothly towards the ceiling, which it never reaches.
float limit(float x) {
    const float size = std::fabs(x);
    if (size <= LIMIT_KNEE) {
        return x;
    }
    const float range = LIMIT_CEILING - LIMIT_KNEE;
    float over = (size - LIMIT_KNEE) / range;
    over = over >= 3.0f ? 1.0f : over * (27.0f + over * over) / (27.0f + 9.0f * over * over);
    const float bent = LIMIT_KNEE + range * over;
    return x < 0.0f ? -bent : bent;
}

}  // namespace

uint32_t sound_length(SoundId id, uint32_t rate) {
    const SoundEffect &effect = SOUND_EFFECTS[id];
    uint32_t length = 0;
    for (uint32_t n = 0; n < effect.count; ++n) {
        const SoundNote &note = effect.notes[n];
        const uint32_t end = frames_of(note.start, rate) + frames_of(note.attack, rate) +
                             frames_of(note.sustain, rate) + frames_of(note.decay, rate);
        length = end > length ? end : length;
    }
    return length + 1;
}

void sound_mixer_start(SoundMixer *mixer, uint32_t rate) {
    *mixer = SoundMixer{};
    mixer->rate = rate;
}

void sound_play(SoundMixer *mixer, SoundId id) {
    if (id >= SOUND_COUNT) {
        return;
    }
    SoundVoice *chosen = &mixer->voices[0];
    for (SoundVoice &voice : mixer->voices) {
        if (!voice.playing) {
            chosen = &voice;
            break;
        }
        if (voice.position > chosen->position) {
            chosen = &voice;
        }
    }
    *chosen = SoundVoice{};
    chosen->playing = true;
    chosen->id = id;
    chosen->length = sound_length(id, mixer->rate);
    const SoundEffect &effect = SOUND_EFFECTS[id];
    for (uint32_t n = 0; n < effect.count; ++n) {
        start_note(effect.notes[n], &chosen->notes[n], mixer->rate, n);
    }
}

void sound_silence(SoundMixer *mixer) {
    for (SoundVoice &voice : mixer->voices) {
        voice.playing = false;
    }
}

bool sound_busy(const SoundMixer *mixer) {
    for (const SoundVoice &voice : mixer->voices) {
        if (voice.playing) {
            return true;
        }
    }
    return false;
}

void sound_mix(SoundMixer *mixer, int16_t *out, uint32_t frames) {
    if (!sound_busy(mixer)) {
        std::memset(out, 0, frames * sizeof *out);
        return;
    }
    for (uint32_t i = 0; i < frames; ++i) {
        float sum = 0.0f;
        for (SoundVoice &voice : mixer->voices) {
            if (voice.playing) {
                sum += voice_sample(&voice);
            }
        }
        out[i] = static_cast<int16_t>(std::lrint(limit(sum) * 32767.0f));
    }
}

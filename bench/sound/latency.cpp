// The sound's latency on the desktop: the time from a pass that starts an effect to the end of
// the device's pull that hands its first samples over, through the platform's own device layer
// and the game's mixer, for a number of effects started at passes 85 to 187 ms apart.
//
//     sound_latency [EFFECTS]
//
// Prints the device's buffer (frames a pull) and the least, middle and largest latency.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "sound/sound.h"

namespace {

struct Probe {
    SoundMixer mixer;
    uint64_t started;     // performance counter when the effect was started; 0 once handed over
    uint32_t frames;      // frames of the latest pull
    std::vector<double> latencies;
};

Probe probe;

double milliseconds(uint64_t ticks) {
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(SDL_GetPerformanceFrequency());
}

void pull(void * /*context*/, int16_t *out, uint32_t frames) {
    sound_mix(&probe.mixer, out, frames);
    probe.frames = frames;
    if (probe.started != 0) {
        probe.latencies.push_back(milliseconds(SDL_GetPerformanceCounter() - probe.started));
        probe.started = 0;
    }
}

}  // namespace

int main(int argc, char **argv) {
    const int effects = argc > 1 ? std::atoi(argv[1]) : 40;
    if (effects < 1) {
        std::fputs("usage: sound_latency [EFFECTS, at least 1]\n", stderr);
        return 2;
    }
    sound_mixer_start(&probe.mixer, SOUND_RATE);
    if (!platform_audio_open(SOUND_RATE, pull, nullptr)) {
        return 1;
    }
    for (int i = 0; i < effects; ++i) {
        SDL_Delay(17u * static_cast<Uint32>(5 + i % 7));  // whole passes, out of step with the pulls
        platform_audio_lock();
        sound_play(&probe.mixer, SOUND_SHIFT);
        probe.started = SDL_GetPerformanceCounter();
        platform_audio_unlock();
        for (bool waiting = true; waiting; SDL_Delay(1)) {
            platform_audio_lock();
            waiting = probe.started != 0;
            platform_audio_unlock();
        }
    }
    platform_audio_close();
    std::vector<double> sorted = probe.latencies;
    if (sorted.empty()) {
        std::fputs("sound_latency: no effect was played\n", stderr);
        return 1;
    }
    std::sort(sorted.begin(), sorted.end());
    std::printf("buffer %u frames (%.1f ms)\nlatency %.1f / %.1f / %.1f ms over %zu effects\n", probe.frames,
                1000.0 * probe.frames / SOUND_RATE, sorted.front(), sorted[sorted.size() / 2], sorted.back(),
                sorted.size());
    return 0;
}

// The sound device through SDL's audio: mono 16-bit samples pulled by SDL's own audio thread in
// buffers of 512 frames (10.7 ms at 48 kHz), under SDL's device lock.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"

namespace {

constexpr uint16_t BUFFER_FRAMES = 512;

struct SdlAudio {
    SDL_AudioDeviceID device;  // 0 when none is open
    AudioPull pull;
    void *context;
};

SdlAudio sdl_audio = {};

void SDLCALL fill(void * /*unused*/, Uint8 *stream, int bytes) {
    sdl_audio.pull(sdl_audio.context, reinterpret_cast<int16_t *>(stream),
                   static_cast<uint32_t>(bytes) / sizeof(int16_t));
}

// Opens the default device at exactly the rate and format asked for (SDL converts if the
// hardware differs); the sound server lists the stream under the game's name.
SDL_AudioDeviceID open_device(uint32_t rate) {
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Stakmir");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Game sounds");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return 0;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(rate);
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = BUFFER_FRAMES;
    want.callback = fill;
    SDL_AudioSpec have{};
    return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

}  // namespace

// Sound libraries that find no device write their own complaints to stderr, several lines of
// them: those are held back, and a missing device is the game's one line.
bool platform_audio_open(uint32_t rate, AudioPull pull, void *context) {
    sdl_audio.pull = pull;
    sdl_audio.context = context;
    const HeldOutput held = hold_stderr();
    sdl_audio.device = open_device(rate);
    const std::string said = release_stderr(held);
    if (sdl_audio.device == 0) {
        std::fprintf(stderr, "stakmir: playing without sound: %s\n", SDL_GetError());
        return false;
    }
    std::fputs(said.c_str(), stderr);
    SDL_PauseAudioDevice(sdl_audio.device, 0);
    return true;
}

void platform_audio_lock() {
    SDL_LockAudioDevice(sdl_audio.device);
}

void platform_audio_unlock() {
    SDL_UnlockAudioDevice(sdl_audio.device);
}

void platform_audio_close() {
    if (const SDL_AudioDeviceID device = sdl_audio.device; device != 0) {
        sdl_audio.device = 0;
        SDL_CloseAudioDevice(device);
    }
}

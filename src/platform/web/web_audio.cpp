// The page's sound device: the Web Audio API. Browsers let a page make sound only after a key
// or a touch, so the audio context is made, or resumed, at the first key or touch of the page.
// A ScriptProcessor node pulls the mixer's samples on the page's own thread, 1024 frames (21 ms)
// at a time: the same mixer and samples as on the desktop, no other thread to lock against,
// and pausing, muting and dropping what was queued behave the same everywhere. (Debian's
// Emscripten has no audio worklets; an AudioBuffer per effect would need the page to stop
// started buffers itself when the game pauses or the sound is turned off.)
#include <emscripten.h>

#include "platform/platform.h"
#include "platform/web/web_platform.h"

namespace {

constexpr uint32_t BUFFER_FRAMES = 1024;

struct WebAudio {
    bool open;
    AudioPull pull;
    void *context;
    int16_t samples[BUFFER_FRAMES];
};

WebAudio web_audio = {};

}  // namespace

// The page's node asks for its next samples: the address of `frames` samples, or 0 for silence.
extern "C" EMSCRIPTEN_KEEPALIVE int16_t *web_audio_pull(uint32_t frames) {
    if (!web_audio.open || frames > BUFFER_FRAMES) {
        return nullptr;
    }
    web_audio.pull(web_audio.context, web_audio.samples, frames);
    return web_audio.samples;
}

// Waits for the page's first key or touch to make the context at `rate` and its node; later ones
// resume it when the browser has suspended it. A browser without Web Audio (or one that cannot
// play at that rate) says so in one line, and the game plays silently.
EM_JS(void, page_audio_start, (int rate, int frames), {
    var audio = Module.stakmirAudio = { context: null, node: null };
    var events = ['keydown', 'pointerdown', 'touchend'];
    audio.start = function () {
        if (!audio.context) {
            try {
                audio.context = new (window.AudioContext || window.webkitAudioContext)({ sampleRate: rate });
            } catch (error) {
                console.warn('stakmir: playing without sound: ' + error.message);
                audio.stop();
                return;
            }
            audio.node = audio.context.createScriptProcessor(frames, 0, 1);
            audio.node.onaudioprocess = function (event) {
                var out = event.outputBuffer.getChannelData(0);
                var at = Module._web_audio_pull(out.length) >> 1;
                for (var i = 0; i < out.length; ++i) {
                    out[i] = at ? HEAP16[at + i] / 32768 : 0;
                }
            };
            audio.node.connect(audio.context.destination);
        }
        if (audio.context.state === 'suspended') {
            audio.context.resume().catch(function () {});
        }
    };
    audio.stop = function () {
        events.forEach(function (type) { window.removeEventListener(type, audio.start, true); });
        if (audio.node) {
            audio.node.disconnect();
            audio.node.onaudioprocess = null;
        }
        if (audio.context) {
            audio.context.close().catch(function () {});
        }
        audio.node = audio.context = null;
    };
    events.forEach(function (type) { window.addEventListener(type, audio.start, true); });
});

EM_JS(void, page_audio_stop, (), {
    if (Module.stakmirAudio) {
        Module.stakmirAudio.stop();
    }
});

// Tells the page whether the sound is off, for its sound buttons.
EM_JS(void, page_tell_muted, (int muted), { Module.stakmirMuted(muted !== 0); });

bool platform_audio_open(uint32_t rate, AudioPull pull, void *context) {
    web_audio.pull = pull;
    web_audio.context = context;
    web_audio.open = true;
    page_audio_start(static_cast<int>(rate), static_cast<int>(BUFFER_FRAMES));
    return true;
}

// The page has one thread: the node's pulls never come while the program runs.
void platform_audio_lock() {}

void platform_audio_unlock() {}

void platform_audio_close() {
    if (web_audio.open) {
        web_audio.open = false;
        page_audio_stop();
    }
}

void web_show_muted(bool muted) {
    page_tell_muted(muted ? 1 : 0);
}

// The sound device through the waveOut functions of WINMM: four buffers of 480 frames (10 ms at
// 48 kHz) go round between the device and a thread of the game's, which refills each one as the
// device hands it back (it signals an event) and sends it again.
#include "platform/win32/win32_platform.h"

#include <mmsystem.h>

#include <array>
#include <cstdio>

#include "platform/platform.h"

namespace {

constexpr int BUFFERS = 4;
constexpr uint32_t BUFFER_FRAMES = 480;

struct Win32Audio {
    HWAVEOUT device;  // null when none is open
    HANDLE done;      // signalled by the device whenever it hands a buffer back
    HANDLE thread;
    CRITICAL_SECTION lock;
    bool lock_made;
    volatile LONG stopping;
    AudioPull pull;
    void *context;
    std::array<WAVEHDR, BUFFERS> headers;
    std::array<std::array<int16_t, BUFFER_FRAMES>, BUFFERS> samples;
};

Win32Audio win32_audio = {};

// Fills a buffer under the lock and hands it to the device.
void send_buffer(WAVEHDR *header) {
    EnterCriticalSection(&win32_audio.lock);
    win32_audio.pull(win32_audio.context, reinterpret_cast<int16_t *>(header->lpData), BUFFER_FRAMES);
    LeaveCriticalSection(&win32_audio.lock);
    waveOutWrite(win32_audio.device, header, sizeof *header);
}

DWORD WINAPI feed(void * /*unused*/) {
    while (WaitForSingleObject(win32_audio.done, INFINITE) == WAIT_OBJECT_0 && win32_audio.stopping == 0) {
        for (WAVEHDR &header : win32_audio.headers) {
            if ((header.dwFlags & WHDR_DONE) != 0 && win32_audio.stopping == 0) {
                header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                send_buffer(&header);
            }
        }
    }
    return 0;
}

// Says in one line that the game plays silently; a program started without a console has no
// stderr, and a missing sound device is no reason for a message box.
bool no_sound(const char *why, MMRESULT result) {
    HANDLE error_output = GetStdHandle(STD_ERROR_HANDLE);
    if (error_output != nullptr && error_output != INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "stakmir: playing without sound: %s (waveOut error %u)\n", why, result);
        std::fflush(stderr);
    }
    platform_audio_close();
    return false;
}

}  // namespace

bool platform_audio_open(uint32_t rate, AudioPull pull, void *context) {
    platform_audio_close();
    win32_audio.pull = pull;
    win32_audio.context = context;
    win32_audio.stopping = 0;
    InitializeCriticalSection(&win32_audio.lock);
    win32_audio.lock_made = true;
    win32_audio.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = rate * 2;
    const MMRESULT opened = waveOutOpen(&win32_audio.device, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(win32_audio.done), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        win32_audio.device = nullptr;
        return no_sound("no sound device can be opened", opened);
    }
    for (int i = 0; i < BUFFERS; ++i) {
        WAVEHDR &header = win32_audio.headers[i];
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(win32_audio.samples[i].data());
        header.dwBufferLength = BUFFER_FRAMES * sizeof(int16_t);
        if (const MMRESULT prepared = waveOutPrepareHeader(win32_audio.device, &header, sizeof header);
            prepared != MMSYSERR_NOERROR) {
            return no_sound("the sound device refused a buffer", prepared);
        }
    }
    for (WAVEHDR &header : win32_audio.headers) {
        send_buffer(&header);
    }
    win32_audio.thread = CreateThread(nullptr, 0, feed, nullptr, 0, nullptr);
    if (win32_audio.thread == nullptr) {
        return no_sound("no thread to feed the sound device", MMSYSERR_ERROR);
    }
    return true;
}

void platform_audio_lock() {
    if (win32_audio.lock_made) {
        EnterCriticalSection(&win32_audio.lock);
    }
}

void platform_audio_unlock() {
    if (win32_audio.lock_made) {
        LeaveCriticalSection(&win32_audio.lock);
    }
}

// The thread is stopped first, so that nothing sends a buffer again; then the device gives every
// buffer back and is closed.
void platform_audio_close() {
    if (win32_audio.thread != nullptr) {
        InterlockedExchange(&win32_audio.stopping, 1);
        SetEvent(win32_audio.done);
        WaitForSingleObject(win32_audio.thread, INFINITE);
        CloseHandle(win32_audio.thread);
        win32_audio.thread = nullptr;
    }
    if (win32_audio.device != nullptr) {
        waveOutReset(win32_audio.device);
        for (WAVEHDR &header : win32_audio.headers) {
            if ((header.dwFlags & WHDR_PREPARED) != 0) {
                waveOutUnprepareHeader(win32_audio.device, &header, sizeof header);
            }
        }
        waveOutClose(win32_audio.device);
        win32_audio.device = nullptr;
    }
    if (win32_audio.done != nullptr) {
        CloseHandle(win32_audio.done);
        win32_audio.done = nullptr;
    }
    if (win32_audio.lock_made) {
        DeleteCriticalSection(&win32_audio.lock);
        win32_audio.lock_made = false;
    }
}

// Loaded into a program with LD_PRELOAD by the start-up figures: notes the monotonic time of
// the first SDL_GL_SwapWindow and counts them all, writing both to the file named by
// STAKMIR_SWAP_PROBE when the program exits. The program itself is unchanged.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double first_swap = -1.0;
long swaps = 0;

// Seconds on the clock Python's time.monotonic() reads.
double monotonic_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

__attribute__((destructor)) void write_figures() {
    const char *path = std::getenv("STAKMIR_SWAP_PROBE");
    FILE *out = path != nullptr ? std::fopen(path, "w") : nullptr;
    if (out != nullptr) {
        std::fprintf(out, "%.6f %ld\n", first_swap, swaps);
        std::fclose(out);
    }
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(void *window) {
    using SwapFunction = void (*)(void *);
    static const auto real_swap = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    real_swap(window);
    if (swaps++ == 0) {
        first_swap = monotonic_seconds();
    }
}

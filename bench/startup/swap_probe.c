/* Loaded into a program with LD_PRELOAD by the start-up figures: notes the monotonic time of
   the first SDL_GL_SwapWindow and counts them all, writing both to the file named by
   STAKMIR_SWAP_PROBE when the program exits. The program itself is unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double first_swap = -1.0;
static long swaps = 0;

static double monotonic_seconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

void SDL_GL_SwapWindow(void *window) {
    static void (*real_swap)(void *) = NULL;
    if (real_swap == NULL) {
        *(void **)&real_swap = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    }
    real_swap(window);
    if (swaps++ == 0) {
        first_swap = monotonic_seconds();
    }
}

__attribute__((destructor)) static void write_figures(void) {
    const char *path = getenv("STAKMIR_SWAP_PROBE");
    FILE *out = path != NULL ? fopen(path, "w") : NULL;
    if (out != NULL) {
        fprintf(out, "%.6f %ld\n", first_swap, swaps);
        fclose(out);
    }
}

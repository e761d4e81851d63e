// An allocator preloaded into the real program by the window tests: it refuses one chosen
// allocation of the game, so that the program's answer to running out of memory is seen as a
// player sees it. STAKMIR_TEST_REFUSE=record refuses the game record, =pictures the buffers
// the background pictures are decoded into; everything else is allocated as usual.
#include <cstdlib>
#include <cstring>
#include <new>

#include "game/game.h"

namespace {

constexpr std::size_t DXT1_BUFFER = 76800 + 1;          // compressed backgrounds, one byte over
constexpr std::size_t RGB_BUFFER = 480 * 320 * 3;       // backgrounds decoded on the processor

bool refuse(std::size_t size, bool nothrow) {
    static const char *what = std::getenv("STAKMIR_TEST_REFUSE");
    if (what == nullptr) {
        return false;
    }
    if (std::strcmp(what, "record") == 0) {
        return nothrow && size == sizeof(GameState);
    }
    return std::strcmp(what, "pictures") == 0 && !nothrow && (size == DXT1_BUFFER || size == RGB_BUFFER);
}

void *allocate(std::size_t size, bool nothrow) {
    void *block = refuse(size, nothrow) ? nullptr : std::malloc(size != 0 ? size : 1);
    if (block == nullptr && !nothrow) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void *operator new(std::size_t size) { return allocate(size, false); }
void *operator new[](std::size_t size) { return allocate(size, false); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return allocate(size, true); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return allocate(size, true); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { std::free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { std::free(block); }

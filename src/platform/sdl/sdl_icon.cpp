// The window icon: the largest embedded icon picture, RGBA, stored bottom row first.
#include <cstring>
#include <vector>

#include <SDL_surface.h>

#include "assets/assets.h"
#include "data/data.h"
#include "platform/sdl/sdl_platform.h"

namespace {

// Bytes the picture's stream decodes to: three for every four characters, one per leftover.
size_t decoded_size(const EncodedImage &image) {
    size_t characters = 0;
    for (const char *const *s = image.strings; s != nullptr && *s != nullptr && **s != '\0'; ++s) {
        characters += std::strlen(*s);
    }
    return 3 * (characters / 4) + characters % 4;
}

}  // namespace

void set_window_icon(SDL_Window *window) {
    const EncodedImage &image = IMAGE_ICONS[0];
    const int size = ICON_SIZES[0];
    const size_t row_bytes = static_cast<size_t>(size) * 4;
    const size_t picture_bytes = row_bytes * static_cast<size_t>(size);
    std::vector<uint8_t> stream(std::max(decoded_size(image), picture_bytes) + 1);
    if (static_cast<size_t>(decode_text6(&image, stream.data())) < picture_bytes) {
        return;  // a short picture: the window manager's default icon is better than noise
    }
    // SDL wants the top row first.
    std::vector<uint8_t> pixels(picture_bytes);
    for (int row = 0; row < size; ++row) {
        std::memcpy(&pixels[row_bytes * static_cast<size_t>(row)],
                    &stream[row_bytes * static_cast<size_t>(size - 1 - row)], row_bytes);
    }
    SDL_Surface *icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32,
                                                           static_cast<int>(row_bytes), SDL_PIXELFORMAT_RGBA32);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

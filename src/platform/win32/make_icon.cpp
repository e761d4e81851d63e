// Build-machine tool: writes the window icon file (48, 32 and 16 pixels, 32 bits per pixel) from
// the program's embedded icon pictures, for the Windows resource script.
//   stakmir-make-icon OUTPUT.ico
#include <cstdint>
#include <cstdio>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"

namespace {

constexpr int ICON_COUNT = 3;
constexpr uint32_t BITMAP_HEADER_SIZE = 40;

void put16(std::vector<uint8_t> &out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t> &out, uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

// Bytes of one row of the 1-bit transparency mask, padded to 32 bits.
uint32_t mask_row_bytes(int size) {
    return static_cast<uint32_t>((size + 31) / 32 * 4);
}

// One icon image: a bitmap header (twice the height: colour, then mask), the BGRA pixels and the
// mask, all bottom row first, as the embedded RGBA picture is stored.
std::vector<uint8_t> icon_image(const uint8_t *rgba, int size) {
    const uint32_t pixel_bytes = static_cast<uint32_t>(size * size * 4);
    const uint32_t mask_bytes = mask_row_bytes(size) * static_cast<uint32_t>(size);
    std::vector<uint8_t> out;
    put32(out, BITMAP_HEADER_SIZE);
    put32(out, static_cast<uint32_t>(size));
    put32(out, static_cast<uint32_t>(size * 2));
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, 0);   // uncompressed
    put32(out, pixel_bytes + mask_bytes);
    for (int i = 0; i < 4; ++i) {
        put32(out, 0);  // resolution and palette: unused
    }
    for (uint32_t i = 0; i < pixel_bytes; i += 4) {
        out.insert(out.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
    }
    // The mask marks fully transparent pixels, for systems that ignore the alpha channel.
    for (int y = 0; y < size; ++y) {
        std::vector<uint8_t> row(mask_row_bytes(size), 0);
        for (int x = 0; x < size; ++x) {
            if (rgba[(y * size + x) * 4 + 3] == 0) {
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80u >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stakmir-make-icon OUTPUT.ico\n");
        return 1;
    }
    std::vector<std::vector<uint8_t>> images;
    for (int i = 0; i < ICON_COUNT; ++i) {
        const int size = ICON_SIZES[i];
        std::vector<uint8_t> rgba(static_cast<size_t>(size * size * 4 + 1));
        if (decode_text6(&IMAGE_ICONS[i], rgba.data()) < size * size * 4) {
            std::fprintf(stderr, "stakmir-make-icon: the %d pixel icon picture is too short\n", size);
            return 1;
        }
        images.push_back(icon_image(rgba.data(), size));
    }
    std::vector<uint8_t> file;
    put16(file, 0);  // reserved
    put16(file, 1);  // an icon file
    put16(file, ICON_COUNT);
    uint32_t offset = 6 + 16 * ICON_COUNT;
    for (int i = 0; i < ICON_COUNT; ++i) {
        file.push_back(static_cast<uint8_t>(ICON_SIZES[i]));
        file.push_back(static_cast<uint8_t>(ICON_SIZES[i]));
        file.push_back(0);  // no palette
        file.push_back(0);
        put16(file, 1);   // planes
        put16(file, 32);  // bits per pixel
        put32(file, static_cast<uint32_t>(images[static_cast<size_t>(i)].size()));
        put32(file, offset);
        offset += static_cast<uint32_t>(images[static_cast<size_t>(i)].size());
    }
    for (const std::vector<uint8_t> &image : images) {
        file.insert(file.end(), image.begin(), image.end());
    }
    std::FILE *out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "stakmir-make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "stakmir-make-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

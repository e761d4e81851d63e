// The pure picture decoders: six-bit text to bytes, DXT1 blocks to RGB, and texture sizes.
#include <memory>

#include "assets/assets.h"

namespace {

constexpr int DXT1_WIDTH = 480;
constexpr int DXT1_HEIGHT = 320;
constexpr int DXT1_BLOCK_COLUMNS = DXT1_WIDTH / 4;            // 120
constexpr int DXT1_BLOCK_ROWS = DXT1_HEIGHT / 4;              // 80
constexpr int DXT1_ROW_BYTES = DXT1_WIDTH * 3;                // 1440 bytes per RGB row
constexpr int DXT1_STREAM_BYTES = DXT1_BLOCK_COLUMNS * DXT1_BLOCK_ROWS * 8;  // 76800

// One channel widened by shifting alone; the low bits stay zero.
struct Rgb8 {
    int r, g, b;
};

Rgb8 widen_565(uint16_t c) {
    return Rgb8{(c >> 11) << 3, ((c >> 5) & 63) << 2, (c & 31) << 3};
}

int mix_channel(int a, int b, int code, bool four_colour) {
    switch (code & 3) {
    case 0: return a;
    case 1: return b;
    case 2: return four_colour ? (2 * a + b) / 3 : (a + b) / 2;
    default: return four_colour ? (a + 2 * b) / 3 : 0;
    }
}

uint16_t read_u16_le(const uint8_t *p) {
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t read_u32_le(const uint8_t *p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Decodes one 8-byte block into the 4 by 4 texels whose first row starts at `out`.
void decode_block(uint8_t *out, const uint8_t *block) {
    const uint16_t c0 = read_u16_le(block);
    const uint16_t c1 = read_u16_le(block + 2);
    uint32_t codes = read_u32_le(block + 4);
    const bool four_colour = c0 > c1;
    for (int row = 0; row < 4; ++row) {
        uint8_t *line = out + DXT1_ROW_BYTES * row;
        for (int k = 0; k < 4; ++k) {
            dxt1_texel_color(line + 3 * k, c0, c1, int(codes & 3), four_colour);
            codes >>= 2;
        }
    }
}

}  // namespace

int decode_text6(const EncodedImage *image, uint8_t *out) {
    const char *const *strings = image->strings;
    int count = 0;
    unsigned phase = 0;
    uint8_t prev = 0;
    // Four characters carry three bytes, most significant bits first; the byte a character
    // completes takes the previous character's remaining bits and this one's top bits.
    for (; strings != nullptr && *strings != nullptr && **strings != '\0'; ++strings) {
        for (const char *c = *strings; *c != '\0'; ++c) {
            const uint8_t v = uint8_t(*c - 48);
            switch (phase) {
            case 1: out[count++] = uint8_t((prev << 2) | (v >> 4)); break;
            case 2: out[count++] = uint8_t((prev << 4) | (v >> 2)); break;
            case 3: out[count++] = uint8_t((prev << 6) | v); break;
            default: break;
            }
            prev = v;
            phase = (phase + 1) & 3;
        }
    }
    // A partial group still yields one byte per leftover character.
    if (phase != 0) {
        out[count++] = uint8_t(prev << (2 * phase));
    }
    return count;
}

void dxt1_texel_color(uint8_t *out, uint16_t c0, uint16_t c1, int code, bool four_colour) {
    const Rgb8 a = widen_565(c0);
    const Rgb8 b = widen_565(c1);
    out[0] = uint8_t(mix_channel(a.r, b.r, code, four_colour));
    out[1] = uint8_t(mix_channel(a.g, b.g, code, four_colour));
    out[2] = uint8_t(mix_channel(a.b, b.b, code, four_colour));
}

void decode_dxt1_image(uint8_t *pixels, const EncodedImage *image) {
    // One byte more than the blocks: a stream may end with a flushed byte of leftover bits.
    // Zero-filled, so a short stream gives black blocks rather than stale memory.
    const auto scratch = std::make_unique<uint8_t[]>(DXT1_STREAM_BYTES + 1);
    decode_text6(image, scratch.get());
    const uint8_t *block = scratch.get();
    for (int block_row = 0; block_row < DXT1_BLOCK_ROWS; ++block_row) {
        for (int block_column = 0; block_column < DXT1_BLOCK_COLUMNS; ++block_column) {
            decode_block(pixels + 4 * DXT1_ROW_BYTES * block_row + 12 * block_column, block);
            block += 8;
        }
    }
}

int next_pow2(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) {
        p <<= 1;
    }
    return p;
}

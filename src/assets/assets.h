// Embedded pictures: the six-bit text decoding, the DXT1 decoder and the textures made from them.
#pragma once

#include <cstdint>

#include "data/records.h"

// Texture indices in a TextureSet.
constexpr int TEX_BACKGROUND_0 = 0;  // background of levels 0 and 1 (bands 1 to 3 follow)
constexpr int TEX_BACKGROUND_1 = 1;
constexpr int TEX_BACKGROUND_2 = 2;
constexpr int TEX_BACKGROUND_3 = 3;
constexpr int TEX_TITLE = 4;         // the title wordmark, RGBA
constexpr int TEX_CAPTION = 5;       // the caption, alpha only
constexpr int TEX_TILES = 6;         // five 15 by 15 cell tiles, luminance-alpha
constexpr int TEX_FONT_TEXT = 7;     // atlas of the text font
constexpr int TEX_FONT_SCORE = 8;    // atlas of the score font
constexpr int TEX_COUNT = 9;

// The nine OpenGL texture names, at the indices above.
struct TextureSet {
    uint32_t names[TEX_COUNT];
};

// Writes the bytes of the image's stream to `out` and returns how many were written:
// 3 * (n / 4) + n % 4 for a stream of n characters.
int decode_text6(const EncodedImage *image, uint8_t *out);
// Decodes a 480 by 320 DXT1 background into 460800 bytes of RGB, row 0 first.
void decode_dxt1_image(uint8_t *pixels, const EncodedImage *image);
// Writes one texel (red, green, blue) of a DXT1 block with endpoints c0 and c1.
void dxt1_texel_color(uint8_t *out, uint16_t c0, uint16_t c1, int code, bool four_colour);
// The smallest power of two not below n (1 for n of 1 or less; at most 2^30).
int next_pow2(int n);

// The driver's compressed-texture uploads, found by the window layer when the driver offers S3TC
// compression and null otherwise. The backgrounds go up as DXT1 blocks only when both are there.
using CompressedTexImage2DProc = void (*)(uint32_t target, int32_t level, uint32_t internal_format,
                                          int32_t width, int32_t height, int32_t border,
                                          int32_t image_size, const void *data);
using CompressedTexSubImage2DProc = void (*)(uint32_t target, int32_t level, int32_t x, int32_t y,
                                             int32_t width, int32_t height, uint32_t format,
                                             int32_t image_size, const void *data);
extern CompressedTexImage2DProc compressed_tex_image_2d_proc;
extern CompressedTexSubImage2DProc compressed_tex_sub_image_2d_proc;

// Sets the fixed render state and creates every texture; needs a current OpenGL context.
TextureSet *create_textures();
// Deletes the nine textures and frees the set; the context must still be current.
void release_textures(TextureSet *textures);

// The texture catalogue: the fixed render state and the nine textures made from the
// embedded pictures, once at start.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <new>
#include <utility>

#include "assets/assets.h"
#include "data/data.h"

CompressedTexImage2DProc compressed_tex_image_2d_proc = nullptr;
CompressedTexSubImage2DProc compressed_tex_sub_image_2d_proc = nullptr;

namespace {

constexpr int BACKGROUND_WIDTH = 480;
constexpr int BACKGROUND_HEIGHT = 320;
constexpr int DXT1_BYTES = 76800;
constexpr int RGB_BYTES = BACKGROUND_WIDTH * BACKGROUND_HEIGHT * 3;
constexpr int TITLE_WIDTH = 107;
constexpr int TITLE_HEIGHT = 27;
constexpr int CAPTION_WIDTH = 154;
constexpr int CAPTION_HEIGHT = 19;
constexpr int TILE_SIZE = 15;
constexpr int TILE_COUNT = 5;
constexpr int TILE_SLOT = 16;
constexpr int TILE_ATLAS_WIDTH = 128;
constexpr int TILE_ATLAS_HEIGHT = 16;

// WebGL under Emscripten's fixed-function emulation, which the web build draws with, differs
// from desktop OpenGL in three places here: it has no GL_CLAMP (GL_CLAMP_TO_EDGE samples the same
// texels, the filters being GL_NEAREST); an alpha texture draws black under the default modulate
// (so alpha pictures go up as luminance-alpha texels of luminance 255, which draw the same); and
// a compressed texture cannot be defined without data (its level is made of zeroed DXT1 blocks).
#ifdef __EMSCRIPTEN__
constexpr bool WEBGL_TEXTURES = true;
#else
constexpr bool WEBGL_TEXTURES = false;
#endif
constexpr GLint WRAP_MODE = WEBGL_TEXTURES ? GL_CLAMP_TO_EDGE : GL_CLAMP;
constexpr GLenum ALPHA_FORMAT = WEBGL_TEXTURES ? GL_LUMINANCE_ALPHA : GL_ALPHA;
constexpr int DXT1_BLOCK_BYTES = 8;  // one 4 by 4 block

using Buffer = std::unique_ptr<uint8_t[]>;

// A decode buffer: one byte more than the picture, for the flushed byte of a partial group.
Buffer make_buffer(int picture_bytes) {
    return std::make_unique<uint8_t[]>(size_t(picture_bytes) + 1);
}

void set_render_state() {
    glScissor(300, 10, 150, 300);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 480, 0, 320, 0, 10);
    glMatrixMode(GL_MODELVIEW);
}

// Generates one name, binds it, gives it the common parameters and stores it at `index`.
void begin_texture(TextureSet *set, int index) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WRAP_MODE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WRAP_MODE);
    set->names[index] = name;
}

// Defines an empty power-of-two texture for a picture of the given size.
void define_empty(GLint internal_format, GLenum format, int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, internal_format, next_pow2(width), next_pow2(height), 0,
                 format, GL_UNSIGNED_BYTE, nullptr);
}

// Defines the empty DXT1 level of a background texture.
void define_empty_dxt1() {
    if (!WEBGL_TEXTURES) {
        define_empty(GL_COMPRESSED_RGB_S3TC_DXT1_EXT, GL_RGB, BACKGROUND_WIDTH, BACKGROUND_HEIGHT);
        return;
    }
    const int width = next_pow2(BACKGROUND_WIDTH);
    const int height = next_pow2(BACKGROUND_HEIGHT);
    const int bytes = (width / 4) * (height / 4) * DXT1_BLOCK_BYTES;
    const Buffer zeros = std::make_unique<uint8_t[]>(size_t(bytes));
    compressed_tex_image_2d_proc(GL_TEXTURE_2D, 0, GL_COMPRESSED_RGB_S3TC_DXT1_EXT, width, height, 0, bytes,
                                 zeros.get());
}

// An alpha picture's bytes in ALPHA_FORMAT: as they are, or as luminance-alpha texels.
Buffer alpha_texels(Buffer alpha, int count) {
    if (!WEBGL_TEXTURES) {
        return alpha;
    }
    Buffer texels = std::make_unique<uint8_t[]>(size_t(count) * 2);
    for (int i = 0; i < count; ++i) {
        texels[2 * size_t(i)] = 255;
        texels[2 * size_t(i) + 1] = alpha[i];
    }
    return texels;
}

// The driver takes the DXT1 blocks as they are only when both entry points were found.
bool compressed_path_available() {
    return compressed_tex_image_2d_proc != nullptr && compressed_tex_sub_image_2d_proc != nullptr;
}

void create_backgrounds(TextureSet *set) {
    const bool compressed = compressed_path_available();
    const Buffer buffer = compressed ? make_buffer(DXT1_BYTES) : std::make_unique<uint8_t[]>(RGB_BYTES);
    for (int i = 0; i < 4; ++i) {
        begin_texture(set, TEX_BACKGROUND_0 + i);
        if (compressed) {
            decode_text6(&IMAGE_BACKGROUNDS[i], buffer.get());
            define_empty_dxt1();
            compressed_tex_sub_image_2d_proc(GL_TEXTURE_2D, 0, 0, 0, BACKGROUND_WIDTH, BACKGROUND_HEIGHT,
                                             GL_COMPRESSED_RGB_S3TC_DXT1_EXT, DXT1_BYTES, buffer.get());
        } else {
            decode_dxt1_image(buffer.get(), &IMAGE_BACKGROUNDS[i]);
            define_empty(GL_RGB, GL_RGB, BACKGROUND_WIDTH, BACKGROUND_HEIGHT);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, BACKGROUND_WIDTH, BACKGROUND_HEIGHT, GL_RGB,
                            GL_UNSIGNED_BYTE, buffer.get());
        }
    }
}

// A picture smaller than its texture, uploaded at texel (0, 0).
void create_picture(TextureSet *set, int index, const EncodedImage *image, GLenum format,
                    int bytes_per_pixel, int width, int height) {
    begin_texture(set, index);
    Buffer buffer = make_buffer(width * height * bytes_per_pixel);
    decode_text6(image, buffer.get());
    if (format == GL_ALPHA) {
        buffer = alpha_texels(std::move(buffer), width * height);
        format = ALPHA_FORMAT;
    }
    define_empty(GLint(format), format, width, height);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, buffer.get());
}

using TileSlot = std::array<uint8_t, TILE_SLOT * TILE_SLOT * 2>;

// A 15 by 15 luminance-alpha tile in its 16 by 16 slot, its last column and row repeated once
// more. A cell whose edge runs through pixel centres (a piece on a half row) samples one texel
// beyond the tile there, so that texel must carry the tile's own edge.
void pad_tile(const uint8_t *tile, TileSlot *slot) {
    for (int y = 0; y < TILE_SLOT; ++y) {
        for (int x = 0; x < TILE_SLOT; ++x) {
            const int from = std::min(y, TILE_SIZE - 1) * TILE_SIZE + std::min(x, TILE_SIZE - 1);
            (*slot)[size_t(y * TILE_SLOT + x) * 2] = tile[from * 2];
            (*slot)[size_t(y * TILE_SLOT + x) * 2 + 1] = tile[from * 2 + 1];
        }
    }
}

void create_tiles(TextureSet *set) {
    begin_texture(set, TEX_TILES);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, TILE_ATLAS_WIDTH, TILE_ATLAS_HEIGHT, 0,
                 GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, nullptr);
    const Buffer buffer = make_buffer(TILE_SIZE * TILE_SIZE * 2);
    TileSlot slot{};
    for (int k = 0; k < TILE_COUNT; ++k) {
        decode_text6(&IMAGE_TILES[k], buffer.get());
        pad_tile(buffer.get(), &slot);
        glTexSubImage2D(GL_TEXTURE_2D, 0, TILE_SLOT * k, 0, TILE_SLOT, TILE_SLOT, GL_LUMINANCE_ALPHA,
                        GL_UNSIGNED_BYTE, slot.data());
    }
}

// A font atlas is a power of two already and goes up whole, with its data.
void create_font(TextureSet *set, int index, const FontDesc &font) {
    begin_texture(set, index);
    Buffer buffer = make_buffer(font.atlas_width * font.atlas_height);
    decode_text6(&font.atlas, buffer.get());
    buffer = alpha_texels(std::move(buffer), font.atlas_width * font.atlas_height);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(ALPHA_FORMAT), font.atlas_width, font.atlas_height, 0, ALPHA_FORMAT,
                 GL_UNSIGNED_BYTE, buffer.get());
}

void delete_names(const TextureSet *set) {
    for (int i = 0; i < TEX_COUNT; ++i) {
        if (set->names[i] != 0) {
            const GLuint name = set->names[i];
            glDeleteTextures(1, &name);
        }
    }
}

}  // namespace

TextureSet *create_textures() {
    auto set = std::unique_ptr<TextureSet>(new (std::nothrow) TextureSet{});
    if (set == nullptr) {
        std::fprintf(stderr, "stakmir: out of memory for the texture set\n");
        return nullptr;
    }
    set_render_state();
    try {
        create_backgrounds(set.get());
        create_picture(set.get(), TEX_TITLE, &IMAGE_TITLE, GL_RGBA, 4, TITLE_WIDTH, TITLE_HEIGHT);
        create_picture(set.get(), TEX_CAPTION, &IMAGE_CAPTION, GL_ALPHA, 1, CAPTION_WIDTH, CAPTION_HEIGHT);
        create_tiles(set.get());
        create_font(set.get(), TEX_FONT_TEXT, font_text);
        create_font(set.get(), TEX_FONT_SCORE, font_score);
    } catch (const std::bad_alloc &) {
        // Every decode buffer is already released; give back the names made so far too.
        std::fprintf(stderr, "stakmir: out of memory while decoding the pictures\n");
        delete_names(set.get());
        return nullptr;
    }
    return set.release();
}

void release_textures(TextureSet *textures) {
    if (textures == nullptr) return;
    for (int i = 0; i < TEX_COUNT; ++i) {
        const GLuint name = textures->names[i];
        glDeleteTextures(1, &name);
    }
    delete textures;
}

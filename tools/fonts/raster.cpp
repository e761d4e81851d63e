#include "fonts/raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace fontgen {

struct Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

void FaceDeleter::operator()(Face *face) const {
    if (face->face) FT_Done_Face(face->face);
    if (face->library) FT_Done_FreeType(face->library);
    delete face;
}

FacePtr face_open(const std::string &path, int pixel_size, double x_scale, std::string &error) {
    FacePtr face(new Face);
    if (FT_Init_FreeType(&face->library) != 0) {
        error = "cannot initialise FreeType";
        return nullptr;
    }
    if (FT_New_Face(face->library, path.c_str(), 0, &face->face) != 0) {
        error = "cannot open font " + path;
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(face->face, 0, FT_UInt(pixel_size)) != 0) {
        error = "cannot set the pixel size of " + path;
        return nullptr;
    }
    FT_Matrix matrix = {FT_Fixed(std::lround(x_scale * 65536.0)), 0, 0, 0x10000};
    FT_Set_Transform(face->face, &matrix, nullptr);
    return face;
}

namespace {

// Coverage of bitmap pixel (x, y) as 0-255, for both 1-bit and 8-bit bitmaps.
uint8_t bitmap_at(const FT_Bitmap &bitmap, int x, int y) {
    const unsigned char *row = bitmap.buffer + y * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    return row[x];
}

// Cuts the empty border off `ink`, moving `left` and `top` to match.
void ink_trim(Ink &ink) {
    int x0 = ink.width, x1 = -1, y0 = ink.height, y1 = -1;
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x) {
            if (ink.pixels[size_t(y * ink.width + x)] == 0) continue;
            x0 = std::min(x0, x), x1 = std::max(x1, x);
            y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    }
    if (x1 < 0) {
        ink.width = ink.height = 0;
        ink.pixels.clear();
        return;
    }
    std::vector<uint8_t> cut;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) cut.push_back(ink.pixels[size_t(y * ink.width + x)]);
    }
    ink.left += x0;
    ink.top -= y0;
    ink.width = x1 - x0 + 1;
    ink.height = y1 - y0 + 1;
    ink.pixels = std::move(cut);
}

}  // namespace

bool face_render(Face &face, uint32_t code, Ink &ink, std::string &error) {
    const FT_UInt index = FT_Get_Char_Index(face.face, code);
    if (index == 0 || FT_Load_Glyph(face.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
        error = "the font has no glyph for code " + std::to_string(code);
        return false;
    }
    const FT_GlyphSlot slot = face.face->glyph;
    const FT_Bitmap &bitmap = slot->bitmap;
    ink = Ink{};
    ink.left = slot->bitmap_left;
    ink.top = slot->bitmap_top;
    ink.width = int(bitmap.width);
    ink.height = int(bitmap.rows);
    ink.advance = int((slot->advance.x + 32) >> 6);
    ink.pixels.resize(size_t(ink.width * ink.height));
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x) ink.pixels[size_t(y * ink.width + x)] = bitmap_at(bitmap, x, y);
    }
    ink_trim(ink);
    return true;
}

}  // namespace fontgen

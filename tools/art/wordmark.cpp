// The title wordmark and the caption, rasterised with FreeType. The wordmark is drawn four
// times larger than its picture and then reduced, so that its outline and shadow are smooth.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "pictures.h"
#include "wordmark.h"
#include "wordmark_style.h"

namespace art {
namespace {

// A single-channel coverage mask, bottom row first like every raster here.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> values;
};

Mask mask_new(int width, int height) {
    return {width, height, std::vector<float>(size_t(width) * size_t(height), 0.0f)};
}

float &mask_at(Mask &mask, int x, int y) {
    return mask.values[size_t(y) * size_t(mask.width) + size_t(x)];
}

float mask_get(const Mask &mask, int x, int y) {
    if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) return 0.0f;
    return mask.values[size_t(y) * size_t(mask.width) + size_t(x)];
}

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

// An open font: the library and one face.
struct Font {
    LibraryPtr library;
    FacePtr face;
};

bool font_open(const std::string &path, Font &font) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "stakmir-make-art: cannot start FreeType\n");
        return false;
    }
    font.library.reset(library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "stakmir-make-art: cannot open the font %s\n", path.c_str());
        return false;
    }
    font.face.reset(face);
    return true;
}

// Ink box of a line of text set at the current size: left, right, bottom and top in pixels
// around a pen that starts at 0 on the baseline.
struct InkBox {
    int left = 1 << 20, right = -(1 << 20), bottom = 1 << 20, top = -(1 << 20);
};

// Sets `text` with kerning; for each glyph calls draw(bitmap, left, top) with the bitmap's
// top-left corner relative to the pen start. False if a glyph cannot be rendered.
template <typename Draw>
bool set_line(FT_Face face, const char *text, FT_Int32 load_flags, Draw draw) {
    long pen = 0;  // 26.6 fixed point
    FT_UInt previous = 0;
    for (const char *p = text; *p; ++p) {
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(static_cast<unsigned char>(*p)));
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern);
            pen += kern.x;
        }
        if (FT_Load_Glyph(face, index, load_flags | FT_LOAD_RENDER) != 0) return false;
        const FT_GlyphSlot slot = face->glyph;
        draw(slot->bitmap, int(std::lround(double(pen) / 64.0)) + slot->bitmap_left,
             slot->bitmap_top);
        pen += slot->advance.x;
        previous = index;
    }
    return true;
}

InkBox measure_line(FT_Face face, const char *text, FT_Int32 flags) {
    InkBox box;
    set_line(face, text, flags, [&](const FT_Bitmap &bitmap, int left, int top) {
        if (bitmap.width == 0 || bitmap.rows == 0) return;
        box.left = std::min(box.left, left);
        box.right = std::max(box.right, left + int(bitmap.width));
        box.top = std::max(box.top, top);
        box.bottom = std::min(box.bottom, top - int(bitmap.rows));
    });
    return box;
}

// The largest pixel size at which the text's ink fits in width x height.
int fit_size(FT_Face face, const char *text, FT_Int32 flags, int width, int height) {
    int best = 4;
    for (int size = 4; size <= 400; ++size) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        const InkBox box = measure_line(face, text, flags);
        if (box.right - box.left > width || box.top - box.bottom > height) break;
        best = size;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(best));
    return best;
}

// Rasterises `text` into a mask with its ink centred on (centre_x, centre_y).
bool draw_text(FT_Face face, const char *text, FT_Int32 flags, Mask &mask, float centre_x,
               float centre_y) {
    const InkBox box = measure_line(face, text, flags);
    const int pen_x = int(std::lround(centre_x - float(box.left + box.right) / 2.0f));
    const int base_y = int(std::lround(centre_y - float(box.bottom + box.top) / 2.0f));
    return set_line(face, text, flags, [&](const FT_Bitmap &bitmap, int left, int top) {
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = base_y + top - 1 - int(row);  // bitmap rows run downwards
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int x = pen_x + left + int(col);
                if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
                const float v = bitmap.buffer[row * unsigned(bitmap.pitch) + col] / 255.0f;
                mask_at(mask, x, y) = std::max(mask_at(mask, x, y), v);
            }
        }
    });
}

// Grows a mask by `radius` pixels: each pixel takes the strongest coverage within a disc.
Mask dilate(const Mask &mask, float radius) {
    Mask out = mask_new(mask.width, mask.height);
    const int r = int(std::ceil(radius));
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float best = 0.0f;
            for (int dy = -r; dy <= r; ++dy) {
                for (int dx = -r; dx <= r; ++dx) {
                    const float reach = std::clamp(radius + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
                    best = std::max(best, mask_get(mask, x + dx, y + dy) * reach);
                }
            }
            mask_at(out, x, y) = best;
        }
    }
    return out;
}

// A box blur of `radius` run three times in each direction: close to a Gaussian.
Mask blur(const Mask &mask, int radius) {
    Mask a = mask;
    for (int pass = 0; pass < 6; ++pass) {
        Mask b = mask_new(mask.width, mask.height);
        const bool across = pass % 2 == 0;
        for (int y = 0; y < mask.height; ++y) {
            for (int x = 0; x < mask.width; ++x) {
                float sum = 0.0f;
                for (int d = -radius; d <= radius; ++d) {
                    sum += across ? mask_get(a, x + d, y) : mask_get(a, x, y + d);
                }
                mask_at(b, x, y) = sum / float(2 * radius + 1);
            }
        }
        a = std::move(b);
    }
    return a;
}

Mask shifted(const Mask &mask, int dx, int dy) {
    Mask out = mask_new(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) mask_at(out, x, y) = mask_get(mask, x - dx, y - dy);
    }
    return out;
}

// Reduces a raster by `factor` in each direction, averaging colour weighted by alpha.
Raster reduce(const Raster &big, int factor) {
    Raster small = raster_new(big.width / factor, big.height / factor);
    const float n = float(factor * factor);
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            std::array<float, 4> sum = {0, 0, 0, 0};
            for (int sy = 0; sy < factor; ++sy) {
                for (int sx = 0; sx < factor; ++sx) {
                    const auto &p = big.pixels[size_t(y * factor + sy) * size_t(big.width) +
                                               size_t(x * factor + sx)];
                    for (size_t c = 0; c < 3; ++c) sum[c] += p[c] * p[3];
                    sum[3] += p[3];
                }
            }
            auto &out = raster_at(small, x, y);
            for (size_t c = 0; c < 3; ++c) out[c] = sum[3] > 0.0f ? sum[c] / sum[3] : 0.0f;
            out[3] = sum[3] / n;
        }
    }
    return small;
}

// The fill colour of the letters at height fraction t (0 bottom, 1 top) and across u.
Colour letter_colour(float t, float u) {
    const Colour vertical = t > 0.5f
        ? colour_mix(TITLE_FILL_MIDDLE, TITLE_FILL_TOP, smooth_step(0.5f, 1.0f, t))
        : colour_mix(TITLE_FILL_BOTTOM, TITLE_FILL_MIDDLE, smooth_step(0.0f, 0.5f, t));
    return colour_mix(vertical, TITLE_FILL_ACROSS, TITLE_ACROSS_STRENGTH * u);
}

}  // namespace

Raster paint_title(const std::string &font_path) {
    Font font;
    if (!font_open(font_path, font)) return {};
    const int s = TITLE_SUPERSAMPLE;
    Mask letters = mask_new(TITLE_WIDTH * s, TITLE_HEIGHT * s);
    const float margin = TITLE_MARGIN * float(s);
    fit_size(font.face.get(), TITLE_TEXT, FT_LOAD_NO_HINTING, letters.width - int(2 * margin),
             letters.height - int(2 * margin));
    const float centre_x = float(letters.width) / 2.0f;
    const float centre_y = float(letters.height) / 2.0f + TITLE_SHADOW_DROP * float(s) / 2.0f;
    if (!draw_text(font.face.get(), TITLE_TEXT, FT_LOAD_NO_HINTING, letters, centre_x, centre_y)) {
        std::fprintf(stderr, "stakmir-make-art: cannot render the title\n");
        return {};
    }
    const Mask outline = dilate(letters, TITLE_OUTLINE * float(s));
    const Mask shadow = blur(shifted(outline, int(TITLE_SHADOW_SHIFT * float(s)),
                                     -int(TITLE_SHADOW_DROP * float(s))),
                             int(TITLE_SHADOW_BLUR * float(s)));
    // The letters' own height for the gradient: from the lowest to the highest inked row.
    int ink_bottom = letters.height, ink_top = 0;
    for (int y = 0; y < letters.height; ++y) {
        for (int x = 0; x < letters.width; ++x) {
            if (mask_get(letters, x, y) > 0.5f) {
                ink_bottom = std::min(ink_bottom, y);
                ink_top = std::max(ink_top, y);
            }
        }
    }
    Raster big = raster_new(letters.width, letters.height);
    for (int y = 0; y < big.height; ++y) {
        const float t = std::clamp(float(y - ink_bottom) / float(std::max(1, ink_top - ink_bottom)), 0.0f, 1.0f);
        for (int x = 0; x < big.width; ++x) {
            raster_blend(big, x, y, TITLE_SHADOW_COLOUR, mask_get(shadow, x, y) * TITLE_SHADOW_ALPHA);
            raster_blend(big, x, y, TITLE_OUTLINE_COLOUR, mask_get(outline, x, y));
            const float u = float(x) / float(big.width - 1);
            raster_blend(big, x, y, letter_colour(t, u), mask_get(letters, x, y));
        }
    }
    return reduce(big, s);
}

Raster paint_caption(const std::string &font_path) {
    Font font;
    if (!font_open(font_path, font)) return {};
    Mask mask = mask_new(CAPTION_WIDTH, CAPTION_HEIGHT);
    const FT_Int32 flags = FT_LOAD_TARGET_LIGHT;
    fit_size(font.face.get(), CAPTION_TEXT, flags, CAPTION_WIDTH - 2 * CAPTION_MARGIN,
             CAPTION_HEIGHT - 2 * CAPTION_MARGIN);
    if (!draw_text(font.face.get(), CAPTION_TEXT, flags, mask, float(CAPTION_WIDTH) / 2.0f,
                   float(CAPTION_HEIGHT) / 2.0f)) {
        std::fprintf(stderr, "stakmir-make-art: cannot render the caption\n");
        return {};
    }
    Raster caption = raster_new(CAPTION_WIDTH, CAPTION_HEIGHT, {1, 1, 1, 0});
    for (size_t i = 0; i < mask.values.size(); ++i) caption.pixels[i][3] = mask.values[i];
    return caption;
}

}  // namespace art

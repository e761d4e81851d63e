#include "font_support.h"

#include "assets/assets.h"
#include "png_io.h"

std::vector<Glyph> font_glyphs(const FontDesc &font) {
    std::vector<Glyph> glyphs;
    for (const Glyph *g = font.glyphs; g->code != 0; ++g) glyphs.push_back(*g);
    return glyphs;
}

std::vector<KerningPair> font_kerning(const FontDesc &font) {
    std::vector<KerningPair> pairs;
    if (font.kerning == nullptr) return pairs;
    for (const KerningPair *k = font.kerning; k->first != 0; ++k) pairs.push_back(*k);
    return pairs;
}

const Glyph *font_find(const FontDesc &font, int code) {
    for (const Glyph *g = font.glyphs; g->code != 0; ++g) {
        if (g->code == code) return g;
    }
    return nullptr;
}

std::vector<uint8_t> font_atlas_top_down(const FontDesc &font, int *decoded) {
    const int w = font.atlas_width, h = font.atlas_height;
    std::vector<uint8_t> bottom_up(size_t(w * h + 1), 0);
    const int count = decode_text6(&font.atlas, bottom_up.data());
    if (decoded) *decoded = count;
    std::vector<uint8_t> top_down(size_t(w * h));
    for (int row = 0; row < h; ++row) {
        for (int x = 0; x < w; ++x) top_down[size_t(row * w + x)] = bottom_up[size_t((h - 1 - row) * w + x)];
    }
    return top_down;
}

namespace {

int kerning_of(const FontDesc &font, int previous, int code) {
    if (font.kerning == nullptr) return 0;
    for (const KerningPair *k = font.kerning; k->first != 0; ++k) {
        if (k->first == previous && k->second == code) return k->amount;
    }
    return 0;
}

}  // namespace

TextLayout layout_text_box(const FontDesc &font, const std::string &text, int bottom, int right, int top) {
    TextLayout out;
    int px = 34, py = top, line = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int ch = static_cast<signed char>(text[i]);
        if (ch == '\n') {
            px = 34, py -= font.line_height, ++line;
            continue;
        }
        if (ch == '\t') {
            px = (px + 75) / 75 * 75;
            continue;
        }
        const Glyph *g = font_find(font, ch);
        if (g == nullptr) continue;
        if (i > 0) px += kerning_of(font, static_cast<signed char>(text[i - 1]), ch);
        int qx = px + g->x_offset;
        int qtop = py - g->y_offset;
        if (qx + g->width >= right) {
            out.wrapped = true;
            py -= font.line_height, px = 34, ++line;
            qx = 34 + g->x_offset, qtop = py - g->y_offset;
        }
        if (qtop - g->height < bottom) {
            out.cut = true;
            break;
        }
        out.glyphs.push_back({g, qx, qtop, line});
        px = qx + g->advance - g->x_offset;
    }
    return out;
}

TextLayout layout_score(const FontDesc &font, const std::string &text) {
    TextLayout out;
    int px = 32, py = 215, line = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int ch = static_cast<signed char>(text[i]);
        if (ch == '\n') {
            px = 32, py -= font.line_height, ++line;
            continue;
        }
        const Glyph *g = font_find(font, ch);
        if (g == nullptr) continue;
        if (i > 0) px += kerning_of(font, static_cast<signed char>(text[i - 1]), ch);
        out.glyphs.push_back({g, px + g->x_offset, py - g->y_offset, line});
        px += g->advance;
    }
    return out;
}

namespace {

void blend(Screen &screen, int x, int y, const uint8_t colour[3], float alpha) {
    if (x < 0 || y < 0 || x >= 480 || y >= 320) return;
    uint8_t *p = &screen.rgb[size_t((y * 480 + x) * 3)];
    for (int c = 0; c < 3; ++c) p[c] = uint8_t(float(p[c]) + (float(colour[c]) - float(p[c])) * alpha + 0.5f);
}

}  // namespace

void screen_fill(Screen &screen, int x0, int y0, int x1, int y1, const uint8_t colour[3], float alpha) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) blend(screen, x, y, colour, alpha);
    }
}

void screen_draw(Screen &screen, const FontDesc &font, const TextLayout &layout, const uint8_t colour[3]) {
    const std::vector<uint8_t> atlas = font_atlas_top_down(font);
    for (const PlacedGlyph &p : layout.glyphs) {
        for (int row = 0; row < p.glyph->height; ++row) {
            for (int col = 0; col < p.glyph->width; ++col) {
                const uint8_t a = atlas[size_t((p.glyph->y + row) * font.atlas_width + p.glyph->x + col)];
                blend(screen, p.x + col, p.top - 1 - row, colour, float(a) / 255.0f);
            }
        }
    }
}

bool screen_write_png(const Screen &screen, const std::string &path, int scale) {
    const int w = 480 * scale, h = 320 * scale;
    std::vector<uint8_t> big(size_t(w * h * 3));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < 3; ++c) {
                big[size_t((y * w + x) * 3 + c)] = screen.rgb[size_t(((y / scale) * 480 + x / scale) * 3 + c)];
            }
        }
    }
    return write_png(path, w, h, 3, big.data());
}

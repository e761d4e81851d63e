// The small text font: DejaVu Sans Condensed at 11 pixels, lightly hinted and anti-aliased so
// that the letters keep their own shapes at this size (the curves of "S" against the corners of
// "5", the waist of "8" against the straight back of "B", the narrow "0" against the round "O"),
// in rectangles that keep a margin of empty texels around the ink.
#include <algorithm>
#include <cstring>

#include "fonts/atlas.h"
#include "fonts/fontgen.h"
#include "fonts/raster.h"

namespace fontgen {
namespace {

constexpr int PIXEL_SIZE = 11;
constexpr int BASELINE = 10;       // rows from the top of a line down to the baseline
constexpr int MARGIN_LEAD = 2;     // empty texels left of and above the ink, at least
constexpr int MARGIN_TRAIL = 3;    // empty texels right of and below the ink
constexpr int LINE_HEIGHT = 12;

// Glyphs that lean out to the left (diagonals, overhangs) get one more texel of room there.
constexpr const char *WIDE_LEAD = "/AVWXY\\_fTvwxy";

bool is_in(char c, const char *set) { return c != 0 && std::strchr(set, c) != nullptr; }

// Where the quad starts left of the pen.
int class_x_offset(char c) {
    if (c == 'J') return -4;
    if (c == '!') return -1;
    return is_in(c, WIDE_LEAD) ? -3 : -2;
}

// Fixed top of the quad below the line's top, or `natural` (two texels above the ink).
int class_y_offset(char c, int natural) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return 0;
    if (c == '.' || c == ',') return 6;
    if (c == '_') return 8;
    if (is_in(c, "bdfhijkl()[]{}|`")) return -1;
    // Letters of x-height start two rows below the line top; "t" rises a little above them.
    if (c >= 'a' && c <= 'z') return std::min(2, natural);
    return natural;
}

// The pen advance: the hinted advance except for the narrowest and widest letters.
int class_advance(char c, int natural) {
    if (is_in(c, "ijl")) return 2;
    if (c == '@') return 11;
    return natural;
}

// Overrides the ink-and-margin size: digits and the round x-height letters share one size,
// descenders one height, and capitals stay 7 to 15 wide.
void class_size(char c, int &width, int &height) {
    if (c >= '0' && c <= '9') width = 11, height = 13;
    if (c == 'a' || c == 'e' || c == 'o') width = 11, height = 11;
    if (c == 'g' || c == 'p' || c == 'q' || c == 'y') height = 13;
    if (c >= 'A' && c <= 'Z') width = std::clamp(width, 7, 15);
}

// The glyph record and the ink's place inside its rectangle for one rendered character.
bool glyph_layout(char c, const Ink &ink, Glyph &glyph, int &ink_x, int &ink_y, std::string &error) {
    const int ink_row = BASELINE - ink.top;
    const int x_offset = class_x_offset(c);
    const int y_offset = class_y_offset(c, ink_row - MARGIN_LEAD);
    ink_x = ink.left - x_offset;
    ink_y = ink_row - y_offset;
    int width = ink_x + ink.width + MARGIN_TRAIL;
    int height = ink_y + ink.height + MARGIN_TRAIL;
    class_size(c, width, height);
    if (ink_x < 0 || ink_y < 0 || ink_x + ink.width > width || ink_y + ink.height > height) {
        error = std::string("the ink of '") + c + "' does not fit its rectangle";
        return false;
    }
    glyph = Glyph{uint16_t(c), 0, 0, uint16_t(width), uint16_t(height), int16_t(x_offset),
                  int16_t(y_offset), int16_t(class_advance(c, ink.advance))};
    return true;
}

struct KerningRow {
    char first;
    const char *seconds;
    int amount;
};

// The kerning pairs, by first character; pairs missing here use -1.
constexpr KerningRow KERNING_ROWS[] = {
    {'-', "JTVXY", -1}, {'A', "TVWYvy", -1}, {'B', "Y", -1}, {'D', "Y", -1},
    {'F', ".:Aaeiruy", -1}, {'G', "Y", -1}, {'K', "-COTeouy", -1}, {'L', "TUVWYy", -1},
    {'O', "XY", -1}, {'P', ".A", -1}, {'R', "CTVYy", -1}, {'T', "-.:AC", -1},
    {'T', "aceorsuwy", -2}, {'V', "-.:Aaeou", -1}, {'W', ".:Aaeo", -1}, {'X', "-CO", -1},
    {'Y', "-.:ACOaeou", -1}, {'f', "-.", -1}, {'r', "-.", -1}, {'v', ".:", -1},
    {'w', ".:", -1}, {'y', ".:", -1},
};

// Amounts that differ from the row's.
int kerning_amount(char first, char second, int row_amount) {
    if (first == '-' && second == 'J') return 1;
    if (second == '.' && (first == 'F' || first == 'P' || first == 'Y')) return -2;
    return row_amount;
}

std::vector<KerningPair> kerning_table() {
    std::vector<KerningPair> pairs;
    for (const KerningRow &row : KERNING_ROWS) {
        for (const char *s = row.seconds; *s; ++s) {
            pairs.push_back({uint16_t(row.first), uint16_t(*s),
                             int16_t(kerning_amount(row.first, *s, row.amount))});
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const KerningPair &a, const KerningPair &b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    return pairs;
}

// Stretches anti-aliased coverage so that the darkest texel is fully opaque: a stem that falls
// between two texel columns still draws solid black at its core.
void ink_normalise(Ink &ink) {
    int top = 0;
    for (uint8_t v : ink.pixels) top = std::max(top, int(v));
    if (top == 0) return;
    for (uint8_t &v : ink.pixels) v = uint8_t((int(v) * 255 + top / 2) / top);
}

}  // namespace

bool build_text_font(const std::string &font_dir, BuiltFont &out, std::string &error) {
    const std::string path = font_dir + "/DejaVuSansCondensed.ttf";
    FacePtr face = face_open(path, PIXEL_SIZE, 1.0, error);
    if (!face) return false;
    out = BuiltFont{};
    out.line_height = LINE_HEIGHT;
    out.has_kerning = true;
    out.kerning = kerning_table();
    std::vector<Ink> inks;
    std::vector<AtlasItem> items;
    out.glyphs.push_back({' ', 0, 0, 1, 0, 0, int16_t(LINE_HEIGHT), 3});
    for (int code = 33; code <= 126; ++code) {
        Ink ink;
        Glyph glyph{};
        AtlasItem item{};
        if (!face_render(*face, uint32_t(code), ink, error)) return false;
        ink_normalise(ink);
        if (!glyph_layout(char(code), ink, glyph, item.ink_x, item.ink_y, error)) return false;
        item.glyph = out.glyphs.size();
        out.glyphs.push_back(glyph);
        inks.push_back(std::move(ink));
        items.push_back(item);
    }
    for (size_t i = 0; i < items.size(); ++i) items[i].ink = &inks[i];
    return atlas_pack(out, items, 124, error);
}

}  // namespace fontgen

// The stored pictures: their string lists, the sizes they decode to, and the backgrounds'
// light and dark where the title, caption and score are drawn over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"

namespace {

// Decodes `image` after checking its strings (at most 128 characters of the six-bit alphabet,
// ended by an empty one) and that decoding gives `bytes`, or one more for a partial group.
std::vector<uint8_t> decoded(const EncodedImage &image, size_t bytes) {
    size_t count = 0;
    for (const char *const *s = image.strings; *s && **s; ++s, ++count) {
        EXPECT_LE(std::strlen(*s), 128u) << "string " << count;
        for (const char *c = *s; *c; ++c) EXPECT_TRUE(*c >= '0' && *c <= 'o') << "string " << count;
    }
    EXPECT_NE(image.strings[count], nullptr) << "the list must end with an empty string";
    std::vector<uint8_t> out(bytes + 1);
    EXPECT_EQ(size_t(decode_text6(&image, out.data())), bytes % 3 == 0 ? bytes : bytes + 1);
    return out;
}

std::vector<uint8_t> background(int band) {
    std::vector<uint8_t> rgb(480 * 320 * 3);
    decode_dxt1_image(rgb.data(), &IMAGE_BACKGROUNDS[band]);
    return rgb;
}

// Backgrounds are 800 strings of exactly 128 and an empty one; the rest decode to their sizes.
TEST(StoredPictures, EveryPictureHasItsStoredForm) {
    for (int band = 0; band < 4; ++band) {
        const char *const *strings = IMAGE_BACKGROUNDS[band].strings;
        for (int i = 0; i < 800; ++i) ASSERT_EQ(std::strlen(strings[i]), 128u) << "band " << band << " string " << i;
        EXPECT_STREQ(strings[800], "") << "band " << band;
        decoded(IMAGE_BACKGROUNDS[band], 800 * 128 / 4 * 3);
    }
    for (int k = 0; k < 5; ++k) decoded(IMAGE_TILES[k], 15 * 15 * 2);
}

// The title and caption have ink and nothing cut off at their borders; the icons are
// pixel-sharp opaque cells on transparency.
TEST(StoredPictures, TitleCaptionAndIconsHaveTheirInk) {
    const std::vector<uint8_t> title = decoded(IMAGE_TITLE, 107 * 27 * 4);
    const std::vector<uint8_t> caption = decoded(IMAGE_CAPTION, 154 * 19);
    size_t title_opaque = 0, caption_ink = 0;
    for (size_t i = 0; i < 107 * 27; ++i) title_opaque += title[4 * i + 3] == 255;
    for (size_t i = 0; i < 154 * 19; ++i) caption_ink += caption[i] > 128;
    EXPECT_GT(title_opaque, 107u * 27u / 5u);
    EXPECT_GT(caption_ink, 154u * 19u / 10u);
    for (int x = 0; x < 107; ++x) {
        EXPECT_LT(std::max(title[size_t(4 * x + 3)], title[size_t(4 * (26 * 107 + x) + 3)]), 64) << "x " << x;
    }
    for (int y = 0; y < 19; ++y) {
        EXPECT_LT(std::max(caption[size_t(y * 154)], caption[size_t(y * 154 + 153)]), 64) << "y " << y;
    }
    for (int i = 0; i < 3; ++i) {
        const size_t pixels = size_t(ICON_SIZES[i] * ICON_SIZES[i]);
        const std::vector<uint8_t> icon = decoded(IMAGE_ICONS[i], pixels * 4);
        size_t opaque = 0, clear = 0;
        for (size_t p = 0; p < pixels; ++p) {
            opaque += icon[4 * p + 3] == 255;
            clear += icon[4 * p + 3] == 0;
        }
        EXPECT_GT(opaque, pixels / 2) << "size " << ICON_SIZES[i];
        EXPECT_GT(clear, pixels / 20) << "size " << ICON_SIZES[i];
        EXPECT_EQ(opaque + clear, pixels) << "size " << ICON_SIZES[i];
    }
}

// Relative luminance of an sRGB colour with components from 0 to 1.
double luminance(const double rgb[3]) {
    double l = 0;
    const double weights[3] = {0.2126, 0.7152, 0.0722};
    for (int c = 0; c < 3; ++c) {
        l += weights[c] * (rgb[c] <= 0.04045 ? rgb[c] / 12.92 : std::pow((rgb[c] + 0.055) / 1.055, 2.4));
    }
    return l;
}

// Caption and score colours over the region where they are drawn (x 30 to 190, y 150 to 285,
// origin at the bottom left): the contrast at 99 of 100 pixels, and the lowest anywhere.
TEST(StoredPictures, TextReadsOverEveryBackground) {
    const struct { int band; double caption[3], score[3], lowest; } cases[] = {
        {0, {0, 0, 0}, {0, 0.125, 0.25}, 4.5},
        {1, {0, 0, 0}, {0, 0.125, 0.25}, 4.5},
        {2, {0, 0, 0}, {0, 0.125, 0.25}, 4.5},
        {3, {1, 1, 1}, {0.75, 0.75, 0.25}, 3.0},  // night: not even a star may hide the text
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.band);
        const std::vector<uint8_t> rgb = background(c.band);
        for (const double *colour : {c.caption, c.score}) {
            const double text = luminance(colour);
            std::vector<double> values;
            for (int y = 150; y < 285; ++y) {
                for (int x = 30; x < 190; ++x) {
                    const uint8_t *p = &rgb[size_t(3 * (y * 480 + x))];
                    const double pixel[3] = {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
                    const double l = luminance(pixel);
                    values.push_back((std::max(l, text) + 0.05) / (std::min(l, text) + 0.05));
                }
            }
            std::sort(values.begin(), values.end());
            EXPECT_GE(values[values.size() / 100], colour == c.caption ? 7.0 : 6.0);
            EXPECT_GE(values.front(), c.lowest);
        }
    }
}

// The four backgrounds differ by more than 12 levels per channel on average.
TEST(StoredPictures, TheFourBackgroundsDiffer) {
    std::vector<std::vector<uint8_t>> pictures;
    for (int band = 0; band < 4; ++band) pictures.push_back(background(band));
    for (size_t a = 0; a < 4; ++a) {
        for (size_t b = a + 1; b < 4; ++b) {
            double difference = 0;
            for (size_t i = 0; i < pictures[a].size(); ++i) difference += std::abs(int(pictures[a][i]) - int(pictures[b][i]));
            EXPECT_GT(difference / double(pictures[a].size()), 12.0) << "bands " << a << ", " << b;
        }
    }
}

}  // namespace

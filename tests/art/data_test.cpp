// The stored pictures: the shape of their string lists, the sizes they decode to, and the
// backgrounds' light and dark where the title, caption and score are drawn over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"

namespace {

// Number of strings before the terminating empty one; checks every character and length.
size_t checked_string_count(const EncodedImage &image, size_t max_length) {
    size_t count = 0;
    for (const char *const *s = image.strings; *s && **s; ++s, ++count) {
        const size_t length = std::strlen(*s);
        EXPECT_LE(length, max_length) << "string " << count;
        for (size_t i = 0; i < length; ++i) {
            EXPECT_TRUE((*s)[i] >= '0' && (*s)[i] <= 'o') << "string " << count << " at " << i;
        }
    }
    EXPECT_NE(image.strings[count], nullptr) << "the list must end with an empty string";
    return count;
}

// Decodes the image and checks the byte count: exactly `bytes`, or one more when the last
// group of characters is partial.
std::vector<uint8_t> decoded(const EncodedImage &image, size_t bytes) {
    checked_string_count(image, 128);
    std::vector<uint8_t> out(bytes + 1);
    const int count = decode_text6(&image, out.data());
    const size_t expected = bytes % 3 == 0 ? bytes : bytes + 1;
    EXPECT_EQ(size_t(count), expected);
    return out;
}

TEST(StoredPictures, BackgroundsAreEightHundredStringsOf128) {
    for (int band = 0; band < 4; ++band) {
        const EncodedImage &image = IMAGE_BACKGROUNDS[band];
        EXPECT_EQ(checked_string_count(image, 128), 800u) << "band " << band;
        for (int i = 0; i < 800; ++i) {
            ASSERT_EQ(std::strlen(image.strings[i]), 128u) << "band " << band << " string " << i;
        }
        EXPECT_STREQ(image.strings[800], "");
    }
}

TEST(StoredPictures, EveryPictureDecodesToItsSize) {
    decoded(IMAGE_TITLE, 107 * 27 * 4);
    decoded(IMAGE_CAPTION, 154 * 19);
    for (int k = 0; k < 5; ++k) decoded(IMAGE_TILES[k], 15 * 15 * 2);
    for (int i = 0; i < 3; ++i) decoded(IMAGE_ICONS[i], size_t(ICON_SIZES[i] * ICON_SIZES[i] * 4));
}

TEST(StoredPictures, TitleAndCaptionHaveInkAndClearEdges) {
    const std::vector<uint8_t> title = decoded(IMAGE_TITLE, 107 * 27 * 4);
    const std::vector<uint8_t> caption = decoded(IMAGE_CAPTION, 154 * 19);
    size_t title_opaque = 0, caption_ink = 0;
    for (size_t i = 0; i < 107 * 27; ++i) title_opaque += title[4 * i + 3] == 255;
    for (size_t i = 0; i < 154 * 19; ++i) caption_ink += caption[i] > 128;
    EXPECT_GT(title_opaque, 107u * 27u / 5u);
    EXPECT_GT(caption_ink, 154u * 19u / 10u);
    // Nothing is cut off at the picture's border.
    for (int x = 0; x < 107; ++x) {
        EXPECT_LT(title[size_t(4 * x + 3)], 64) << "bottom row, x " << x;
        EXPECT_LT(title[size_t(4 * (26 * 107 + x) + 3)], 64) << "top row, x " << x;
    }
    for (int y = 0; y < 19; ++y) {
        EXPECT_LT(caption[size_t(y * 154)], 64) << "left column, y " << y;
        EXPECT_LT(caption[size_t(y * 154 + 153)], 64) << "right column, y " << y;
    }
}

TEST(StoredPictures, IconsAreOpaqueCellsOnTransparency) {
    for (int i = 0; i < 3; ++i) {
        const int size = ICON_SIZES[i];
        const std::vector<uint8_t> icon = decoded(IMAGE_ICONS[i], size_t(size * size * 4));
        size_t opaque = 0, clear = 0;
        for (size_t p = 0; p < size_t(size * size); ++p) {
            opaque += icon[4 * p + 3] == 255;
            clear += icon[4 * p + 3] == 0;
        }
        EXPECT_GT(opaque, size_t(size * size) / 2) << "size " << size;
        EXPECT_GT(clear, size_t(size * size) / 20) << "size " << size;
        EXPECT_EQ(opaque + clear, size_t(size * size)) << "cells are drawn pixel-sharp";
    }
}

// Relative luminance of an sRGB colour with components from 0 to 1.
double luminance(double r, double g, double b) {
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

double contrast(double l1, double l2) {
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

// Contrast of a text colour over the region where the caption and the score are drawn
// (x 30 to 190, y 150 to 285, screen origin at the bottom left): the lowest contrast found
// at 99 of 100 pixels, and the lowest anywhere.
std::pair<double, double> text_contrast(int band, double r, double g, double b) {
    std::vector<uint8_t> rgb(480 * 320 * 3);
    decode_dxt1_image(rgb.data(), &IMAGE_BACKGROUNDS[band]);
    const double text = luminance(r, g, b);
    std::vector<double> values;
    for (int y = 150; y < 285; ++y) {
        for (int x = 30; x < 190; ++x) {
            const uint8_t *p = &rgb[size_t(3 * (y * 480 + x))];
            values.push_back(contrast(text, luminance(p[0] / 255.0, p[1] / 255.0, p[2] / 255.0)));
        }
    }
    std::sort(values.begin(), values.end());
    return {values[values.size() / 100], values.front()};
}

TEST(StoredPictures, TextReadsOverTheDayBackgrounds) {
    for (int band = 0; band < 3; ++band) {
        const auto [caption, caption_min] = text_contrast(band, 0, 0, 0);
        const auto [score, score_min] = text_contrast(band, 0, 0.125, 0.25);
        EXPECT_GE(caption, 7.0) << "black caption, band " << band;
        EXPECT_GE(score, 6.0) << "dark blue score, band " << band;
        EXPECT_GE(std::min(caption_min, score_min), 4.5) << "band " << band;
    }
}

TEST(StoredPictures, TextReadsOverTheNightBackground) {
    const auto [caption, caption_min] = text_contrast(3, 1, 1, 1);
    const auto [score, score_min] = text_contrast(3, 0.75, 0.75, 0.25);
    EXPECT_GE(caption, 7.0) << "white caption";
    EXPECT_GE(score, 6.0) << "light yellow score";
    EXPECT_GE(std::min(caption_min, score_min), 3.0) << "not even a star may hide the text";
}

TEST(StoredPictures, TheFourBackgroundsDiffer) {
    std::vector<std::vector<uint8_t>> pictures;
    for (int band = 0; band < 4; ++band) {
        pictures.emplace_back(480 * 320 * 3);
        decode_dxt1_image(pictures.back().data(), &IMAGE_BACKGROUNDS[band]);
    }
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            double difference = 0;
            for (size_t i = 0; i < pictures[size_t(a)].size(); ++i) {
                difference += std::abs(int(pictures[size_t(a)][i]) - int(pictures[size_t(b)][i]));
            }
            EXPECT_GT(difference / double(pictures[0].size()), 12.0) << "bands " << a << ", " << b;
        }
    }
}

}  // namespace

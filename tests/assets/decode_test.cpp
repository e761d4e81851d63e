// The six-bit text decoder, the DXT1 decoder and next_pow2, against hand-worked values and
// the art pipeline's encoder.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "common/encode.h"

namespace {

constexpr uint8_t GUARD = 0xA5;

// Decodes a list of strings (null-terminated for the decoder) into a guarded buffer and
// checks that nothing was written past the returned count.
std::vector<uint8_t> decode_list(std::vector<const char *> strings, size_t capacity = 64) {
    strings.push_back(nullptr);
    const EncodedImage image{strings.data()};
    std::vector<uint8_t> out(capacity, GUARD);
    const int count = decode_text6(&image, out.data());
    EXPECT_GE(count, 0);
    for (size_t i = size_t(count); i < out.size(); ++i) {
        EXPECT_EQ(out[i], GUARD) << "byte " << i << " written past the count";
    }
    out.resize(size_t(count));
    return out;
}

using Bytes = std::vector<uint8_t>;

TEST(DecodeText6, FullGroupsPackMostSignificantBitsFirst) {
    EXPECT_EQ(decode_list({"o0o0"}), (Bytes{0xFC, 0x0F, 0xC0}));
    // "0" is value 0 and "o" value 63: the extremes of the alphabet.
    EXPECT_EQ(decode_list({"oooo0000"}), (Bytes{0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00}));
    // "1" (1), "A" (17), "c" (51), "W" (39): 000001 010001 110011 100111.
    EXPECT_EQ(decode_list({"1AcW"}), (Bytes{0x05, 0x1C, 0xE7}));
}

TEST(DecodeText6, PartialGroupFlushesOneBytePerLeftoverCharacter) {
    EXPECT_EQ(decode_list({"o"}), (Bytes{0xFC}));
    EXPECT_EQ(decode_list({"oo"}), (Bytes{0xFF, 0xF0}));
    EXPECT_EQ(decode_list({"ooo"}), (Bytes{0xFF, 0xFF, 0xC0}));
    // After a full group the phase restarts: five characters give 3 + 1 bytes.
    EXPECT_EQ(decode_list({"o0o0o"}), (Bytes{0xFC, 0x0F, 0xC0, 0xFC}));
}

TEST(DecodeText6, EmptyOrNullFirstEntryYieldsNothing) {
    EXPECT_TRUE(decode_list({""}).empty());
    EXPECT_TRUE(decode_list({"", "o0o0"}).empty());
    EXPECT_TRUE(decode_list({nullptr, "o0o0"}).empty());
}

TEST(DecodeText6, SplitCarriesNoMeaning) {
    const Bytes whole = decode_list({"o0o0"});
    EXPECT_EQ(decode_list({"o0", "o0"}), whole);
    EXPECT_EQ(decode_list({"o", "0o0"}), whole);
    EXPECT_EQ(decode_list({"o0o", "0"}), whole);
    EXPECT_EQ(decode_list({"o", "0", "o", "0"}), whole);
    // A partial group split across strings is still flushed once at the very end.
    EXPECT_EQ(decode_list({"o", "o"}), (Bytes{0xFF, 0xF0}));
}

TEST(DecodeText6, EmptyOrNullEntryInTheMiddleEndsTheStream) {
    EXPECT_EQ(decode_list({"o0o0", "", "oooo"}), (Bytes{0xFC, 0x0F, 0xC0}));
    EXPECT_EQ(decode_list({"o0o0", nullptr, "oooo"}), (Bytes{0xFC, 0x0F, 0xC0}));
    // The flush happens at the end of the stream, not at the end of the list.
    EXPECT_EQ(decode_list({"oo", "", "oo"}), (Bytes{0xFF, 0xF0}));
}

// Splits text into chunks of random sizes and decodes them as one list.
Bytes decode_split(const std::string &text, std::mt19937 &rng, size_t capacity) {
    std::vector<std::string> chunks;
    std::uniform_int_distribution<size_t> size(1, 9);
    for (size_t i = 0; i < text.size();) {
        const size_t n = std::min(size(rng), text.size() - i);
        chunks.push_back(text.substr(i, n));
        i += n;
    }
    std::vector<const char *> list;
    for (const std::string &c : chunks) list.push_back(c.c_str());
    list.push_back("");
    return decode_list(list, capacity);
}

TEST(DecodeText6, RoundTripsTheEncoderForEveryLengthModFour) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    for (size_t length = 0; length < 200; ++length) {
        Bytes original(length);
        for (uint8_t &b : original) b = uint8_t(byte(rng));
        const std::string text = tools::encode_text6(original);
        const size_t n = text.size();
        ASSERT_EQ(n, (length * 4 + 2) / 3) << "length " << length;
        const Bytes decoded = decode_split(text, rng, length + 8);
        // 3 * (n div 4) + (n mod 4) bytes: one extra byte whenever the bit count is not a
        // multiple of eight, holding only the unused low bits.
        const size_t expected_count = 3 * (n / 4) + n % 4;
        ASSERT_EQ(decoded.size(), expected_count) << "length " << length;
        EXPECT_EQ(expected_count, length + (length % 3 != 0 ? 1 : 0));
        EXPECT_TRUE(std::equal(original.begin(), original.end(), decoded.begin())) << "length " << length;
        if (decoded.size() > length) {
            EXPECT_EQ(decoded[length], 0) << "the encoder leaves the unused bits zero";
        }
    }
}

std::array<uint8_t, 3> texel(uint16_t c0, uint16_t c1, int code) {
    std::array<uint8_t, 3> out{};
    dxt1_texel_color(out.data(), c0, c1, code, c0 > c1);
    return out;
}

using Rgb = std::array<uint8_t, 3>;

TEST(Dxt1Texel, FourColourBlockInterpolatesAndTruncates) {
    EXPECT_EQ(texel(0xFFFF, 0x0000, 0), (Rgb{248, 252, 248}));
    EXPECT_EQ(texel(0xFFFF, 0x0000, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(texel(0xFFFF, 0x0000, 2), (Rgb{165, 168, 165}));
    EXPECT_EQ(texel(0xFFFF, 0x0000, 3), (Rgb{82, 84, 82}));
    // Truncation, not rounding: red 8 and 0 give (16 + 0) / 3 = 5 and (8 + 0) / 3 = 2;
    // green 4 and 0 give 2 and 1; blue 8 and 0 as red.
    EXPECT_EQ(texel(0x0821, 0x0000, 2), (Rgb{5, 2, 5}));
    EXPECT_EQ(texel(0x0821, 0x0000, 3), (Rgb{2, 1, 2}));
    // Channels are independent: pure red against pure blue.
    EXPECT_EQ(texel(0xF800, 0x001F, 0), (Rgb{248, 0, 0}));
    EXPECT_EQ(texel(0xF800, 0x001F, 1), (Rgb{0, 0, 248}));
    EXPECT_EQ(texel(0xF800, 0x001F, 2), (Rgb{165, 0, 82}));
}

TEST(Dxt1Texel, ThreeColourBlockHasMidpointAndBlack) {
    EXPECT_EQ(texel(0x0000, 0xFFFF, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(texel(0x0000, 0xFFFF, 1), (Rgb{248, 252, 248}));
    EXPECT_EQ(texel(0x0000, 0xFFFF, 2), (Rgb{124, 126, 124}));
    EXPECT_EQ(texel(0x0000, 0xFFFF, 3), (Rgb{0, 0, 0}));
    // Equal endpoints are a three-colour block too: code 3 is black, not the colour.
    EXPECT_EQ(texel(0x7BEF, 0x7BEF, 2), (Rgb{120, 124, 120}));
    EXPECT_EQ(texel(0x7BEF, 0x7BEF, 3), (Rgb{0, 0, 0}));
    // The comparison is unsigned: 0x8000 is larger than 0x7FFF.
    EXPECT_EQ(texel(0x8000, 0x7FFF, 3), (Rgb{(128 + 2 * 120) / 3, (0 + 2 * 252) / 3, (0 + 2 * 248) / 3}));
}

// One DXT1 background built from a block function, encoded as the art pipeline stores it.
struct Background {
    std::vector<std::string> strings;
    std::vector<const char *> list;
    EncodedImage image{};
};

template <typename BlockFn>
void build_background(Background &bg, BlockFn block_of) {
    Bytes blocks;
    blocks.reserve(76800);
    for (int row = 0; row < 80; ++row) {
        for (int column = 0; column < 120; ++column) {
            const std::array<uint8_t, 8> b = block_of(row, column);
            blocks.insert(blocks.end(), b.begin(), b.end());
        }
    }
    const std::string text = tools::encode_text6(blocks);
    for (size_t i = 0; i < text.size(); i += 128) bg.strings.push_back(text.substr(i, 128));
    for (const std::string &s : bg.strings) bg.list.push_back(s.c_str());
    bg.list.push_back("");
    bg.image.strings = bg.list.data();
}

std::array<uint8_t, 8> make_block(uint16_t c0, uint16_t c1, uint32_t codes) {
    return {uint8_t(c0), uint8_t(c0 >> 8), uint8_t(c1), uint8_t(c1 >> 8),
            uint8_t(codes), uint8_t(codes >> 8), uint8_t(codes >> 16), uint8_t(codes >> 24)};
}

// A colour that identifies the block: red from the block row, green from the block column.
uint16_t block_colour(int row, int column) {
    return uint16_t(((row & 31) << 11) | ((column & 63) << 5) | 31);
}

TEST(Dxt1Image, BlocksLandAtTheirRowsAndColumns) {
    Background bg;
    build_background(bg, [](int row, int column) { return make_block(block_colour(row, column), 0, 0); });
    std::vector<uint8_t> pixels(460800 + 16, GUARD);
    decode_dxt1_image(pixels.data(), &bg.image);
    int wrong = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 480; ++x) {
            const uint16_t c = block_colour(y / 4, x / 4);
            const Rgb expected{uint8_t((c >> 11) << 3), uint8_t(((c >> 5) & 63) << 2), 248};
            const uint8_t *p = &pixels[size_t(1440 * y + 3 * x)];
            if (Rgb{p[0], p[1], p[2]} != expected && ++wrong < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    for (size_t i = 460800; i < pixels.size(); ++i) EXPECT_EQ(pixels[i], GUARD);
}

TEST(Dxt1Image, CodesRunLowBitsFirstAlongRowsThenUpRows) {
    Background bg;
    // Left half: every byte 0xE4 gives codes 0, 1, 2, 3 across each row.
    // Right half: byte r all r's gives code r in every texel of block row r.
    build_background(bg, [](int, int column) {
        return make_block(0xFFFF, 0x0000, column < 60 ? 0xE4E4E4E4u : 0xFFAA5500u);
    });
    std::vector<uint8_t> pixels(460800);
    decode_dxt1_image(pixels.data(), &bg.image);
    const std::array<Rgb, 4> by_code{Rgb{248, 252, 248}, Rgb{0, 0, 0}, Rgb{165, 168, 165}, Rgb{82, 84, 82}};
    int wrong = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 480; ++x) {
            const int code = x < 240 ? x % 4 : y % 4;
            const uint8_t *p = &pixels[size_t(1440 * y + 3 * x)];
            if (Rgb{p[0], p[1], p[2]} != by_code[size_t(code)] && ++wrong < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(NextPow2, SmallestPowerOfTwoNotBelow) {
    EXPECT_EQ(next_pow2(-5), 1);
    EXPECT_EQ(next_pow2(0), 1);
    EXPECT_EQ(next_pow2(1), 1);
    EXPECT_EQ(next_pow2(2), 2);
    EXPECT_EQ(next_pow2(3), 4);
    EXPECT_EQ(next_pow2(512), 512);
    EXPECT_EQ(next_pow2(513), 1024);
    // The picture sides of the catalogue.
    EXPECT_EQ(next_pow2(480), 512);
    EXPECT_EQ(next_pow2(320), 512);
    EXPECT_EQ(next_pow2(107), 128);
    EXPECT_EQ(next_pow2(27), 32);
    EXPECT_EQ(next_pow2(154), 256);
    EXPECT_EQ(next_pow2(19), 32);
    EXPECT_EQ(next_pow2(1 << 30), 1 << 30);
}

}  // namespace

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

using Bytes = std::vector<uint8_t>;
using Rgb = std::array<uint8_t, 3>;
constexpr uint8_t GUARD = 0xA5;

// Decodes a list of strings (null added at the end) into a guarded buffer; fails if anything
// was written past the returned count.
Bytes decode_list(std::vector<const char *> strings, size_t capacity = 64) {
    strings.push_back(nullptr);
    const EncodedImage image{strings.data()};
    Bytes out(capacity, GUARD);
    const int count = decode_text6(&image, out.data());
    EXPECT_GE(count, 0);
    for (size_t i = size_t(count); i < out.size(); ++i) EXPECT_EQ(out[i], GUARD) << "byte " << i << " past the count";
    out.resize(size_t(count));
    return out;
}

// Bit packing (most significant first), the flushed byte of a partial group, splits anywhere
// and the end of the stream at the first empty or null entry.
TEST(DecodeText6, HandWorkedStreams) {
    const struct {
        std::vector<const char *> list;
        Bytes expected;
    } cases[] = {
        {{"o0o0"}, {0xFC, 0x0F, 0xC0}},
        {{"1AcW"}, {0x05, 0x1C, 0xE7}},  // 000001 010001 110011 100111
        {{"o"}, {0xFC}},
        {{"oo"}, {0xFF, 0xF0}},
        {{"ooo"}, {0xFF, 0xFF, 0xC0}},
        {{"o0o0o"}, {0xFC, 0x0F, 0xC0, 0xFC}},  // the phase restarts after a full group
        {{"o", "0", "o", "0"}, {0xFC, 0x0F, 0xC0}},  // split after every character of a group
        {{"o", "o"}, {0xFF, 0xF0}},  // a split partial group is flushed once, at the end
        {{""}, {}},
        {{"", "o0o0"}, {}},
        {{nullptr, "o0o0"}, {}},
        {{"o0o0", "", "oooo"}, {0xFC, 0x0F, 0xC0}},
        {{"o0o0", nullptr, "oooo"}, {0xFC, 0x0F, 0xC0}},
        {{"oo", "", "oo"}, {0xFF, 0xF0}},  // flushed at the end of the stream, not of the list
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.expected));
        EXPECT_EQ(decode_list(c.list), c.expected);
    }
}

// Every length mod 4, split at random places: 3 * (n / 4) + n % 4 bytes, the original first,
// then a zero flushed byte whenever the bit count is not a multiple of eight.
TEST(DecodeText6, RoundTripsTheEncoderSplitAnywhere) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> chunk(1, 9);
    for (size_t length = 0; length < 200; ++length) {
        SCOPED_TRACE(length);
        Bytes original(length);
        for (uint8_t &b : original) b = uint8_t(byte(rng));
        const std::string text = tools::encode_text6(original);
        const size_t n = text.size();
        ASSERT_EQ(n, (length * 4 + 2) / 3);
        std::vector<std::string> chunks;
        for (size_t i = 0; i < n; i += chunks.back().size()) chunks.push_back(text.substr(i, chunk(rng)));
        std::vector<const char *> list;
        for (const std::string &s : chunks) list.push_back(s.c_str());
        list.push_back("");
        const Bytes decoded = decode_list(list, length + 8);
        ASSERT_EQ(decoded.size(), 3 * (n / 4) + n % 4);
        EXPECT_EQ(decoded.size(), length + (length % 3 != 0 ? 1 : 0));
        EXPECT_TRUE(std::equal(original.begin(), original.end(), decoded.begin()));
        EXPECT_EQ(decoded.size() > length ? decoded[length] : 0, 0);
    }
}

// Four-colour (c0 > c1, thirds truncated) and three-colour blocks (midpoint and black), with
// channels widened by shifting, independent channels and an unsigned endpoint comparison.
TEST(Dxt1Texel, ExactColours) {
    const struct {
        uint16_t c0, c1;
        int code;
        Rgb rgb;
    } cases[] = {
        {0xFFFF, 0x0000, 0, {248, 252, 248}}, {0xFFFF, 0x0000, 1, {0, 0, 0}},
        {0xFFFF, 0x0000, 2, {165, 168, 165}}, {0xFFFF, 0x0000, 3, {82, 84, 82}},
        {0x0821, 0x0000, 2, {5, 2, 5}},       {0x0821, 0x0000, 3, {2, 1, 2}},  // truncation
        {0xF800, 0x001F, 0, {248, 0, 0}},     {0xF800, 0x001F, 1, {0, 0, 248}},
        {0xF800, 0x001F, 2, {165, 0, 82}},
        {0x0000, 0xFFFF, 0, {0, 0, 0}},       {0x0000, 0xFFFF, 1, {248, 252, 248}},
        {0x0000, 0xFFFF, 2, {124, 126, 124}}, {0x0000, 0xFFFF, 3, {0, 0, 0}},
        {0x7BEF, 0x7BEF, 2, {120, 124, 120}}, {0x7BEF, 0x7BEF, 3, {0, 0, 0}},  // equal: three colours
        {0x8000, 0x7FFF, 3, {(128 + 2 * 120) / 3, 2 * 252 / 3, 2 * 248 / 3}},  // unsigned comparison
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.c0 << " " << c.c1 << " code " << c.code);
        Rgb out{};
        dxt1_texel_color(out.data(), c.c0, c.c1, c.code, c.c0 > c.c1);
        EXPECT_EQ(out, c.rgb);
    }
}

// A whole background: block (row, column) has a colour naming its place (red from the row,
// green from the column) against black (equal endpoints from block row 40), and codes 0, 1, 2,
// 3 along each row in the left half (bytes 0xE4) but code r in every texel of block row r in
// the right half (byte r all r's). Guards block placement, row 0 first, codes low bits first
// along rows then up rows (blue alone tells the four codes apart in the upper rows), the
// unsigned c0 > c1 choice of each block, and nothing written past the picture.
TEST(Dxt1Image, BlocksAndCodesLandAtTheirTexels) {
    const auto colour = [](int row, int column) { return uint16_t(((row & 31) << 11) | ((column & 63) << 5) | 31); };
    const auto other = [&](int row, int column) { return row < 40 ? uint16_t(0) : colour(row, column); };
    Bytes blocks;
    for (int row = 0; row < 80; ++row) {
        for (int column = 0; column < 120; ++column) {
            const uint16_t c0 = colour(row, column), c1 = other(row, column);
            const uint32_t codes = column < 60 ? 0xE4E4E4E4u : 0xFFAA5500u;
            for (uint32_t v : {uint32_t(c0), uint32_t(c0 >> 8), uint32_t(c1), uint32_t(c1 >> 8), codes, codes >> 8,
                               codes >> 16, codes >> 24}) {
                blocks.push_back(uint8_t(v));
            }
        }
    }
    const std::string text = tools::encode_text6(blocks);
    const char *const list[] = {text.c_str(), nullptr};
    const EncodedImage image{list};
    Bytes pixels(460800 + 16, GUARD);
    decode_dxt1_image(pixels.data(), &image);
    int wrong = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 480; ++x) {
            Rgb expected{};
            const uint16_t c0 = colour(y / 4, x / 4), c1 = other(y / 4, x / 4);
            dxt1_texel_color(expected.data(), c0, c1, x < 240 ? x % 4 : y % 4, c0 > c1);
            const uint8_t *p = &pixels[size_t(1440 * y + 3 * x)];
            if (Rgb{p[0], p[1], p[2]} != expected && ++wrong < 5) ADD_FAILURE() << "pixel " << x << ", " << y;
        }
    }
    EXPECT_EQ(wrong, 0);
    for (size_t i = 460800; i < pixels.size(); ++i) EXPECT_EQ(pixels[i], GUARD);
}

// Including the catalogue's picture sides and the 2^30 cap.
TEST(NextPow2, SmallestPowerOfTwoNotBelow) {
    const std::array<std::pair<int, int>, 14> cases{{{-5, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {512, 512},
                                                     {513, 1024}, {480, 512}, {320, 512}, {107, 128}, {27, 32},
                                                     {154, 256}, {19, 32}, {1 << 30, 1 << 30}}};
    for (const auto &[n, p] : cases) EXPECT_EQ(next_pow2(n), p) << n;
}

}  // namespace

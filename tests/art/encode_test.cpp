// The six-bit encoder against the game's own decoder, and the C++ source it writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/assets.h"
#include "common/encode.h"

namespace {

std::vector<uint8_t> sample_bytes(size_t n) {
    std::vector<uint8_t> bytes(n);
    uint32_t state = 12345;
    for (auto &b : bytes) {
        state = state * 214013u + 2531011u;
        b = uint8_t(state >> 16);
    }
    return bytes;
}

// The strings of a generated list, with the C++ escapes undone.
std::vector<std::string> literals(const std::string &source) {
    std::vector<std::string> strings;
    for (size_t i = source.find('"'); i != std::string::npos; i = source.find('"', i + 1)) {
        std::string s;
        for (++i; source[i] != '"'; ++i) {
            if (source[i] == '\\') ++i;
            s.push_back(source[i]);
        }
        strings.push_back(s);
    }
    return strings;
}

TEST(Encode, EveryLengthRoundTripsThroughTheGameDecoder) {
    for (size_t n = 0; n < 40; ++n) {
        const std::vector<uint8_t> bytes = sample_bytes(n);
        const std::string text = tools::encode_text6(bytes);
        EXPECT_EQ(text.size(), n / 3 * 4 + (n % 3 ? n % 3 + 1 : 0));
        const char *list[] = {text.c_str(), ""};
        const EncodedImage image = {list};
        std::vector<uint8_t> out(n + 2, 0xAA);
        EXPECT_EQ(size_t(decode_text6(&image, out.data())), n + (n % 3 ? 1 : 0)) << n;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), out.begin())) << n;
    }
}

TEST(Encode, SourceListSplitsEscapesAndTerminates) {
    // The first six bytes encode to two question marks between two "o" and four backslashes,
    // the characters a C++ literal must escape.
    std::vector<uint8_t> bytes = sample_bytes(1000);
    bytes.insert(bytes.begin(), {0xFC, 0xF3, 0xFF, 0xB2, 0xCB, 0x2C});
    const std::string source = tools::encoded_list_source("sample", bytes, 128);
    EXPECT_EQ(source.rfind("static const char *const sample[] = {", 0), 0u);
    EXPECT_EQ(source.find("\?\?"), std::string::npos) << "no trigraph can form";
    const std::vector<std::string> strings = literals(source);
    ASSERT_GE(strings.size(), 2u);
    EXPECT_EQ(strings.back(), "");
    std::string joined;
    for (size_t i = 0; i + 1 < strings.size(); ++i) {
        EXPECT_EQ(strings[i].size(), i + 2 < strings.size() ? 128u : strings[i].size());
        EXPECT_LE(strings[i].size(), 128u);
        joined += strings[i];
    }
    EXPECT_EQ(joined.substr(0, 8), "o\?\?o\\\\\\\\");
    EXPECT_EQ(joined, tools::encode_text6(bytes));
}

}  // namespace

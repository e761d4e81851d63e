// The art tool: generating the pictures again reproduces every committed data file byte for
// byte, an unwritable data folder fails cleanly, and the six-bit encoder agrees with the
// game's decoder and writes lists C++ reads back unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "common/encode.h"
#include "generate.h"
#include "pictures.h"

namespace {

std::string read_file(const std::filesystem::path &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Regenerate, ReproducesTheCommittedDataByteForByte) {
    const std::filesystem::path out = STAKMIR_ART_OUTPUT_DIR, data = STAKMIR_DATA_DIR;
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    ASSERT_TRUE(art::generate_all({out.string(), ""}));
    std::vector<std::string> names(std::begin(art::GENERATED_SOURCES), std::end(art::GENERATED_SOURCES));
    for (int size : art::ICON_PNG_SIZES) names.push_back("icons/stakmir-" + std::to_string(size) + ".png");
    for (const std::string &name : names) {
        const std::string committed = read_file(data / name);
        ASSERT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(read_file(out / name) == committed) << name << " differs from its sources";
    }
    std::filesystem::remove_all(out);
}

TEST(Regenerate, FailsCleanlyWhenTheDataFolderCannotBeWritten) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(art::generate_all({"/nonexistent/stakmir-data", ""}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
}

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

// Every length, with its partial last group, round-trips through the game's decoder.
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

// Lists split into strings of 128, end with an empty one, and escape backslashes and
// question marks so that no trigraph can form.
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

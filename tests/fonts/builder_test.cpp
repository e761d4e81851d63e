// The font builder: regenerating reproduces the committed sources byte for byte, and a
// missing font is reported instead of producing anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "assets/assets.h"
#include "fonts/fontgen.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A fresh empty folder under the system's temporary folder, one per process, removed at the
// end of the test.
struct TempDir {
    fs::path path;
    explicit TempDir(const std::string &name)
        : path(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

TEST(FontBuilder, RegeneratingReproducesTheCommittedSources) {
    TempDir dir("stakmir-fonts-regenerate");
    std::string error;
    ASSERT_TRUE(fontgen::write_fonts(dir.path.string(), fontgen::DEFAULT_FONT_DIR, error)) << error;
    for (const char *name : {"font_text.cpp", "font_score.cpp"}) {
        const std::string fresh = read_file(dir.path / name);
        ASSERT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == read_file(fs::path(STAKMIR_DATA_DIR) / name))
            << name << " differs from a fresh build: run stakmir-make-fonts";
    }
}

TEST(FontBuilder, MissingFontIsAnErrorAndWritesNothing) {
    TempDir dir("stakmir-fonts-missing");
    std::string error;
    EXPECT_FALSE(fontgen::write_fonts(dir.path.string(), (dir.path / "no-such-folder").string(), error));
    EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir.path));
}

TEST(FontBuilder, UnwritableDataFolderIsAnError) {
    std::string error;
    EXPECT_FALSE(fontgen::write_fonts("/nonexistent/stakmir/data", fontgen::DEFAULT_FONT_DIR, error));
    EXPECT_FALSE(error.empty());
}

// The strings of the atlas in a generated source, with their escapes undone; a failure for
// any escape other than \\ and \?.
std::vector<std::string> atlas_strings(const std::string &source) {
    std::vector<std::string> strings;
    std::istringstream lines(source.substr(source.find("ATLAS_TEXT[] = {")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && line != "};") {
        std::string text;
        for (size_t i = line.find('"') + 1; i < line.rfind('"'); ++i) {
            if (line[i] == '\\') {
                ++i;
                EXPECT_TRUE(line[i] == '\\' || line[i] == '?') << line;
            }
            text += line[i];
        }
        strings.push_back(text);
    }
    return strings;
}

TEST(FontBuilder, SourceCarriesTheAtlasBottomRowFirstAndEscaped) {
    fontgen::BuiltFont font;
    font.line_height = 12;
    font.atlas.resize(128 * 128);
    // Byte triples whose six-bit groups are all the backslash (value 44) or the question mark (15).
    const uint8_t backslashes[3] = {0xB2, 0xCB, 0x2C}, questions[3] = {0x3C, 0xF3, 0xCF};
    for (size_t i = 0; i < font.atlas.size(); ++i) font.atlas[i] = (i / 384) % 2 ? backslashes[i % 3] : questions[i % 3];
    font.atlas[5] = 7;  // top row, sixth texel
    const std::string source = fontgen::font_source("font_x", "test", font);
    const std::vector<std::string> strings = atlas_strings(source);
    ASSERT_FALSE(strings.empty());
    EXPECT_EQ(strings.back(), "");
    std::vector<const char *> list;
    for (const std::string &s : strings) {
        EXPECT_LE(s.size(), 128u);
        list.push_back(s.c_str());
    }
    const EncodedImage image{list.data()};
    std::vector<uint8_t> bytes(128 * 128 + 1);
    ASSERT_EQ(decode_text6(&image, bytes.data()), 128 * 128 + 1);
    for (int row = 0; row < 128; ++row) {
        for (int x = 0; x < 128; ++x) {
            ASSERT_EQ(bytes[size_t(row * 128 + x)], font.atlas[size_t((127 - row) * 128 + x)]) << row << "," << x;
        }
    }
    EXPECT_NE(source.find("extern const FontDesc font_x = {{ATLAS_TEXT}, GLYPHS, nullptr, 128, 128, 12};"),
              std::string::npos);
}

}  // namespace

// The font builder: regenerating reproduces the committed sources, bad folders are errors,
// and the atlas is written bottom row first with the characters C++ must escape escaped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "common/encode.h"
#include "fonts/fontgen.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A fresh empty folder, one per process, removed at the end of the test.
struct TempDir {
    fs::path path;
    explicit TempDir(const std::string &name) : path(fs::temp_directory_path() / (name + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
};

// With the real FreeType and fonts, regenerating reproduces data/font_*.cpp byte for byte.
TEST(FontBuilder, RegeneratingReproducesTheCommittedSources) {
    TempDir dir("stakmir-fonts-regenerate-");
    std::string error;
    ASSERT_TRUE(fontgen::write_fonts(dir.path.string(), fontgen::DEFAULT_FONT_DIR, error)) << error;
    for (const char *name : {"font_text.cpp", "font_score.cpp"}) {
        const std::string fresh = read_file(dir.path / name);
        ASSERT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == read_file(fs::path(STAKMIR_DATA_DIR) / name))
            << name << " differs from a fresh build: run stakmir-make-fonts";
    }
}

// A missing font folder is an error naming it and writes nothing; so is an unwritable data folder.
TEST(FontBuilder, BadFoldersAreErrors) {
    TempDir dir("stakmir-fonts-missing-");
    std::string error;
    EXPECT_FALSE(fontgen::write_fonts(dir.path.string(), (dir.path / "no-such-folder").string(), error));
    EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir.path));
    error.clear();
    EXPECT_FALSE(fontgen::write_fonts("/nonexistent/stakmir/data", fontgen::DEFAULT_FONT_DIR, error));
    EXPECT_FALSE(error.empty());
}

// The atlas is written bottom row first as strings of at most 128 characters, ended by an
// empty one, with the backslashes and question marks of the encoded text escaped.
TEST(FontBuilder, SourceCarriesTheAtlasBottomRowFirstAndEscaped) {
    fontgen::BuiltFont font;
    font.line_height = 12;
    font.atlas.resize(128 * 128);
    // Byte triples whose six-bit groups are all the backslash (value 44) or the question mark (15).
    const uint8_t backslashes[3] = {0xB2, 0xCB, 0x2C}, questions[3] = {0x3C, 0xF3, 0xCF};
    for (size_t i = 0; i < font.atlas.size(); ++i) font.atlas[i] = (i / 384) % 2 ? backslashes[i % 3] : questions[i % 3];
    font.atlas[5] = 7;  // top row, sixth texel
    const std::string source = fontgen::font_source("font_x", "test", font);
    std::istringstream lines(source.substr(source.find("ATLAS_TEXT[] = {")));
    std::string line, text, last = "none";
    std::getline(lines, line);
    while (std::getline(lines, line) && line != "};") {
        last.clear();
        for (size_t i = line.find('"') + 1; i < line.rfind('"'); ++i) {
            if (line[i] == '\\') {
                ++i;
                EXPECT_TRUE(line[i] == '\\' || line[i] == '?') << line;
            }
            last += line[i];
        }
        EXPECT_LE(last.size(), 128u);
        text += last;
    }
    EXPECT_EQ(last, "");
    EXPECT_EQ(source.find("??"), std::string::npos) << "no trigraph can form";
    std::vector<uint8_t> bottom_up;
    for (int row = 127; row >= 0; --row) {
        bottom_up.insert(bottom_up.end(), font.atlas.begin() + row * 128, font.atlas.begin() + row * 128 + 128);
    }
    EXPECT_EQ(text, tools::encode_text6(bottom_up));
    EXPECT_NE(source.find("extern const FontDesc font_x = {{ATLAS_TEXT}, GLYPHS, nullptr, 128, 128, 12};"),
              std::string::npos);
}

}  // namespace

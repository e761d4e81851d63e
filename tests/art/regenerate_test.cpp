// The committed pictures are made from their sources: generating them again reproduces
// every data file byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
    const std::filesystem::path out = STAKMIR_ART_OUTPUT_DIR;
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    ASSERT_TRUE(art::generate_all({out.string(), ""}));
    const std::filesystem::path data = STAKMIR_DATA_DIR;
    for (const char *name : art::GENERATED_SOURCES) {
        const std::string committed = read_file(data / name);
        ASSERT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(read_file(out / name) == committed) << name << " differs from its sources";
    }
    for (int size : art::ICON_PNG_SIZES) {
        const std::string name = "icons/stakmir-" + std::to_string(size) + ".png";
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

}  // namespace

// The frame tool's scene statements: what they set, and that bad values are refused with a
// message instead of reaching the renderer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "scene.h"

namespace {

TEST(Scene, StatementsSetTheRecord) {
    GameState s = scene_default();
    EXPECT_EQ(s.mode, MODE_FALLING);
    EXPECT_EQ(s.cleared_rows[2], -1);
    std::string error;
    const std::pair<std::string, std::vector<std::string>> statements[] = {
        {"mode", {"game-over"}},       {"ticks", {"4294967295"}}, {"level", {"7"}}, {"score", {"-12"}},
        {"current", {"2", "1", "-2", "4.37"}}, {"queue", {"2", "5"}}, {"cleared", {"19", "-1", "0", "-1"}},
        {"row", {"19", "1f", ".", "0", "00", "6E", ".", ".", ".", ".", "0F"}}};
    for (const auto &[key, args] : statements) {
        ASSERT_TRUE(scene_apply(&s, key, args, &error)) << error;
    }
    EXPECT_EQ(s.mode, MODE_GAME_OVER);
    EXPECT_EQ(s.ticks, 4294967295u);
    EXPECT_EQ(s.level, 7);
    EXPECT_EQ(s.score, -12);
    EXPECT_EQ(s.current.column, -2);
    EXPECT_EQ(s.current.row, 4.37f);
    EXPECT_EQ(s.queue[0].row, -1.0f);  // kind 2 waits one row higher than the others
    EXPECT_EQ(s.queue[1].row, -3.0f);
    EXPECT_EQ(s.cleared_rows[0], 19);
    EXPECT_EQ(s.board[19][0], 0x1F);
    EXPECT_EQ(s.board[19][4], 0x6E);
    EXPECT_EQ(s.board[19][9], 0x0F);
}

// Out-of-range values, signed cell bytes (a fixed fault) and unknown keys: refused with one
// line, the record unchanged.
TEST(Scene, BadValuesAreRefusedWithOneLine) {
    const std::vector<std::string> dots(9, ".");
    auto row = [&](std::string r, std::string first) {
        std::vector<std::string> a = {std::move(r), std::move(first)};
        a.insert(a.end(), dots.begin(), dots.end());
        return a;
    };
    const std::pair<std::string, std::vector<std::string>> bad[] = {
        {"mode", {"quit"}}, {"mode", {}}, {"ticks", {"-1"}}, {"ticks", {"12x"}}, {"level", {"-3"}},
        {"score", {"99999999999"}}, {"current", {"7", "0", "3", "0"}}, {"current", {"0", "4", "3", "0"}},
        {"current", {"0", "0", "3", "nan"}}, {"current", {"0", "0", "3"}}, {"queue", {"1", "9"}},
        {"cleared", {"20", "-1", "-1", "-1"}}, {"row", row("20", ".")}, {"row", row("3", "7F")},  // kind 7
        {"row", row("3", "10")},  // tile code 0
        {"row", row("3", "-1")}, {"row", {"3", "1F"}}, {"colour", {"red"}},
    };
    for (const auto &[key, args] : bad) {
        GameState s = scene_default();
        const GameState before = s;
        std::string error;
        EXPECT_FALSE(scene_apply(&s, key, args, &error)) << key;
        EXPECT_FALSE(error.empty()) << key;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(s.board[3][0], before.board[3][0]) << key;
    }
}

// Comments and blank lines are skipped; an error names the file and line, or the unopenable file.
TEST(Scene, FilesNameTheLineOfTheirFirstError) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "stakmir-scene-test.scene";
    std::ofstream(path) << "# a comment\n\nmode slam   # trailing comment\nticks 3\nlevel x\n";
    GameState s = scene_default();
    std::string error;
    EXPECT_FALSE(scene_load(&s, path.string(), &error));
    EXPECT_EQ(error, path.string() + ":5: level needs a number 0-2147483647, got 'x'");
    EXPECT_EQ(s.mode, MODE_SLAM);
    EXPECT_EQ(s.ticks, 3u);
    std::filesystem::remove(path);
    EXPECT_FALSE(scene_load(&s, path.string(), &error));
    EXPECT_EQ(error, path.string() + ": cannot open");
}

}  // namespace

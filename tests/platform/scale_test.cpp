// The window's scale from the screen's size and from the STAKMIR_SCALE setting.
#include <gtest/gtest.h>

#include <string>

#include "platform/scale.h"

namespace {

// Two thirds of the screen each way hold the window; at least 1, also on a screen too small for it.
TEST(Scale, LargestWholeScaleInTwoThirdsOfTheScreen) {
    const int32_t cases[][3] = {{1920, 1080, 2}, {2560, 1440, 3}, {3840, 2160, 4}, {1366, 768, 1}, {1440, 960, 2},
                                {1439, 960, 1},  {1440, 959, 1},  {5120, 2880, 6}, {7680, 4320, 9}, {3840, 1200, 2},
                                {300, 200, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(scale_for_screen(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
    }
    EXPECT_EQ(scale_fit(1365, 768), 2) << "fullscreen fills the whole screen";
    EXPECT_EQ(scale_fit(1439, 960), 2);
}

// Only a whole number from 1 to 16; empty is not set; anything else is refused in one line.
TEST(Scale, SettingIsAWholeNumberFrom1To16) {
    EXPECT_EQ(scale_parse(nullptr), 0);
    EXPECT_EQ(scale_parse(""), 0);
    EXPECT_EQ(scale_parse("1"), 1);
    EXPECT_EQ(scale_parse("03"), 3);
    EXPECT_EQ(scale_parse("16"), 16);
    for (const char *bad : {"0", "17", "-2", "2.5", "2x", " 2", "abc", "99999999999999999999"}) {
        EXPECT_EQ(scale_parse(bad), -1) << bad;
    }
    char line[128];
    scale_setting_error("big", line, sizeof line);
    EXPECT_EQ(std::string(line), "STAKMIR_SCALE must be a whole number from 1 to 16, not \"big\"");
}

// The setting is kept, also above the screen's own choice, as long as the window fits on the
// screen; a larger one is lowered to the largest that fits, and one line says so.
TEST(Scale, SettingTooLargeForTheScreenIsLowered) {
    const int32_t cases[][4] = {{0, 3840, 2160, 4}, {2, 3840, 2160, 2}, {3, 1920, 1080, 3},  {5, 1920, 1080, 3},
                                {16, 1280, 1024, 2}, {16, 7680, 5120, 16}, {16, 300, 200, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(scale_choose(c[0], c[1], c[2]), c[3]) << c[0] << " on " << c[1] << "x" << c[2];
    }
    char line[160];
    scale_lowered_note(16, 2, 1280, 1024, line, sizeof line);
    EXPECT_EQ(std::string(line),
              "STAKMIR_SCALE=16 does not fit on the 1280 by 1024 screen: the window opens at 2 (960 by 640)");
}

}  // namespace

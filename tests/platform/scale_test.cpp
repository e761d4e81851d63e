// The window's scale from the screen's size and from the STAKMIR_SCALE setting.
#include <gtest/gtest.h>

#include <string>

#include "platform/scale.h"

namespace {

// Half the screen each way holds the window; at least 1, also on a screen too small for it.
TEST(Scale, LargestWholeScaleInHalfTheScreen) {
    const int32_t cases[][3] = {{1920, 1080, 1}, {2560, 1440, 2}, {3840, 2160, 3}, {1365, 768, 1}, {1919, 1280, 1},
                                {1920, 1279, 1}, {5120, 2880, 4}, {7680, 4320, 6}, {3840, 1200, 1}, {300, 200, 1}};
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
    EXPECT_EQ(scale_choose("2", 3840, 2160), 2);
    EXPECT_EQ(scale_choose(nullptr, 3840, 2160), 3);
    EXPECT_EQ(scale_choose("x", 3840, 2160), -1);
    char line[128];
    scale_setting_error("big", line, sizeof line);
    EXPECT_EQ(std::string(line), "STAKMIR_SCALE must be a whole number from 1 to 16, not \"big\"");
}

}  // namespace

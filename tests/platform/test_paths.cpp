#include <gtest/gtest.h>

#include "platform/paths.h"

TEST(DataPath, ThreeSpellingsReachOneDirectory) {
    char out[64];
    EXPECT_STREQ(ResolveDataPath("Data\\TB15Intro.mp3", out, sizeof out), "data/TB15Intro.mp3");
    EXPECT_STREQ(ResolveDataPath("Data/TB15Intro.mp3", out, sizeof out), "data/TB15Intro.mp3");
    EXPECT_STREQ(ResolveDataPath("data/top.png", out, sizeof out), "data/top.png");
    EXPECT_STREQ(ResolveDataPath("other/x", out, sizeof out), "other/x");
    EXPECT_STREQ(ResolveDataPath("Database", out, sizeof out), "Database");
}

TEST(DataPath, TooLongGivesEmpty) {
    char out[8];
    EXPECT_STREQ(ResolveDataPath("data/longname.png", out, sizeof out), "");
    EXPECT_STREQ(ResolveDataPath(nullptr, out, sizeof out), "");
}

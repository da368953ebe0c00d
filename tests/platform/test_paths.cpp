#include <gtest/gtest.h>

#include "platform/paths.h"

// The three spellings of the data directory reach "data/"; other paths stay
// as they are. A result that just fits the 19 bytes is kept, one longer is "".
TEST(DataPath, ThreeSpellingsReachOneDirectoryWithinTheCapacity) {
    const char* const rows[][2] = {
        {"Data\\TB15Intro.mp3", "data/TB15Intro.mp3"}, {"Data/TB15Intro.mp3", "data/TB15Intro.mp3"},
        {"data/top.png", "data/top.png"}, {"other/x", "other/x"}, {"Database", "Database"},
        {"Data\\TB15Intro.mp3x", ""}, {"other/TB15Intro.mp3", ""}, {nullptr, ""}};
    for (const auto& row : rows) {
        char out[19];
        EXPECT_STREQ(ResolveDataPath(row[0], out, sizeof out), row[1]) << (row[0] ? row[0] : "null");
    }
}

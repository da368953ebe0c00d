// The command line: only the first argument, only two exact switches.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/startup.h"

namespace {

std::string Parse(std::initializer_list<const char*> arguments) {
    char* argv[8] = {};
    int argc = 0;
    for (const char* argument : arguments) argv[argc++] = const_cast<char*>(argument);
    CubeMapDisabled = 1;
    testing::internal::CaptureStdout();
    ParseCommandLine(argc, argv);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(CommandLine, NoArgumentsSayNothing) {
    EXPECT_EQ(Parse({"tallyboard"}), "");
    EXPECT_EQ(CubeMapDisabled, 1);
    EXPECT_EQ(Parse({}), "");
}

TEST(CommandLine, EnableCubeMap) {
    EXPECT_EQ(Parse({"tallyboard", "-enablecubemap"}), "Cubemap On");
    EXPECT_EQ(CubeMapDisabled, 0);
}

TEST(CommandLine, NoAtiOnlyPrints) {
    EXPECT_EQ(Parse({"tallyboard", "-noati"}), "ATI is not compatible with this mode\n");
    EXPECT_EQ(CubeMapDisabled, 1);
}

TEST(CommandLine, OnlyTheFirstArgumentCounts) {
    EXPECT_EQ(Parse({"tallyboard", "-noati", "-enablecubemap"}),
              "ATI is not compatible with this mode\n");
    EXPECT_EQ(CubeMapDisabled, 1);
    EXPECT_EQ(Parse({"tallyboard", "other", "-enablecubemap"}), "");
    EXPECT_EQ(CubeMapDisabled, 1);
}

TEST(CommandLine, CaseAndTrailingCharactersAreNotRecognised) {
    EXPECT_EQ(Parse({"tallyboard", "-EnableCubeMap"}), "");
    EXPECT_EQ(Parse({"tallyboard", "-enablecubemapx"}), "");
    EXPECT_EQ(Parse({"tallyboard", "-enablecube"}), "");
    EXPECT_EQ(Parse({"tallyboard", "-NOATI"}), "");
    EXPECT_EQ(CubeMapDisabled, 1);
}

TEST(CommandLine, StartValues) {
    EXPECT_EQ(FullScreen, 1);
    EXPECT_EQ(WindowWidth, 1024);
    EXPECT_EQ(WindowHeight, 768);
    EXPECT_STREQ(GameModeString, "1024x768:32");
}

}  // namespace

// The command line: only the first argument, only two exact switches.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"

namespace {

TEST(CommandLine, OnlyAnExactFirstArgumentCounts) {
    const char* const ati = "ATI is not compatible with this mode\n";
    const struct {
        std::vector<const char*> arguments;
        const char* printed;
        int cubeMapDisabled;
    } cases[] = {
        {{}, "", 1},
        {{"tallyboard"}, "", 1},
        {{"tallyboard", "-enablecubemap"}, "Cubemap On", 0},
        {{"tallyboard", "-noati"}, ati, 1},
        {{"tallyboard", "-noati", "-enablecubemap"}, ati, 1},
        {{"tallyboard", "other", "-enablecubemap"}, "", 1},
        {{"tallyboard", "-EnableCubeMap"}, "", 1},
        {{"tallyboard", "-enablecubemapx"}, "", 1},
        {{"tallyboard", "-noat"}, "", 1},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv;
        for (const char* argument : c.arguments) argv.push_back(const_cast<char*>(argument));
        argv.push_back(nullptr);
        CubeMapDisabled = 1;
        testing::internal::CaptureStdout();
        ParseCommandLine(int(c.arguments.size()), argv.data());
        std::fflush(stdout);
        const char* first = c.arguments.size() > 1 ? c.arguments[1] : "(none)";
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << first;
        EXPECT_EQ(CubeMapDisabled, c.cubeMapDisabled) << first;
    }
}

}  // namespace

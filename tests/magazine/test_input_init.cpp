// Keys and the termination signal; the resource set-up and its cube-map option.
//
// The driver's extension list is this test's own: glGetString is taken over
// for GL_EXTENSIONS, so the cube-map option meets a driver that lacks exactly
// one extension it needs, and every query of the list is counted.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <dlfcn.h>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/frame.h"
#include "app/input.h"
#include "app/resource_init.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

int ExtensionListQueries = 0;
const char* DriverExtensions = "GL_ARB_multitexture GL_NV_texgen_reflection GL_ARB_texture_cube_map";

extern "C" const GLubyte* glGetString(GLenum name) {
    using GetString = const GLubyte* (*)(GLenum);
    static GetString driverGetString = reinterpret_cast<GetString>(dlsym(RTLD_NEXT, "glGetString"));
    if (name != GL_EXTENSIONS)
        return driverGetString(name);
    ++ExtensionListQueries;
    return reinterpret_cast<const GLubyte*>(DriverExtensions);
}

namespace {

bool FileExists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

void WriteIntroStreamFile() {
    FILE* file = std::fopen("data/TB15Intro.mp3", "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not really an mp3", file);
    std::fclose(file);
}

GLint TexGenMode(GLenum coordinate) {
    GLint mode = 0;
    glGetTexGeniv(coordinate, GL_TEXTURE_GEN_MODE, &mode);
    return mode;
}

class Input : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(1024, 768);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void SetUp() override {
        EnterTempWorkDir();
        SetProjection(1024, 768);
        FullScreen = 0;
        Content.CurrentPage = 0;
        CubeMapDisabled = 1;
        ExtensionListQueries = 0;
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

TEST_F(Input, SkipKeysWaitForTheIntroAndRemoveItsStream) {
    WriteIntroStreamFile();
    for (int state : {LoadingFadeIn, Loading, LoadingFadeOut}) {
        Frame.SceneState = state;
        KeyboardHandler(' ', 0, 0);
        KeyboardHandler(27, 0, 0);
        EXPECT_EQ(Frame.SceneState, state);
    }
    EXPECT_TRUE(FileExists("data/TB15Intro.mp3"));
    Frame.SceneState = Intro;
    KeyboardHandler(27, 0, 0);
    EXPECT_EQ(Frame.SceneState, Magazine);
    EXPECT_FALSE(FileExists("data/TB15Intro.mp3"));
}

// The size keys themselves are tried by the whole-program test.
TEST_F(Input, ArrowKeysTurnPagesAndSizeKeysWaitOutGameMode) {
    for (int key : {GLUT_KEY_RIGHT, GLUT_KEY_RIGHT, GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_F3})
        SpecialKeyHandler(key, 0, 0);
    EXPECT_EQ(Content.CurrentPage, 1);
    FullScreen = 1;
    WindowWidth = 640;  // neither the full layout nor the small window
    SpecialKeyHandler(GLUT_KEY_F2, 0, 0);
    SpecialKeyHandler(GLUT_KEY_F1, 0, 0);
    EXPECT_EQ(WindowWidth, 640);
    WindowWidth = 1024;
    LeaveGameMode();  // flagged but not in game mode: nothing to leave
    EXPECT_EQ(glutGameModeGet(GLUT_GAME_MODE_ACTIVE), 0);
}

// A termination signal is carried out on the GLUT thread, where game mode
// can be left, and the process then dies of that very signal.
TEST_F(Input, TerminationSignalEndsTheProcessFromTheMainLoop) {
    EXPECT_EXIT(
        {
            InstallExitGuards();
            std::raise(SIGTERM);
            std::fputs("carried on to the main loop\n", stderr);
            for (int round = 0; round < 200; ++round) {
                glutMainLoopEvent();
                usleep(5000);
            }
            std::exit(3);  // the signal was lost
        },
        testing::KilledBySignal(SIGTERM), "carried on to the main loop");
}

// A crash cannot wait for the main loop: the display is restored in the
// handler itself, and the process still dies of the signal it got.
void MarkDisplayRestored() { write(2, "display restored\n", 17); }

TEST_F(Input, CrashRestoresTheDisplayAndDiesOfTheSameSignal) {
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE})
        EXPECT_EXIT(
            {
                InstallCrashGuards(MarkDisplayRestored);
                std::raise(signal);
                std::exit(3);
            },
            testing::KilledBySignal(signal), "display restored")
            << strsignal(signal);
}

TEST_F(Input, CubeMapsNeedEveryExtensionAndFallBackToSphereMapping) {
    CubeMapDisabled = 0;
    CubeMapActive = 1;
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    testing::internal::CaptureStdout();
    SetUpEnvironmentMapping();
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nGL_SGIS_generate_mipmap not supported!");
    EXPECT_EQ(ExtensionListQueries, 3);
    EXPECT_EQ(CubeMapActive, 0);
    EXPECT_EQ(CubeMapTextures[0], 0u);
    EXPECT_EQ(TexGenMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(TexGenMode(GL_T), GL_SPHERE_MAP);
}

// Without the cube-map switch the driver's extension list is never asked for.
TEST_F(Input, ResourceInitWithoutTheSwitchNeverAsksForExtensions) {
    Content.IntroTopic = NoTopic;
    CubeMapActive = 1;
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    testing::internal::CaptureStdout();
    ResourceInit();  // an empty data directory: every load reports and goes on
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("not supported"), std::string::npos);
    EXPECT_EQ(ExtensionListQueries, 0);
    EXPECT_EQ(CubeMapActive, 0);
    EXPECT_EQ(TexGenMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(Content.IntroTopic, WelcomeTopic);
    AudioShutdown();
}

}  // namespace

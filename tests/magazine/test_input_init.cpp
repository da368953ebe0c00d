// Keys, mouse and shutdown; the cube-map option of the resource set-up.
//
// The driver's extension list is this test's own: glGetString is taken over
// for GL_EXTENSIONS, so the cube-map option meets a driver that lacks exactly
// one extension it needs, and every query of the list is counted.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <dlfcn.h>

#include <csignal>
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
#include "effects/swarm.h"
#include "menu/menu.h"
#include "render/primitives.h"
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
        CurrentPage = 0;
        ActiveSection = Introduction;
        IntroTopic = WelcomeTopic;
        SetMenuButtons();
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

TEST_F(Input, EscapeAndSpaceAreIgnoredWhileLoading) {
    WriteIntroStreamFile();
    for (int state : {LoadingFadeIn, Loading, LoadingFadeOut}) {
        SceneState = state;
        KeyboardHandler(' ', 0, 0);
        KeyboardHandler(27, 0, 0);
        EXPECT_EQ(SceneState, state);
    }
    EXPECT_TRUE(FileExists("data/TB15Intro.mp3"));
}

TEST_F(Input, FirstEscapeSkipsTheIntroAndRemovesItsFile) {
    WriteIntroStreamFile();
    SceneState = Intro;
    KeyboardHandler(27, 0, 0);
    EXPECT_EQ(SceneState, Magazine);
    EXPECT_FALSE(FileExists("data/TB15Intro.mp3"));
    KeyboardHandler('q', 0, 0);  // other keys do nothing
    EXPECT_EQ(SceneState, Magazine);
}

TEST_F(Input, SkipWithTheFileAlreadyGoneIsQuiet) {
    SceneState = Intro;
    testing::internal::CaptureStdout();
    KeyboardHandler(' ', 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(SceneState, Magazine);
}

TEST_F(Input, EscapeInTheMagazineEndsWithStatusZeroAndRemovesTheIntroFile) {
    // The dying child runs this test anew in a process of its own: both
    // must work in the same directory.
    std::string directory = std::string(std::getenv("TB_BINARY_DIR")) + "/magazine-shutdown";
    mkdir(directory.c_str(), 0755);
    mkdir((directory + "/data").c_str(), 0755);
    ASSERT_EQ(chdir(directory.c_str()), 0);
    WriteIntroStreamFile();
    SceneState = Magazine;
    EXPECT_EXIT(KeyboardHandler(27, 0, 0), testing::ExitedWithCode(0), "");
    EXPECT_FALSE(FileExists("data/TB15Intro.mp3"));
}

TEST_F(Input, ArrowKeysTurnPagesAndOtherSpecialKeysDoNothing) {
    SpecialKeyHandler(GLUT_KEY_RIGHT, 0, 0);
    SpecialKeyHandler(GLUT_KEY_RIGHT, 0, 0);
    SpecialKeyHandler(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(CurrentPage, 1);
    SpecialKeyHandler(GLUT_KEY_UP, 0, 0);
    SpecialKeyHandler(GLUT_KEY_DOWN, 0, 0);
    SpecialKeyHandler(GLUT_KEY_F3, 0, 0);
    EXPECT_EQ(CurrentPage, 1);
    EXPECT_EQ(WindowWidth, 1024);
}

TEST_F(Input, WindowSizeKeysOnlyOutsideGameMode) {
    FullScreen = 1;
    SpecialKeyHandler(GLUT_KEY_F2, 0, 0);
    EXPECT_EQ(WindowWidth, 1024);
    EXPECT_EQ(WindowHeight, 768);
    FullScreen = 0;
    SpecialKeyHandler(GLUT_KEY_F2, 0, 0);
    EXPECT_EQ(WindowWidth, 512);
    EXPECT_EQ(WindowHeight, 512);
    SpecialKeyHandler(GLUT_KEY_F1, 0, 0);
    EXPECT_EQ(WindowWidth, 1024);
    EXPECT_EQ(WindowHeight, 768);
    OpenTestWindow(1024, 768);  // back to the suite's window
}

TEST_F(Input, MotionStoresThePointerAndHovers) {
    MotionHandler(999, 110);  // the exit button, top right
    EXPECT_EQ(PointerX, 999.0);
    EXPECT_EQ(PointerY, 110.0);
    EXPECT_EQ(MenuButtons[ExitButton].hovered, 1);
    MotionHandler(512, 384);
    EXPECT_EQ(MenuButtons[ExitButton].hovered, 0);
}

TEST_F(Input, LeavingGameModeOutsideItDoesNothing) {
    FullScreen = 0;
    LeaveGameMode();
    FullScreen = 1;
    LeaveGameMode();  // not in game mode: GLUT is asked, nothing is left
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

// ---- Cube-map option -------------------------------------------------------

GLint TexGenMode(GLenum coordinate) {
    GLint mode = 0;
    glGetTexGeniv(coordinate, GL_TEXTURE_GEN_MODE, &mode);
    return mode;
}

TEST_F(Input, WithoutTheSwitchNoExtensionIsQueriedAndSphereMappingIsSet) {
    CubeMapDisabled = 1;
    CubeMapActive = 1;
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    ExtensionListQueries = 0;
    testing::internal::CaptureStdout();
    SetUpEnvironmentMapping();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ExtensionListQueries, 0);
    EXPECT_EQ(CubeMapActive, 0);
    EXPECT_EQ(TexGenMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(TexGenMode(GL_T), GL_SPHERE_MAP);
}

TEST_F(Input, WithTheSwitchAMissingExtensionIsReportedAndCubeMapsStayOff) {
    ExtensionListQueries = 0;
    CubeMapDisabled = 0;
    CubeMapActive = 1;
    testing::internal::CaptureStdout();
    SetUpEnvironmentMapping();
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nGL_SGIS_generate_mipmap not supported!");
    EXPECT_EQ(ExtensionListQueries, 3);
    EXPECT_EQ(CubeMapActive, 0);
    EXPECT_EQ(CubeMapTextures[0], 0u);
    EXPECT_EQ(TexGenMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(TexGenMode(GL_T), GL_SPHERE_MAP);
    CubeMapDisabled = 1;
}

TEST_F(Input, ResourceInitSetsTheStartStateWithoutAskingForExtensions) {
    CubeMapDisabled = 1;
    IntroTopic = 0;
    MenuButtons[ExitButton] = {};
    ExtensionListQueries = 0;
    testing::internal::CaptureStdout();
    ResourceInit();  // an empty data directory: every load reports and goes on
    std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.find("not supported"), std::string::npos);
    EXPECT_NE(output.find("Can't load file1\n"), std::string::npos);
    EXPECT_EQ(ExtensionListQueries, 0);
    EXPECT_EQ(IntroTopic, WelcomeTopic);
    EXPECT_FLOAT_EQ(MenuButtons[ExitButton].x, 49.0f);
    EXPECT_FLOAT_EQ(MenuButtons[ExitButton].y, 27.5f);
    EXPECT_NEAR(SpawnDirection.x, 0.42074, 1e-5);
    EXPECT_NEAR(SpawnDirection.y, 0.22985, 1e-5);
    EXPECT_NEAR(SpawnDirection.z, 0.87758, 1e-5);
    EXPECT_EQ(TexGenMode(GL_S), GL_SPHERE_MAP);
    AudioShutdown();
}

}  // namespace

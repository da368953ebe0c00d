#include "tests/canvas/scenes.h"

#include <GL/freeglut.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/frame.h"
#include "app/input.h"
#include "audio/audio.h"
#include "content/content.h"
#include "tests/support/issue_run.h"
#include "tests/support/test_files.h"

namespace {

int64_t FakeCounter = 0;

// The back buffer of the window, top row first.
std::vector<unsigned char> ReadWindowRgb() {
    const size_t row = size_t(SceneWidth) * 3;
    std::vector<unsigned char> bottomFirst(row * SceneHeight), topFirst(row * SceneHeight);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SceneWidth, SceneHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
    for (int y = 0; y < SceneHeight; ++y)
        std::memcpy(&topFirst[row * y], &bottomFirst[row * (SceneHeight - 1 - y)], row);
    return topFirst;
}

void RunFrames(void (*frame)(), int count) {
    for (int i = 0; i < count; ++i) {
        frame();
        glutSwapBuffers();
    }
}

// One scene: a few frames to get there, then the shot of the last one.
SceneShot Shoot(const char* name, void (*frame)(), int frames) {
    RunFrames(frame, frames - 1);
    frame();
    SceneShot shot{name, ReadWindowRgb()};
    glutSwapBuffers();
    return shot;
}

// The intro clock is read from the stream at the end of each frame; with no
// sound it would fall back to 0, so it is set before every frame.
SceneShot ShootIntroAt(const char* name, void (*frame)(), uint32_t clock) {
    for (int i = 0; i < 2; ++i) {
        Audio.IntroClock = clock;
        RunFrames(frame, 1);
    }
    Audio.IntroClock = clock;
    return Shoot(name, frame, 1);
}

}  // namespace

bool EnterIssueCopy() {
    if (!EnterIssueDirectory()) return false;
    const std::filesystem::path issueData = std::filesystem::current_path() / "data";
    EnterTempWorkDir();
    std::error_code error;
    std::filesystem::copy(issueData, "data", std::filesystem::copy_options::recursive, error);
    if (error) std::printf("Can't copy %s: %s\n", issueData.c_str(), error.message().c_str());
    return !error;
}

void RunFixedFrameBody() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FrameTimerAt(++FakeCounter);
    UpdateFrameStep();
    ClampPage();
    RunSceneStates();
}

std::vector<SceneShot> RunScenes(void (*frame)()) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::srand(1);
    StartFrameTimerAt(75, FakeCounter);
    PointerX = 700.0;
    PointerY = 520.0;
    std::vector<SceneShot> shots;
    shots.push_back(Shoot("loading", frame, 20));
    while (Frame.SceneState != Intro) RunFrames(frame, 1);
    // Even without a device the stream's spectrum follows the wall clock;
    // without the stream and with the music off it is all zero.
    ReleaseIntroStream();
    MusicMode = MusicOff;
    shots.push_back(ShootIntroAt("intro-flash", frame, 4320));
    Frame.IntroEndFade = 0.1f;  // the static nearly gone, as at the intro's end
    shots.push_back(ShootIntroAt("intro-end", frame, 8600));
    Frame.SceneState = Magazine;
    SelectSection(AmigaCharts);
    SelectTopic(15);
    shots.push_back(Shoot("chart", frame, 150));
    SelectSection(PcCharts);
    shots.push_back(Shoot("panels-sliding", frame, 12));
    SelectSection(Messages);
    shots.push_back(Shoot("messages", frame, 120));
    SelectSection(Introduction);
    SelectTopic(Bonus7Topic);
    shots.push_back(Shoot("group-photo", frame, 120));
    return shots;
}

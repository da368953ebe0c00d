#include "tests/canvas/scenes.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/frame.h"
#include "app/input.h"
#include "audio/audio.h"
#include "content/content.h"
#include "tests/support/test_files.h"

namespace {

int64_t FakeCounter = 0;

// The back buffer of the window, top row first.
std::vector<unsigned char> ReadWindowRgb() {
    const size_t row = size_t(SceneWidth) * 3;
    std::vector<unsigned char> rgb(row * SceneHeight);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SceneWidth, SceneHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (size_t y = 0; y < SceneHeight / 2; ++y)
        std::swap_ranges(&rgb[row * y], &rgb[row * (y + 1)], &rgb[row * (SceneHeight - 1 - y)]);
    return rgb;
}

// One scene: a few frames to get there, then the shot of the last one. The
// intro clock, read from the stream after each frame (0 without sound), is
// set before every frame when given.
SceneShot Shoot(const char* name, void (*frame)(), int frames, uint32_t introClock = 0) {
    for (int i = 0; i < frames; ++i) {
        if (introClock) Audio.IntroClock = introClock;
        frame();
        if (i + 1 < frames) glutSwapBuffers();
    }
    SceneShot shot{name, ReadWindowRgb()};
    glutSwapBuffers();
    return shot;
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
    ClearFrame();
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
    for (; Frame.SceneState != Intro; glutSwapBuffers()) frame();
    // Even without a device the stream's spectrum follows the wall clock;
    // without the stream and with the music off it is all zero.
    ReleaseIntroStream();
    MusicMode = MusicOff;
    shots.push_back(Shoot("intro-flash", frame, 3, 4320));
    Frame.IntroEndFade = 0.1f;  // the static nearly gone, as at the intro's end
    shots.push_back(Shoot("intro-end", frame, 3, 8600));
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

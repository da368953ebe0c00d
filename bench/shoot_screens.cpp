// Plays the intro in real time against its soundtrack, as the program does,
// and keeps the back buffer of three moments (the strobe, the first flash, a
// title card) and of the magazine with its swarm full under
// docs/screenshots/. Prints when each moment came, in wall seconds since the
// first intro frame and in stream time, so that the timing can be checked
// against the soundtrack.
//
// Frames are read into memory and written at the end: writing a PNG takes
// longer than the strobe lasts. Then the real program, under openbox on a
// 1920 x 1080 screen of its own, gives the README's window and full-screen
// pictures.
//
// Run under Xvfb from any directory; TB_SOURCE_DIR and TB_ISSUE_DIR (or
// TB_BINARY_DIR) say where the tree and the generated issue are.
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/canvas.h"
#include "app/frame.h"
#include "audio/audio.h"
#include "content/content.h"
#include "effects/logo_carousel.h"
#include "effects/swarm.h"
#include "menu/menu.h"
#include "platform/clock.h"
#include "bench/bench_support.h"
#include "tests/release/program_harness.h"
#include "tests/support/test_files.h"

namespace {

constexpr int ShotWidth = 1024;
constexpr int ShotHeight = 768;
constexpr int MagazineFrameLimit = 5000;
constexpr float LogoShowingLevel = 1.2f;  // the glow shows above about 0.94
constexpr double StreamBytesPerUnit = 1000.0 / 176400.0;  // seconds per IntroClock unit

struct Shot {
    const char* file;
    uint32_t after, before;  // the clock the timeline saw lies strictly between
    bool keepLast;           // the last frame of the span rather than the first
    bool taken;
    std::vector<unsigned char> pixels;
};

// The strobe's last steps are its brightest; a flash is strongest at its start.
Shot Shots[] = {
    {"intro-strobe.png", 2910, 2950, true, false, {}},
    {"intro-flash.png", 4300, 4350, false, false, {}},
    {"intro-title.png", 6300, 6650, false, false, {}},
    {"magazine-swarm.png", 0, 0, false, false, {}},
};
Shot& MagazineShot = Shots[3];

// Strobe steps are strictly inside their ten units: 2920, 2930, 2940 show none.
bool ShowsMoment(const Shot& shot, uint32_t clock) {
    if (clock <= shot.after || clock >= shot.before) return false;
    return shot.after != 2910 || clock % 10 != 0;
}

// The swarm full (it fills in 648 frames) and a logo near its peak.
bool MagazineSettled() {
    return Swarm.ParticleCount == ParticleCapacity && Carousel.LogoLevel[Carousel.LogoPhase] > LogoShowingLevel;
}

double SecondsSince(int64_t start) { return double(ClockNow() - start) / double(ClockFrequency()); }

// The back buffer, top row first.
void Capture(Shot& shot) {
    const size_t row = size_t(ShotWidth) * 3;
    std::vector<unsigned char> bottomFirst(row * ShotHeight);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, ShotWidth, ShotHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
    shot.pixels.resize(bottomFirst.size());
    for (int y = 0; y < ShotHeight; ++y)
        std::copy_n(&bottomFirst[row * (ShotHeight - 1 - y)], row, &shot.pixels[row * y]);
    shot.taken = true;
}

void CaptureIntroMoments(uint32_t clock, double seconds) {
    for (Shot& shot : Shots) {
        if ((shot.taken && !shot.keepLast) || !ShowsMoment(shot, clock)) continue;
        Capture(shot);
        std::printf("%-18s clock %5u at %6.2f s of the intro (stream %6.2f s)\n", shot.file, clock,
                    seconds, clock * StreamBytesPerUnit);
    }
}

void WriteShots(const std::string& directory) {
    for (const Shot& shot : Shots) {
        const std::string path = directory + "/" + shot.file;
        if (!shot.taken) std::printf("%s: the moment never came\n", shot.file);
        else if (!WriteTestPng(path.c_str(), ShotWidth, ShotHeight, 3, shot.pixels.data()))
            std::printf("Can't write %s\n", path.c_str());
    }
}

// The screen's rectangle as a PNG under docs/screenshots/.
void ShootScreen(const ProgramRun& run, const std::string& path, int x, int y, int width, int height) {
    const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) +
                             "+" + std::to_string(y);
    if (!OnDisplay(run, "import -window root png:- | convert - -crop " + crop +
                            " +repage -define png:compression-level=9 '" + path + "'"))
        std::printf("Can't write %s\n", path.c_str());
}

// The Welcome page in the 512 x 512 window, then full screen (F1) with the
// Amiga charts chosen at the button's scaled place.
void ShootWholeProgram(const std::string& directory) {
    ProgramRun run;
    int x = 0, y = 0, width = 0, height = 0;
    if (!StartDisplay(run, 1920, 1080) || !StartWindowManager(run) || !PrepareIssueCopy(run, "shots") ||
        !StartProgram(run) || !WaitForWindow(run, 30.0)) {
        std::printf("No program under Xvfb and openbox: no window shots\n");
        return StopRun(run);
    }
    Sleep(20.0);  // loading and the intro's start; space skips the rest
    Xdo(run, "search --onlyvisible --name Tallyboard windowactivate --sync key space");
    Sleep(5.0);
    if (ProgramWindowGeometry(run, &x, &y, &width, &height))
        ShootScreen(run, directory + "/window-512.png", x, y, width, height);
    Xdo(run, "key F1");
    Sleep(3.0);
    SetMenuButtons();
    const CanvasPlace place = FitLayout(1920, 1080);
    const MenuButton& button = MenuButtons[AmigaCharts];
    Xdo(run, "mousemove " + std::to_string(place.x + SceneToScreenX(button.x) * place.width / LayoutWidth) + " " +
                 std::to_string(place.y + SceneToScreenY(button.y) * place.height / LayoutHeight) +
                 " sleep 0.2 click 1 sleep 0.1 mousemove 1000 610");
    Sleep(10.0);  // the backgrounds' cross-fade takes 100 frames
    ShootScreen(run, directory + "/fullscreen-1920x1080.png", 0, 0, 1920, 1080);
    Xdo(run, "key Escape");
    WaitForExit(run, 30.0);
    StopRun(run);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string shots = SourceDirectory() + "/docs/screenshots";
    if (!EnterIssueDirectory()) return 1;
    StartProgramWindow(ShotWidth, ShotHeight);
    int64_t introStart = 0;
    int magazineFrames = 0;
    for (;;) {
        const int32_t state = Frame.SceneState;
        const uint32_t clock = Audio.IntroClock;
        if (state == Intro && !introStart) introStart = ClockNow();
        RunFrameBody();
        if (state == Intro) CaptureIntroMoments(clock, SecondsSince(introStart));
        if (state == Intro && Frame.SceneState == Magazine)
            std::printf("magazine begins at %.2f s of the intro (clock %u, stream %.2f s)\n",
                        SecondsSince(introStart), clock, clock * StreamBytesPerUnit);
        if (state == Magazine && ++magazineFrames == 1) PickFirstAmigaChart();
        if (magazineFrames > 1 && (MagazineSettled() || magazineFrames == MagazineFrameLimit)) break;
        glutSwapBuffers();
    }
    Capture(MagazineShot);
    std::printf("magazine shot after %d frames: swarm %d particles, logo %d at level %.2f\n",
                magazineFrames, Swarm.ParticleCount, Carousel.LogoPhase, Carousel.LogoLevel[Carousel.LogoPhase]);
    WriteShots(shots);
    ShootWholeProgram(shots);
    return 0;
}

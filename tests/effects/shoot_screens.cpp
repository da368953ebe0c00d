// Plays the intro in real time against its soundtrack, as the program does,
// and keeps the back buffer of three moments (the strobe, the first flash, a
// title card) and of the magazine with its swarm full under
// docs/screenshots/. Prints when each moment came in wall seconds and stream
// clock, so that the timing can be checked against the soundtrack.
//
// Run under Xvfb from any directory; TB_SOURCE_DIR and TB_ISSUE_DIR (or
// TB_BINARY_DIR) say where the tree and the generated issue are.
#include <GL/freeglut.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/frame.h"
#include "effects/swarm.h"
#include "platform/clock.h"
#include "tests/effects/issue_run.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int ShotWidth = 1024;
constexpr int ShotHeight = 768;
constexpr int SettledMagazineFrames = 800;  // the swarm fills in 648

struct IntroMoment {
    const char* file;
    uint32_t after, before;  // the clock the timeline saw lies strictly between
    bool taken;
};

IntroMoment IntroMoments[] = {
    {"intro-strobe.png", 2910, 2950, false},
    {"intro-flash.png", 4300, 4350, false},
    {"intro-title.png", 6300, 6650, false},
};

// Strobe steps are strictly inside their ten units: 2920, 2930, 2940 show none.
bool ShowsMoment(const IntroMoment& moment, uint32_t clock) {
    if (clock <= moment.after || clock >= moment.before) return false;
    return moment.after != 2910 || clock % 10 != 0;
}

double SecondsSince(int64_t start) { return double(ClockNow() - start) / double(ClockFrequency()); }

void Save(const std::string& directory, const char* file) {
    const std::string path = directory + "/" + file;
    if (!SaveBackBufferPng(path.c_str(), ShotWidth, ShotHeight))
        std::printf("Can't write %s\n", path.c_str());
}

void TakeIntroMoments(const std::string& directory, uint32_t clock, double seconds) {
    for (IntroMoment& moment : IntroMoments) {
        if (moment.taken || !ShowsMoment(moment, clock)) continue;
        Save(directory, moment.file);
        moment.taken = true;
        std::printf("%-18s clock %5u at %6.2f s (stream says %6.2f s)\n", moment.file, clock,
                    seconds, clock * 1000.0 / 176400.0);
    }
}

}  // namespace

int main() {
    const std::string shots = SourceDirectory() + "/docs/screenshots";
    if (!EnterIssueDirectory()) return 1;
    StartProgramWindow(ShotWidth, ShotHeight);
    const int64_t start = ClockNow();
    int magazineFrames = 0;
    double introEnd = 0.0;
    while (magazineFrames < SettledMagazineFrames) {
        const int32_t state = SceneState;
        const uint32_t clock = IntroClock;
        RunFrameBody();
        if (state == Intro) TakeIntroMoments(shots, clock, SecondsSince(start));
        if (state == Intro && SceneState == Magazine) introEnd = SecondsSince(start);
        if (state == Magazine && ++magazineFrames == 1) PickFirstAmigaChart();
        glutSwapBuffers();
    }
    Save(shots, "magazine-swarm.png");
    std::printf("magazine began at %.2f s; swarm %d particles after %d magazine frames\n",
                introEnd, ParticleCount, magazineFrames);
    return 0;
}

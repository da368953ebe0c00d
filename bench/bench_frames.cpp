// Frame benchmark: median frame time of the full magazine scene (swarm full,
// panels resting, a chart shown) and of the busiest intro frame (the first
// flash: three full-window pictures, the noise over the whole window, the
// shaking title and its ghost), at 1024 x 768 and 512 x 512, with the
// process's CPU time per frame split into our own code, the GL driver, the
// sound libraries and the rest by sampling. Frames go through the layout
// canvas as the program draws them, so a 512 x 512 window draws the whole
// 1024 x 768 layout and scales it down.
//
// Without arguments it runs itself once per window size (each in a window
// of that size) and prints one table; "bench_frames WxH" measures one size.
// Needs the generated issue (see issue_run.h) and a display (Xvfb).
#include <GL/freeglut.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/canvas.h"
#include "app/frame.h"
#include "audio/audio.h"
#include "app/intro.h"
#include "effects/swarm.h"
#include "platform/clock.h"
#include "bench/cpu_sampler.h"
#include "bench/bench_support.h"
#include "tests/support/test_files.h"

extern char** environ;

namespace {

constexpr int MeasuredFrames = 300;
constexpr int MagazineSettleFrames = 800;  // swarm full, push over, panels and chart settled
constexpr uint32_t BusiestIntroClock = 4320;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// One frame as the program draws it, through the canvas where the window is
// not the layout's size; swapped and finished, so that the driver's
// rasterising is inside the frame.
void DrawFrame() {
    BeginCanvasFrame();
    RunFrameBody();
    PresentCanvas();
    glutSwapBuffers();
    glFinish();
}

// The intro frame at the first flash, held there: the clock and the flash
// phase are put back before each frame so that every frame is the same.
void RunBusiestIntroFrame() {
    Frame.SceneState = Intro;
    Audio.IntroClock = BusiestIntroClock;
    Timeline.FlashPhase = 0.0f;
    DrawFrame();
}

void Measure(const char* scene, int width, int height, void (*frame)()) {
    std::vector<double> milliseconds;
    milliseconds.reserve(MeasuredFrames);
    ResetCpuSamples();
    const double cpuStart = ProcessCpuSeconds();
    for (int i = 0; i < MeasuredFrames; ++i) {
        const int64_t start = ClockNow();
        frame();
        milliseconds.push_back(double(ClockNow() - start) * 1000.0 / double(ClockFrequency()));
    }
    const double cpuPerFrame = (ProcessCpuSeconds() - cpuStart) * 1000.0 / MeasuredFrames;
    const CpuShares shares = ClassifyCpuSamples();
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-10s %4dx%-4d %9.2f %8.2f %9.2f %9.2f %9.2f %8.2f %8.2f %8llu\n", scene, width,
                height, milliseconds[MeasuredFrames / 2], milliseconds[MeasuredFrames * 9 / 10],
                cpuPerFrame, shares.own * cpuPerFrame, shares.driver * cpuPerFrame,
                shares.sound * cpuPerFrame, shares.other * cpuPerFrame,
                static_cast<unsigned long long>(shares.samples));
    std::fflush(stdout);
}

// From the loading fade-in through the resource initialisation to the first
// intro frame, as the program starts.
void LoadEverything() {
    while (Frame.SceneState != Intro) DrawFrame();
}

int MeasureOneSize(int width, int height) {
    if (!EnterIssueDirectory()) return 1;
    StartProgramWindow(width, height);
    CreateLayoutCanvas();
    WindowReshaped(width, height);
    LoadEverything();
    StartCpuSampling();
    Measure("intro", width, height, RunBusiestIntroFrame);
    Frame.SceneState = Magazine;
    PickFirstAmigaChart();
    for (int i = 0; i < MagazineSettleFrames; ++i) DrawFrame();
    if (Swarm.ParticleCount != ParticleCapacity) std::printf("swarm not full: %d\n", Swarm.ParticleCount);
    Measure("magazine", width, height, DrawFrame);
    StopCpuSampling();
    return 0;
}

int RunChild(const char* self, const char* size) {
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(size), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self, nullptr, nullptr, argv, environ) != 0) return 1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        int width = 0, height = 0;
        if (std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width < 64 || height < 64) {
            std::printf("usage: bench_frames [WIDTHxHEIGHT]\n");
            return 2;
        }
        return MeasureOneSize(width, height);
    }
    std::printf("%d frames each; times in ms per frame; CPU = process CPU time over all threads\n",
                MeasuredFrames);
    std::printf("%-10s %-9s %9s %8s %9s %9s %9s %8s %8s %8s\n", "scene", "size", "median", "p90",
                "CPU", "own", "driver", "sound", "other", "samples");
    std::fflush(stdout);
    const int first = RunChild("/proc/self/exe", "1024x768");
    const int second = RunChild("/proc/self/exe", "512x512");
    return first || second;
}

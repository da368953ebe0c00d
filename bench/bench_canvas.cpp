// Cost of the layout canvas: median time of a whole magazine frame (a chart,
// the swarm full) drawn into the canvas and presented in windows of
// 1024 x 768 (drawn directly), 1920 x 1080 and 2560 x 1440, and of the
// present step alone (the textured quad) and of the swap;
// the same frame drawn straight into a 1024 x 768 window for comparison.
//
// Run under an X server of at least 2560 x 1440 with Mesa's software
// renderer, for example:
//   LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -s "-screen 0 2560x1440x24" build/bench/canvas/bench_canvas
// TB_ISSUE_DIR or TB_BINARY_DIR say where the generated issue is.
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/canvas.h"
#include "app/frame.h"
#include "app/startup.h"
#include "content/content.h"
#include "platform/clock.h"
#include "tests/canvas/scenes.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

constexpr int MeasuredFrames = 200;
constexpr int SettleFrames = 700;  // swarm full, chart revealed, panels resting

double Milliseconds(int64_t ticks) { return double(ticks) * 1000.0 / double(ClockFrequency()); }

double Median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void SwapAndFinish() {
    glutSwapBuffers();
    glFinish();
}

void UseWindow(int width, int height) {
    OpenTestWindow(width, height);
    WindowWidth = CanvasActive ? LayoutWidth : width;
    WindowHeight = CanvasActive ? LayoutHeight : height;
    WindowReshaped(width, height);
}

// Median whole frame, and of its present step: the scaled quad, and the
// swap that any window of that size pays.
void Measure(const char* label, int width, int height) {
    UseWindow(width, height);
    std::vector<double> frames, presents, swaps;
    for (int i = 0; i < MeasuredFrames; ++i) {
        const int64_t start = ClockNow();
        BeginCanvasFrame();
        RunFixedFrameBody();
        glFinish();
        const int64_t drawn = ClockNow();
        PresentCanvas();
        glFinish();
        const int64_t presented = ClockNow();
        SwapAndFinish();
        const int64_t end = ClockNow();
        frames.push_back(Milliseconds(end - start));
        presents.push_back(Milliseconds(presented - drawn));
        swaps.push_back(Milliseconds(end - presented));
    }
    std::printf("%-8s %4d x %-4d  frame %6.2f ms  quad %6.2f ms  swap %6.2f ms\n", label, width, height,
                Median(frames), Median(presents), Median(swaps));
}

void ReachSettledChart() {
    while (Frame.SceneState != Intro) {
        BeginCanvasFrame();
        RunFixedFrameBody();
        PresentCanvas();
        SwapAndFinish();
    }
    Frame.SceneState = Magazine;
    SelectSection(AmigaCharts);
    SelectTopic(15);
    for (int i = 0; i < SettleFrames; ++i) {
        BeginCanvasFrame();
        RunFixedFrameBody();
        PresentCanvas();
        SwapAndFinish();
    }
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!EnterIssueCopy()) return 1;
    OpenTestWindow(LayoutWidth, LayoutHeight);
    CreateLayoutCanvas();
    if (!CanvasActive) return 1;
    InitGraphicsState();
    UseWindow(LayoutWidth, LayoutHeight);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);  // no sound: the frames alone
    ReachSettledChart();
    Measure("canvas", 1024, 768);
    Measure("canvas", 1920, 1080);
    Measure("canvas", 2560, 1440);
    CanvasActive = 0;  // straight into the window, as without framebuffer objects
    Measure("direct", 1024, 768);
    LeaveTempWorkDir();
    return 0;
}

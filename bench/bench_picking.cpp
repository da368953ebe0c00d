// Figures for the costs the magazine accepts per input event and per frame:
// one hover pick (a selection-mode rendering of the 89 buttons) per pointer
// move, the button bar's own drawing, and the page text of the busiest pages.
// Every drawing is finished (glFinish) inside its measurement. Runs in a
// 1024 x 768 window of its own (start it under xvfb-run); not a test.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "app/frame.h"
#include "app/input.h"
#include "app/startup.h"
#include "content/content.h"
#include "content/page.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "menu/picking.h"
#include "resources/fonts.h"
#include "tests/magazine/start_state.h"
#include "tests/support/gl_harness.h"

namespace {

void OpenMagazineScene() {
    static bool open = false;
    if (!open) {
        OpenTestWindow(1024, 768);
        CreateTahomaFont();
        CreateCourierFont();
        open = true;
    }
    SetProjection(1024, 768);
    StartMagazineContent();
    SetMenuButtons();
    Frame.FrameStep = 1.0f;
    Frame.AverageFrameStep = 1.0f;
}

// The pointer sweeping the button bar, one move and its frame's pick each time.
void HoverPickPerPointerMove(benchmark::State& state) {
    OpenMagazineScene();
    int x = 0;
    for (auto _ : state) {
        MotionHandler(x, 633);
        PickPendingHover();
        x = (x + 7) % 1024;
    }
}
BENCHMARK(HoverPickPerPointerMove)->Unit(benchmark::kMicrosecond);

void ButtonBarDrawing(benchmark::State& state) {
    OpenMagazineScene();
    for (auto _ : state) {
        DrawMenu();
        glFinish();
    }
}
BENCHMARK(ButtonBarDrawing)->Unit(benchmark::kMicrosecond);

// Messages pages hold the most body lines; a chart the most strings.
void PageText(benchmark::State& state) {
    OpenMagazineScene();
    if (state.range(0) == 0) {
        Content.ActiveSection = Messages;
        Content.IntroTopic = NoTopic;
    } else {
        Content.ActiveSection = AmigaCharts;
        Content.IntroTopic = NoTopic;
        Content.AmigaTopic = 25;
    }
    for (auto _ : state) {
        Content.ChartReveal = 0.0f;
        DrawPage();
        glFinish();
    }
    state.SetLabel(state.range(0) == 0 ? "Messages page" : "chart");
}
BENCHMARK(PageText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void SectionPanels(benchmark::State& state) {
    OpenMagazineScene();
    Content.ActiveSection = WarezCharts;
    for (auto _ : state) {
        DrawSectionPanels();
        glFinish();
    }
}
BENCHMARK(SectionPanels)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

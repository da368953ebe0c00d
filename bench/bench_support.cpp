#include "bench/bench_support.h"

#include <GL/gl.h>

#include "app/frame.h"
#include "app/startup.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "tests/support/gl_harness.h"

void StartProgramWindow(int width, int height) {
    OpenTestWindow(width, height);
    InitGraphicsState();
    SetProjection(width, height);
}

void RunFrameBody() {
    ClearFrame();
    FrameTimer();
    UpdateFrameStep();
    RunSceneStates();
}

void PickFirstAmigaChart() {
    Swarm.AttractorStrength = AttractorPush;
    SelectSection(AmigaCharts);
    SelectTopic(15);  // the first Amiga chart
}

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
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FrameTimer();
    UpdateFrameStep();
    RunSceneStates();
}

void PickFirstAmigaChart() {
    Swarm.AttractorStrength = AttractorPush;
    SelectSection(AmigaCharts);
    SelectTopic(15);  // the first Amiga chart
}

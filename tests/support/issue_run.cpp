#include "tests/support/issue_run.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/frame.h"
#include "app/startup.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "tests/support/gl_harness.h"

std::string SourceDirectory() {
    const char* source = std::getenv("TB_SOURCE_DIR");
    return source ? source : std::filesystem::current_path().string();
}

bool EnterIssueDirectory() {
    std::string issue;
    if (const char* dir = std::getenv("TB_ISSUE_DIR")) issue = dir;
    else if (const char* binary = std::getenv("TB_BINARY_DIR")) issue = std::string(binary) + "/issue";
    else issue = "build/issue";
    std::error_code error;
    if (!std::filesystem::is_directory(issue + "/data", error) || chdir(issue.c_str()) != 0) {
        std::printf("No issue data in %s/data: build the issue first\n", issue.c_str());
        return false;
    }
    return true;
}

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

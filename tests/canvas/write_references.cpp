// Writes tests/canvas/reference/*.png: the scenes of scenes.h drawn straight
// into a 1024 x 768 window, the way the program drew before the layout
// canvas and still draws where the driver has no framebuffer objects. Run
// under Xvfb (with LIBGL_ALWAYS_SOFTWARE=1); TB_SOURCE_DIR and TB_ISSUE_DIR
// (or TB_BINARY_DIR) say where the tree and the generated issue are.
#include <cstdio>
#include <string>

#include "tests/canvas/scenes.h"
#include "tests/support/issue_run.h"
#include "tests/support/test_files.h"

int main() {
    const std::string directory = SourceDirectory() + "/tests/canvas/reference";
    if (!EnterIssueCopy()) return 1;
    StartProgramWindow(SceneWidth, SceneHeight);
    for (const SceneShot& shot : RunScenes(RunFixedFrameBody)) {
        const std::string path = directory + "/" + shot.name + ".png";
        if (!WriteTestPng(path.c_str(), SceneWidth, SceneHeight, 3, shot.rgb.data())) {
            std::printf("Can't write %s\n", path.c_str());
            return 1;
        }
    }
    LeaveTempWorkDir();
    return 0;
}

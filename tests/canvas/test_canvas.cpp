// The layout canvas in a real GL context: at 1024 x 768 the presented frame
// is, pixel for pixel, what direct drawing gave (the reference pictures were
// drawn without the canvas); and the picking context follows a changed
// drawing context without keeping the old one alive.
#include <gtest/gtest.h>

#include <GL/glx.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/canvas.h"
#include "app/startup.h"
#include "platform/pick_context.h"
#include "platform/png.h"
#include "tests/canvas/scenes.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

// Every GLX context made and destroyed in this process, counted on the way
// to the real calls.
static int LiveContexts = 0;

extern "C" GLXContext glXCreateNewContext(Display* display, GLXFBConfig config, int type, GLXContext share,
                                          Bool direct) {
    using Create = GLXContext (*)(Display*, GLXFBConfig, int, GLXContext, Bool);
    static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "glXCreateNewContext"));
    GLXContext context = real(display, config, type, share, direct);
    if (context) ++LiveContexts;
    return context;
}

extern "C" void glXDestroyContext(Display* display, GLXContext context) {
    using Destroy = void (*)(Display*, GLXContext);
    static const auto real = reinterpret_cast<Destroy>(dlsym(RTLD_NEXT, "glXDestroyContext"));
    if (context) --LiveContexts;
    real(display, context);
}

namespace {

void DrawThroughCanvas() {
    BeginCanvasFrame();
    RunFixedFrameBody();
    PresentCanvas();
}

// With TB_WRITE_REFERENCES set, the shots are written as the new reference
// pictures instead (look at them first): at 1024 x 768 the frame goes
// straight into the window, as it did before the canvas.
TEST(Canvas, ScenesAt1024x768AreThePixelsOfDirectDrawing) {
    const std::string references = SourceDirectory() + "/tests/canvas/reference/";
    ASSERT_TRUE(EnterIssueCopy());
    OpenTestWindow(SceneWidth, SceneHeight);
    CreateLayoutCanvas();
    ASSERT_EQ(CanvasActive, 1) << "the driver has no framebuffer objects";
    InitGraphicsState();
    WindowReshaped(SceneWidth, SceneHeight);
    for (const SceneShot& shot : RunScenes(DrawThroughCanvas)) {
        const std::string path = references + shot.name + ".png";
        if (std::getenv("TB_WRITE_REFERENCES")) {
            EXPECT_TRUE(WriteTestPng(path.c_str(), SceneWidth, SceneHeight, 3, shot.rgb.data())) << path;
            continue;
        }
        pngSetStandardOrientation(0);  // top row first, as the shots; loading sets it back
        pngRawInfo reference{};
        ASSERT_TRUE(pngLoadRaw(path.c_str(), &reference)) << shot.name;
        ASSERT_EQ(reference.Width * reference.Height * 3, shot.rgb.size()) << shot.name;
        const bool same = std::equal(shot.rgb.begin(), shot.rgb.end(), reference.Data);
        std::free(reference.Data);
        EXPECT_TRUE(same) << shot.name << " differs: see /tmp/canvas-" << shot.name << ".png";
        if (!same) WriteTestPng(("/tmp/canvas-" + std::string(shot.name) + ".png").c_str(), SceneWidth,
                                    SceneHeight, 3, shot.rgb.data());
    }
    LeaveTempWorkDir();
}

// The layout as the frame's framebuffer holds it, bottom row first.
std::vector<unsigned char> ReadLayout() {
    std::vector<unsigned char> rgb(size_t(LayoutWidth) * LayoutHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, LayoutWidth, LayoutHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// One corner lit: a copy turned or shifted by a pixel shows.
void PaintCorner() {
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 100, 50);
    glClearColor(1.0f, 0.5f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDisable(GL_SCISSOR_TEST);
}

// Drawn straight into a window of the layout's size, then through the
// canvas: a backdrop kept in one framebuffer is not laid in the other.
TEST(Canvas, KeptBackdropComesBackPixelForPixelOnlyForItsBackgroundAndFramebuffer) {
    for (const int height : {LayoutHeight, 600}) {
        OpenTestWindow(LayoutWidth, height);
        CreateLayoutCanvas();
        WindowReshaped(LayoutWidth, height);
        BeginCanvasFrame();
        PaintCorner();
        const std::vector<unsigned char> drawn = ReadLayout();
        EXPECT_FALSE(BackdropKept(3)) << height;
        KeepBackdrop(3);
        EXPECT_FALSE(BackdropKept(4)) << height;
        ASSERT_TRUE(BackdropKept(3)) << height;
        glClear(GL_COLOR_BUFFER_BIT);
        DrawKeptBackdrop();
        EXPECT_TRUE(ReadLayout() == drawn) << height;
        PresentCanvas();
    }
}

// Game mode brings a new drawing context; each change used to leave one more
// picking context behind.
TEST(Canvas, PickingContextFollowsANewDrawingContextAndLetsTheOldOneGo) {
    OpenTestWindow(64, 64);
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    GLXContext contexts[2] = {glXGetCurrentContext(), nullptr};
    int configId = 0, count = 0;
    ASSERT_EQ(glXQueryContext(display, contexts[0], GLX_FBCONFIG_ID, &configId), Success);
    const int attributes[] = {GLX_FBCONFIG_ID, configId, None};
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    ASSERT_GT(count, 0);
    contexts[1] = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
    XFree(configs);
    const int live = LiveContexts;
    for (int change = 0; change < 6; ++change) {
        GLXContext drawing = contexts[change % 2];
        ASSERT_TRUE(glXMakeCurrent(display, drawable, drawing));
        ASSERT_EQ(BeginPickContext(), 1);
        EndPickContext();
        EXPECT_EQ(glXGetCurrentContext(), drawing);
    }
    EXPECT_LE(LiveContexts, live + 1);
    glXMakeCurrent(display, drawable, contexts[0]);
    glXDestroyContext(display, contexts[1]);
}

}  // namespace

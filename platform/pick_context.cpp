#include "platform/pick_context.h"

#include <GL/gl.h>
#include <GL/glx.h>

namespace {

struct PickContextState {
    Display* display = nullptr;
    GLXDrawable drawable = 0;
    GLXContext drawing = nullptr;
    GLXContext picking = nullptr;
    bool unavailable = false;  // creation failed once: pick in the drawing context
};

PickContextState Pick;

// The picking context uses the drawing context's frame-buffer configuration,
// so that it can be made current on the same window.
GLXContext CreatePickingContext(Display* display, GLXContext drawing) {
    int configId = 0;
    if (glXQueryContext(display, drawing, GLX_FBCONFIG_ID, &configId) != Success) return nullptr;
    const int attributes[] = {GLX_FBCONFIG_ID, configId, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (!configs || count < 1) return nullptr;
    GLXContext context = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
    XFree(configs);
    return context;
}

}  // namespace

int BeginPickContext() {
    GLXContext drawing = glXGetCurrentContext();
    if (Pick.unavailable || !drawing) return 0;
    Pick.display = glXGetCurrentDisplay();
    Pick.drawable = glXGetCurrentDrawable();
    if (Pick.drawing != drawing || !Pick.picking) {
        // A new drawing context (game mode entered or left) needs a picking
        // context of its configuration; the old one would only be kept.
        if (Pick.picking) glXDestroyContext(Pick.display, Pick.picking);
        Pick.drawing = drawing;
        Pick.picking = CreatePickingContext(Pick.display, drawing);
        if (!Pick.picking) {
            Pick.unavailable = true;
            return 0;
        }
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (!glXMakeCurrent(Pick.display, Pick.drawable, Pick.picking)) return 0;
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return 1;
}

void EndPickContext() { glXMakeCurrent(Pick.display, Pick.drawable, Pick.drawing); }

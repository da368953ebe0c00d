#include "app/canvas.h"

#include <GL/freeglut.h>
#include <GL/glext.h>

#include <cstdio>

#include "app/startup.h"

uint8_t CanvasActive = 0;
int32_t WindowPixelWidth = 0;
int32_t WindowPixelHeight = 0;

namespace {

// The framebuffer calls, from the ARB extension (core names) or the older
// EXT one; both take the same arguments and constants.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture2D;
    PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;
    PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers;
    PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers;
    PFNGLBLITFRAMEBUFFEREXTPROC blitFramebuffer;  // null where the driver cannot copy between framebuffers
};

FramebufferCalls Fbo{};
GLuint CanvasFramebuffer = 0;
GLuint CanvasTexture = 0;
GLuint CanvasDepth = 0;
bool CubeMapTarget = false;  // the driver knows GL_TEXTURE_CUBE_MAP_ARB
bool FrameInCanvas = false;  // the frame being drawn goes through the canvas

// The kept backdrop: a copy of a settled frame's bars and background, for
// one background in one framebuffer (the window or the canvas, which round
// a few pixels differently).
GLuint KeptFramebuffer = 0;
GLuint KeptTexture = 0;
int32_t KeptBackground = -1;
bool KeptInCanvas = false;

template <typename Call>
bool LookUp(Call* call, const char* name, bool arb) {
    char full[64];
    std::snprintf(full, sizeof full, "%s%s", name, arb ? "" : "EXT");
    *call = reinterpret_cast<Call>(glutGetProcAddress(full));
    return *call != nullptr;
}

bool LoadFramebufferCalls() {
    const bool arb = glutExtensionSupported("GL_ARB_framebuffer_object");
    if (!arb && !glutExtensionSupported("GL_EXT_framebuffer_object")) return false;
    // A 1024 x 768 texture needs textures of any size.
    if (!glutExtensionSupported("GL_ARB_texture_non_power_of_two")) return false;
    return LookUp(&Fbo.genFramebuffers, "glGenFramebuffers", arb) &&
           LookUp(&Fbo.bindFramebuffer, "glBindFramebuffer", arb) &&
           LookUp(&Fbo.framebufferTexture2D, "glFramebufferTexture2D", arb) &&
           LookUp(&Fbo.genRenderbuffers, "glGenRenderbuffers", arb) &&
           LookUp(&Fbo.bindRenderbuffer, "glBindRenderbuffer", arb) &&
           LookUp(&Fbo.renderbufferStorage, "glRenderbufferStorage", arb) &&
           LookUp(&Fbo.framebufferRenderbuffer, "glFramebufferRenderbuffer", arb) &&
           LookUp(&Fbo.checkFramebufferStatus, "glCheckFramebufferStatus", arb) &&
           LookUp(&Fbo.deleteFramebuffers, "glDeleteFramebuffers", arb) &&
           LookUp(&Fbo.deleteRenderbuffers, "glDeleteRenderbuffers", arb);
}

// Copies between framebuffers come with the ARB extension, or as one of
// their own beside the EXT one.
void LoadBlitCall() {
    const bool arb = glutExtensionSupported("GL_ARB_framebuffer_object");
    if (arb || glutExtensionSupported("GL_EXT_framebuffer_blit"))
        LookUp(&Fbo.blitFramebuffer, "glBlitFramebuffer", arb);
}

// The window's own pixel order: the software renderer samples it about
// twice as fast as RGBA when presenting, and copies between buffers of the
// same order byte for byte instead of drawing the copy (ten times as fast
// for a whole layout). The format is left unsized on purpose: asked for
// RGBA8, Mesa stores RGBA whatever order the pixels come in.
void SizeColourTexture(GLuint texture, GLsizei width, GLsizei height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// A texture for a framebuffer's colour, shown texel for pixel.
GLuint NewColourTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

// A framebuffer drawing into the texture, left bound.
GLuint NewFramebufferOn(GLuint texture) {
    GLuint framebuffer = 0;
    Fbo.genFramebuffers(1, &framebuffer);
    Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer);
    Fbo.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    return framebuffer;
}

bool BoundFramebufferComplete() {
    return Fbo.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

bool BuildCanvas() {
    CanvasTexture = NewColourTexture();
    SizeColourTexture(CanvasTexture, LayoutWidth, LayoutHeight);
    Fbo.genRenderbuffers(1, &CanvasDepth);
    Fbo.bindRenderbuffer(GL_RENDERBUFFER_EXT, CanvasDepth);
    Fbo.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, LayoutWidth, LayoutHeight);
    CanvasFramebuffer = NewFramebufferOn(CanvasTexture);
    Fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                CanvasDepth);
    const bool complete = BoundFramebufferComplete();
    Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    return complete;
}

const char NoCanvasMessage[] = "Can't scale the layout: no framebuffer objects\n";

bool WindowIsLayoutSize() { return WindowPixelWidth == LayoutWidth && WindowPixelHeight == LayoutHeight; }

// Only deleting the objects gives the driver's memory back: an image of
// 0 x 0 leaves the texture's storage, and the copy the driver made of it
// for showing it, in place.
void DeleteCanvas() {
    glDeleteTextures(1, &CanvasTexture);
    Fbo.deleteRenderbuffers(1, &CanvasDepth);
    Fbo.deleteFramebuffers(1, &CanvasFramebuffer);
    CanvasTexture = CanvasDepth = CanvasFramebuffer = 0;
}

// The canvas (colour and depth, 6 MiB, and some 6 MiB more in the driver
// once shown) is made when a frame needs it and deleted while the window
// has the layout's size, which never needs it. Where the canvas cannot be
// made, the layout is drawn unscaled from then on.
bool CanvasReady() {
    if (CanvasFramebuffer) return true;
    if (BuildCanvas()) return true;
    std::fputs(NoCanvasMessage, stdout);
    CanvasActive = 0;
    WindowWidth = WindowPixelWidth;
    WindowHeight = WindowPixelHeight;
    SetProjection(WindowWidth, WindowHeight);
    return false;
}

int32_t Rounded(int64_t numerator, int64_t denominator) {
    return int32_t((2 * numerator + denominator) / (2 * denominator));
}

// State the program may leave set that would change how the quad is drawn.
void SetPresentState() {
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    if (CubeMapTarget) glDisable(GL_TEXTURE_CUBE_MAP_ARB);  // it would win over the 2D texture
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

// Nearest keeps whole-number enlargements sharp;
// anything else is smoothed.
GLint PresentFilter(const CanvasPlace& place) {
    const bool whole = place.width % LayoutWidth == 0 && place.height % LayoutHeight == 0;
    return whole && place.width > 0 ? GL_NEAREST : GL_LINEAR;
}

void DrawCanvasQuad(const CanvasPlace& place) {
    const float left = float(place.x), right = float(place.x + place.width);
    const float bottom = float(WindowPixelHeight - place.y - place.height);
    const float top = bottom + float(place.height);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(left, bottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(right, bottom);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(right, top);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(left, top);
    glEnd();
}

GLuint FrameFramebuffer() { return FrameInCanvas ? CanvasFramebuffer : 0; }

bool BuildKeptBackdrop() {
    KeptTexture = NewColourTexture();
    SizeColourTexture(KeptTexture, LayoutWidth, LayoutHeight);
    KeptFramebuffer = NewFramebufferOn(KeptTexture);
    const bool complete = BoundFramebufferComplete();
    Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, FrameFramebuffer());
    return complete;
}

// The whole layout, pixel for pixel; the frame's framebuffer is bound again
// afterwards. Copies to and from the window turn the picture upside down:
// drivers keep the window's rows top first and a framebuffer object's
// bottom first, so in their own row order the copy is then a straight one,
// which they can make byte for byte instead of drawing it. The backdrop
// goes out and comes back the same way, so it ends the right way up.
void CopyLayout(GLuint from, GLuint to) {
    const bool flip = from == 0 || to == 0;
    Fbo.bindFramebuffer(GL_READ_FRAMEBUFFER_EXT, from);
    Fbo.bindFramebuffer(GL_DRAW_FRAMEBUFFER_EXT, to);
    Fbo.blitFramebuffer(0, 0, LayoutWidth, LayoutHeight, 0, flip ? LayoutHeight : 0, LayoutWidth,
                        flip ? 0 : LayoutHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, FrameFramebuffer());
}

}  // namespace

CanvasPlace FitLayout(int32_t windowWidth, int32_t windowHeight) {
    if (windowWidth <= 0 || windowHeight <= 0) return {0, 0, 0, 0};
    CanvasPlace place{0, 0, windowWidth, windowHeight};
    if (int64_t(windowWidth) * LayoutHeight <= int64_t(windowHeight) * LayoutWidth)
        place.height = Rounded(int64_t(windowWidth) * LayoutHeight, LayoutWidth);
    else
        place.width = Rounded(int64_t(windowHeight) * LayoutWidth, LayoutHeight);
    place.x = (windowWidth - place.width) / 2;
    place.y = (windowHeight - place.height) / 2;
    return place;
}

bool WindowToLayout(const CanvasPlace& place, int32_t x, int32_t y, double* layoutX, double* layoutY) {
    if (place.width <= 0 || place.height <= 0) {
        *layoutX = *layoutY = -1.0;
        return false;
    }
    *layoutX = double(x - place.x) * LayoutWidth / place.width;
    *layoutY = double(y - place.y) * LayoutHeight / place.height;
    return x >= place.x && x < place.x + place.width && y >= place.y && y < place.y + place.height;
}

void CreateLayoutCanvas() {
    WindowPixelWidth = glutGet(GLUT_WINDOW_WIDTH);
    WindowPixelHeight = glutGet(GLUT_WINDOW_HEIGHT);
    if (!LoadFramebufferCalls()) {
        std::fputs(NoCanvasMessage, stdout);
        return;
    }
    LoadBlitCall();
    CubeMapTarget = glutExtensionSupported("GL_ARB_texture_cube_map");
    CanvasActive = 1;
    WindowWidth = LayoutWidth;
    WindowHeight = LayoutHeight;
}

// A window of exactly the layout's size is drawn into directly: a copy
// through the canvas would cost time for nothing, and drivers rasterise
// off-screen buffers with the y axis the other way round, which moves
// rounding by one level in a few pixels.
void BeginCanvasFrame() {
    FrameInCanvas = CanvasActive && !WindowIsLayoutSize() && CanvasReady();
    if (FrameInCanvas) Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, CanvasFramebuffer);
}

void PresentCanvas() {
    if (!FrameInCanvas) return;
    const CanvasPlace place = FitLayout(WindowPixelWidth, WindowPixelHeight);
    Fbo.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, WindowPixelWidth, WindowPixelHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);  // the bars
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, WindowPixelWidth, 0.0, WindowPixelHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    SetPresentState();
    glBindTexture(GL_TEXTURE_2D, CanvasTexture);
    const GLint filter = PresentFilter(place);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    DrawCanvasQuad(place);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void WindowReshaped(int32_t width, int32_t height) {
    WindowPixelWidth = width;
    WindowPixelHeight = height;
    if (CanvasFramebuffer && WindowIsLayoutSize()) DeleteCanvas();
    if (CanvasActive)
        SetProjection(LayoutWidth, LayoutHeight);
    else
        SetProjection(width, height);
}

bool PointerToLayout(int32_t x, int32_t y, double* layoutX, double* layoutY) {
    if (CanvasActive)
        return WindowToLayout(FitLayout(WindowPixelWidth, WindowPixelHeight), x, y, layoutX, layoutY);
    *layoutX = double(x);
    *layoutY = double(y);
    return true;
}

void KeepBackdrop(int32_t background) {
    if (!CanvasActive || !Fbo.blitFramebuffer) return;
    if (!KeptFramebuffer && !BuildKeptBackdrop()) {
        Fbo.blitFramebuffer = nullptr;  // frames are drawn whole, as without the copy
        return;
    }
    CopyLayout(FrameFramebuffer(), KeptFramebuffer);
    KeptBackground = background;
    KeptInCanvas = FrameInCanvas;
}

bool BackdropKept(int32_t background) {
    // A canvas that could not be made leaves the window drawn at its own size.
    if (!CanvasActive || !KeptFramebuffer || !Fbo.blitFramebuffer) return false;
    return KeptBackground == background && KeptInCanvas == FrameInCanvas;
}

void DrawKeptBackdrop() { CopyLayout(KeptFramebuffer, FrameFramebuffer()); }

#include "tests/effects/draw_recorder.h"

#include "app/frame.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "render/primitives.h"

#include <cmath>

DrawRecord Drawn;
uint32_t FakeStreamPosition = 0;
int IntroStreamStarts = 0;

std::vector<RecordedQuad> QuadsOf(QuadKind kind) {
    std::vector<RecordedQuad> result;
    for (const RecordedQuad& quad : Drawn.quads)
        if (quad.kind == kind) result.push_back(quad);
    return result;
}

namespace {

void Record(RecordedQuad quad) {
    quad.source = Drawn.source;
    quad.destination = Drawn.destination;
    quad.name = Drawn.name;
    Drawn.quads.push_back(quad);
}

void RecordFullWindow(QuadKind kind, int32_t slot, float u, float v) {
    Record({kind, slot, WindowWidth / 2.0f, WindowHeight / 2.0f, 0, 0, 0, Drawn.color[0], Drawn.color[3], u, v, 0, 0, 0});
}

// A blended primitive leaves blending off and the depth test on.
void AfterBlend(int32_t blend) {
    if (!blend) return;
    Drawn.blend = false;
    Drawn.depthTest = true;
}

}  // namespace

// ---- render/primitives.h
float BackgroundFade = 1.0f;

void OverlayBegin() {}
void OverlayEnd() {}
void ResetOverlayState() {}

void DrawTexturedQuad(int32_t slot, int32_t blend, float halfWidth, float halfHeight, float x,
                      float y, float z, float alpha) {
    Record({QuadKind::Textured, slot, halfWidth, halfHeight, x, y, z, 1, alpha, 0, 0, 0, 0, 0});
    AfterBlend(blend);
}

void DrawTintedQuad(int32_t slot, int32_t blend, float halfWidth, float halfHeight, float x,
                    float y, float z, float red, float, float, float alpha) {
    Record({QuadKind::Tinted, slot, halfWidth, halfHeight, x, y, z, red, alpha, 0, 0, 0, 0, 0});
    AfterBlend(blend);
}

void DrawBlankQuad(int32_t blend, float halfWidth, float halfHeight, float x, float y, float z, float alpha) {
    Record({QuadKind::Blank, -1, halfWidth, halfHeight, x, y, z, 1, alpha, 0, 0, 0, 0, 0});
    AfterBlend(blend);
}
void DrawOverlayImage(int32_t, int32_t, float, float, float, float, float) {}
void DrawOverlayShade(int32_t, float, float, float, float, float) {}

void DrawOverlayImageRotated(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                             float x, float y, float alpha, float) {
    Record({QuadKind::OverlayRotated, slot, halfWidth, halfHeight, x, y, 0, 1, alpha, 0, 0, 0, 0, 0});
    AfterBlend(blend);
}

void DrawLoadingImage(int32_t, int32_t, float, float, float, float, float) {}
void DrawScreenImage(int32_t, int32_t, int32_t) {}

void DrawScreenZoom(int32_t slot, float u, float v) {
    RecordFullWindow(QuadKind::ScreenZoom, slot, u, v);
}

void DrawScreenBoundTexture() { RecordFullWindow(QuadKind::ScreenBound, -1, 0, 0); }

void DrawBackgroundCrossfade(int32_t, int32_t) {}

// ---- audio/audio.h, the intro stream only (the state comes from audio_state.cpp)
void StartIntroStream() { ++IntroStreamStarts; }
void IntroAudioFrame() { ++Drawn.spectrumReads; }
void ReadIntroClock() { Audio.IntroClock = FakeStreamPosition / 1000; }

// ---- OpenGL, as far as the effects use it
namespace {

RecordedPrimitive* OpenPrimitive = nullptr;

// The modelview matrix, row-major 4 x 4; vertices are recorded in eye
// coordinates so that tests check where things land, not how.
double ModelView[4][4];

void LoadIdentity() {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) ModelView[row][col] = row == col ? 1.0 : 0.0;
}

void MultiplyModelView(const double by[4][4]) {
    double result[4][4] = {};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            for (int k = 0; k < 4; ++k) result[row][col] += ModelView[row][k] * by[k][col];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) ModelView[row][col] = result[row][col];
}

void SetCapability(GLenum capability, bool on) {
    if (capability == GL_TEXTURE_2D) Drawn.texture2d = on;
    if (capability == GL_BLEND) Drawn.blend = on;
    if (capability == GL_DEPTH_TEST) Drawn.depthTest = on;
}

}  // namespace

extern "C" {

void glEnable(GLenum capability) { SetCapability(capability, true); }
void glDisable(GLenum capability) { SetCapability(capability, false); }
void glBlendFunc(GLenum source, GLenum destination) {
    Drawn.source = source;
    Drawn.destination = destination;
}
void glLoadName(GLuint name) { Drawn.name = name; }
void glPushMatrix() {}
void glPopMatrix() {}
void glMatrixMode(GLenum) {}
void glLoadIdentity() { LoadIdentity(); }

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    const double by[4][4] = {{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}, {0, 0, 0, 1}};
    MultiplyModelView(by);
}

// Rotations about the z axis only: the effects turn nothing else.
void glRotatef(GLfloat degrees, GLfloat, GLfloat, GLfloat) {
    const double radians = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double by[4][4] = {{c, -s, 0, 0}, {s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    MultiplyModelView(by);
}
void glLineWidth(GLfloat) {}
void glBindTexture(GLenum, GLuint texture) { Drawn.boundTexture = texture; }
void glTexCoord2f(GLfloat, GLfloat) {}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) { glColor4f(red, green, blue, 1.0f); }

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    Drawn.color[0] = red;
    Drawn.color[1] = green;
    Drawn.color[2] = blue;
    Drawn.color[3] = alpha;
}

void glBegin(GLenum) {
    Drawn.primitives.push_back({Drawn.color[3], Drawn.texture2d, Drawn.boundTexture, {}});
    OpenPrimitive = &Drawn.primitives.back();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!OpenPrimitive) return;
    const double in[4] = {x, y, z, 1.0};
    double eye[3] = {};
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 4; ++k) eye[row] += ModelView[row][k] * in[k];
    OpenPrimitive->vertices.push_back({float(eye[0]), float(eye[1]), float(eye[2]), Drawn.color[3]});
}

void glEnd() { OpenPrimitive = nullptr; }

}  // extern "C"

void ClearDrawn() {
    Drawn = DrawRecord{};
    Drawn.color[0] = Drawn.color[1] = Drawn.color[2] = Drawn.color[3] = 1.0f;
    Drawn.texture2d = true;
    Drawn.blend = true;
    Drawn.depthTest = false;
    Drawn.source = GL_SRC_ALPHA;
    Drawn.destination = GL_ONE;
    LoadIdentity();
}

// Immediate-mode quads: one glBegin/glEnd of four corners per call.
//
// Callers rely on the GL state each primitive leaves behind (texturing on or
// off, blending and depth testing after a blended draw), so the toggles below
// are part of the contract and are not batched away.
#include "render/primitives.h"

#include <GL/gl.h>

#include "app/startup.h"
#include "resources/textures.h"

namespace {

// The blend flag: blended quads are drawn with blending on and depth testing
// off, and leave the opposite pair behind; unblended quads touch neither.
void BeginBlend(int32_t blend) {
    if (!blend) return;
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}

void EndBlend(int32_t blend) {
    if (!blend) return;
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void BindSlot(int32_t slot) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TextureTable[slot]);
}

// Texture (0, 0) at the quad's own lower-left corner, (1, 1) at its upper right.
void EmitCentredQuad(float halfWidth, float halfHeight, float z) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-halfWidth, -halfHeight, z);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(halfWidth, -halfHeight, z);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(halfWidth, halfHeight, z);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-halfWidth, halfHeight, z);
    glEnd();
}

// A blended quad of no opacity changes no pixel where the source is weighed
// by its alpha and the destination kept whole or by one minus that alpha
// (the topics' bare hit areas, the logos' glow away from its peak), and
// the software renderer would still shade every pixel of it. Selection
// passes draw it all the same: the hit areas are what they pick.
bool LeavesNoTrace(int32_t blend, float alpha) {
    if (!blend || alpha > 0.0f) return false;
    GLint source = 0, destination = 0, mode = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return source == GL_SRC_ALPHA && (destination == GL_ONE || destination == GL_ONE_MINUS_SRC_ALPHA) &&
           mode == GL_RENDER;
}

// A quad in the current projection; replaces the modelview matrix.
void DrawSceneQuad(int32_t blend, float halfWidth, float halfHeight, float x, float y, float z,
                   float red, float green, float blue, float alpha) {
    BeginBlend(blend);
    glLoadIdentity();
    glTranslatef(x, y, 0.0f);
    glColor4f(red, green, blue, alpha);
    if (!LeavesNoTrace(blend, alpha)) EmitCentredQuad(halfWidth, halfHeight, z);
    EndBlend(blend);
}

// A quad in its own overlay pass. The flip about the x axis turns the
// overlay's downward y back up, so the quad's upper edge is up on screen and
// a positive angle turns it counter-clockwise as seen.
void DrawOverlayQuad(int32_t blend, float halfWidth, float halfHeight, float x, float y,
                     float shade, float alpha, float angle) {
    OverlayBegin();
    BeginBlend(blend);
    glLoadIdentity();
    glTranslatef(x, y, 0.0f);
    glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
    if (angle != 0.0f) glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glColor4f(shade, shade, shade, alpha);
    EmitCentredQuad(halfWidth, halfHeight, 0.0f);
    EndBlend(blend);
    OverlayEnd();
}

// A rectangle over the full window in overlay pixels; (s0, t0) at the
// bottom-left corner on screen and (s1, t1) at the top right.
void DrawWindowQuad(float left, float top, float right, float bottom,
                    float s0, float t0, float s1, float t1) {
    glViewport(0, 0, WindowWidth, WindowHeight);
    OverlayBegin();
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t1);
    glVertex2f(left, top);
    glTexCoord2f(s0, t0);
    glVertex2f(left, bottom);
    glTexCoord2f(s1, t0);
    glVertex2f(right, bottom);
    glTexCoord2f(s1, t1);
    glVertex2f(right, top);
    glEnd();
    OverlayEnd();
}

}  // namespace

void OverlayBegin() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, WindowWidth, WindowHeight, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void OverlayEnd() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// The matrix stacks stay balanced: nothing was pushed on the way here, so
// there is no projection level to pop.
void ResetOverlayState() {
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
}

void DrawTexturedQuad(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float z, float alpha) {
    BindSlot(slot);
    DrawSceneQuad(blend, halfWidth, halfHeight, x, y, z, 1.0f, 1.0f, 1.0f, alpha);
}

void DrawTintedQuad(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                    float x, float y, float z, float red, float green, float blue, float alpha) {
    BindSlot(slot);
    DrawSceneQuad(blend, halfWidth, halfHeight, x, y, z, red, green, blue, alpha);
}

void DrawBlankQuad(int32_t blend, float halfWidth, float halfHeight,
                   float x, float y, float z, float alpha) {
    glDisable(GL_TEXTURE_2D);
    DrawSceneQuad(blend, halfWidth, halfHeight, x, y, z, 1.0f, 1.0f, 1.0f, alpha);
    glEnable(GL_TEXTURE_2D);
}

void DrawOverlayImage(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float alpha) {
    BindSlot(slot);
    DrawOverlayQuad(blend, halfWidth, halfHeight, x, y, 1.0f, alpha, 0.0f);
}

void DrawOverlayShade(int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float alpha) {
    glDisable(GL_TEXTURE_2D);
    DrawOverlayQuad(blend, halfWidth, halfHeight, x, y, 0.0f, alpha, 0.0f);
}

void DrawOverlayImageRotated(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                             float x, float y, float alpha, float angle) {
    BindSlot(slot);
    DrawOverlayQuad(blend, halfWidth, halfHeight, x, y, 1.0f, alpha, angle);
}

// There is one loading picture, so index is always 0.
void DrawLoadingImage(int32_t index, int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float alpha) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, LoadingTexture);
    DrawOverlayQuad(blend, halfWidth, halfHeight, x, y, 1.0f, alpha, 0.0f);
}

void DrawScreenImage(int32_t slot, int32_t overscanX, int32_t overscanY) {
    BindSlot(slot);
    DrawWindowQuad(float(-overscanX), float(-overscanY), float(WindowWidth + overscanX),
                   float(WindowHeight + overscanY), 0.0f, 0.0f, 1.0f, 1.0f);
}

void DrawScreenZoom(int32_t slot, float u, float v) {
    BindSlot(slot);
    DrawWindowQuad(0.0f, 0.0f, float(WindowWidth), float(WindowHeight), u, v, 1.0f - u, 1.0f - v);
}

void DrawScreenBoundTexture() {
    DrawWindowQuad(0.0f, 0.0f, float(WindowWidth), float(WindowHeight), 0.0f, 0.0f, 1.0f, 1.0f);
}

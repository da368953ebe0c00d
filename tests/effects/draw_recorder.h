// A recording stand-in for the quad primitives, the few OpenGL calls the
// effects make and the intro stream, so that tests see what a frame drew
// (slot, size, position, colour) without a window.
//
// The stand-ins replace whole files of render/ and audio/: the linker takes
// these definitions first and never pulls the files that hold the originals
// (render/primitives.cpp, render/crossfade.cpp, audio/audio.cpp) out of the
// library; the audio state comes from audio/audio_state.cpp as it is. Should the effects come to
// need a function that only those files define, the link fails with duplicate
// symbols (never silently mixes the two); the stand-in then grows that
// function too.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <vector>

enum class QuadKind { Textured, Tinted, Blank, OverlayRotated, ScreenZoom, ScreenBound };

struct RecordedQuad {
    QuadKind kind;
    int32_t slot;  // -1 for the bound-texture quad
    float halfWidth, halfHeight;
    float x, y, z;
    float red, alpha;  // of the tint, or of the current colour for full-window quads
    float u, v;        // insets of the zoomed full-window picture
    GLenum source, destination;  // the blend function it was drawn with
    GLuint name;                 // the selection name loaded last
};

struct RecordedVertex {
    float x, y, z;
    float alpha;  // of the current colour at the vertex
};

struct RecordedPrimitive {
    float alpha;
    bool textured;
    GLuint texture;
    std::vector<RecordedVertex> vertices;
};

struct DrawRecord {
    std::vector<RecordedQuad> quads;
    std::vector<RecordedPrimitive> primitives;
    float color[4];
    GLuint boundTexture;
    bool texture2d, blend, depthTest;
    GLenum source, destination;
    GLuint name;
    int spectrumReads;
};

extern DrawRecord Drawn;
// Intro stream position in bytes that the fake clock read reports.
extern uint32_t FakeStreamPosition;
// Calls of StartIntroStream over the whole process.
extern int IntroStreamStarts;

// Forgets what was drawn; GL state back to the program's standing state.
void ClearDrawn();
// The quads of one kind, in drawing order.
std::vector<RecordedQuad> QuadsOf(QuadKind kind);

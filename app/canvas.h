// The layout canvas: the whole frame is drawn at the layout's own size into
// an off-screen framebuffer, then shown in the window scaled to the largest
// 4:3 rectangle that fits, centred between black bars. The layout was made
// for a 1024 x 768 display; drawn unscaled into any other window it is cut
// off or lost in a corner.
#pragma once
#include <cstdint>

constexpr int32_t LayoutWidth = 1024, LayoutHeight = 768;

// Where the layout lies in a window, in window pixels (y down from the top).
struct CanvasPlace {
    int32_t x, y, width, height;
};

// The largest rectangle of the layout's shape that fits the window, centred;
// sides rounded to the nearest pixel.
CanvasPlace FitLayout(int32_t windowWidth, int32_t windowHeight);
// The layout position shown at window pixel (x, y): the inverse of the
// presentation. False when the pixel lies on a bar (the position is then
// still computed, outside the layout).
bool WindowToLayout(const CanvasPlace& place, int32_t x, int32_t y, double* layoutX, double* layoutY);

extern uint8_t CanvasActive;          // 1 when frames go through the canvas
extern int32_t WindowPixelWidth;      // the window's real size, from the reshape callback
extern int32_t WindowPixelHeight;

// Once, with the GL context current: the framebuffer object and its colour
// texture and depth buffer; sets the logical size to the layout's. Without framebuffer objects
// the frame is drawn straight into the window and one line says so; the
// logical size stays what the display mode set.
void CreateLayoutCanvas();
// A frame draws into the canvas from here on, unless the window has the
// layout's size: then straight into the window, as without the canvas.
void BeginCanvasFrame();
// Shows the finished canvas in the window (one textured quad) and leaves the
// window bound, so that between frames everything reads and draws as without
// the canvas; all other GL state is as before. Nothing for a frame drawn
// straight into the window.
void PresentCanvas();
// Reshape callback: remembers the window's size; the projection is the
// layout's when drawing goes through the canvas, the window's otherwise.
void WindowReshaped(int32_t width, int32_t height);
// The layout position of window pixel (x, y) for the current window; false
// over a bar. Without the canvas the window is the layout.
bool PointerToLayout(int32_t x, int32_t y, double* layoutX, double* layoutY);
// The magazine's backdrop (bars and background) once its cross-fade has
// settled: it changes no more, yet drawing it costs the software renderer
// more than the rest of a frame, so a copy of it is kept and laid down again.
// KeepBackdrop copies what the frame's framebuffer holds now; nothing
// without framebuffer copies.
void KeepBackdrop(int32_t background);
// Whether a backdrop is kept for this background in the framebuffer the
// frame is drawn into (the window and the canvas round a few pixels
// differently).
bool BackdropKept(int32_t background);
// Lays down the kept backdrop over the whole layout, pixel for pixel.
void DrawKeptBackdrop();

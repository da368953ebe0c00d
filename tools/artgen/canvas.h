// Pictures in the making: float RGBA pixels, compositing, filters and the
// PNG writer.
//
// Limits: a canvas is at most 4096 x 4096 pixels; every pixel access through
// these functions is bounds-checked, so painters may draw partly or wholly
// outside the picture. Colours are linear 0..1 floats; saving clamps and
// rounds to 8 bits. Saved files carry no time stamp or text chunk, so the
// same pixels always give the same bytes.
#pragma once
#include <cstdint>
#include <vector>

struct Rgb {
    float r, g, b;
};

struct Canvas {
    int width = 0, height = 0;
    std::vector<float> pixels;  // width * height * 4: r, g, b, a
};

// PngRgbStored is RGB without deflate, for noise: inflating it costs the
// magazine's start-up ten times what reading the larger file does.
enum PngFormat { PngRgb, PngRgba, PngRgbStored };

Canvas MakeCanvas(int width, int height, Rgb fill = {0, 0, 0}, float alpha = 1.0f);
Rgb Mix(Rgb a, Rgb b, float t);
Rgb Scale(Rgb c, float k);

float* PixelAt(Canvas& c, int x, int y);  // nullptr outside the picture
const float* PixelAt(const Canvas& c, int x, int y);
// Lays colour over the pixel with coverage a (straight alpha, "over").
void PaintOver(Canvas& c, int x, int y, Rgb colour, float a);
// Adds light to the pixel's colour, leaving its alpha.
void PaintAdd(Canvas& c, int x, int y, Rgb colour, float amount);
void FillRect(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour, float a = 1.0f);
// One-pixel outline of the rectangle x0..x1, y0..y1 (inclusive).
void FrameRect(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour, float a = 1.0f);

// Gaussian-like blur (three box passes) of all four channels.
void Blur(Canvas& c, float radius);
// The picture scaled to a new size with bilinear sampling.
Canvas Resized(const Canvas& c, int width, int height);
// Adds src (weighted by its alpha and by amount) onto dst at offset.
void AddCanvas(Canvas& dst, const Canvas& src, int offsetX, int offsetY, float amount);
// Multiplies every colour by k (a simple exposure control).
void Expose(Canvas& c, float k);

// Writes the picture as an 8-bit RGB or RGBA PNG; false with a message on
// standard error when the file cannot be written.
bool SavePng(const Canvas& c, const char* path, PngFormat format);

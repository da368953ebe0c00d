// A real GL context for tests that draw, and screenshots of it.
//
// Under Xvfb there is no window manager, so keyboard focus follows the
// pointer: a test that sends keys keeps the pointer inside the window. Read
// pixels from the back buffer before the swap; the front buffer reads black.
#pragma once

#include "platform/gl_driver.h"  // PinGlDriver, for tests that make their own window

// Opens (once per process) a double-buffered RGBA window with destination
// alpha and depth of the given size at (0, 0), makes it current and sets the
// program's logical size to match. Later calls resize it.
void OpenTestWindow(int width, int height);
// Reads one pixel of the back buffer as 0xRRGGBB.
unsigned ReadBackBufferPixel(int x, int yFromTop);

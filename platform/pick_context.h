// A GL context of its own for selection-mode picking.
//
// Mesa's software renderer keeps memory each time a context switches between
// GL_SELECT and GL_RENDER and then draws: a few hundred kilobytes a pick with
// the magazine's frames, so a wandering pointer grows the process without
// bound. Picking in a second context on the same window, which never draws
// in GL_RENDER, leaves the drawing context's render mode alone.
#pragma once

// Makes the picking context current on the window's drawable, with the
// drawing context's viewport; creates it on first use. Returns 0 (and leaves
// the drawing context current) when no second context can be made.
int BeginPickContext();
// Makes the drawing context current again after a successful BeginPickContext.
void EndPickContext();

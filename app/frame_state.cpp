// Scene and timing state, read by every animated part of the program; kept
// apart from the frame driver so that those parts link without it.
#include "app/frame.h"

FrameState Frame = FrameStart;
const float ReferenceFrameRate = 75.0f;

// Which button lies under the pointer, by OpenGL selection mode; the pointer sprite.
#pragma once
#include <cstdint>

enum { PickBufferSize = 512 };

// Set by pointer motion; the frame driver then runs the hover pick once,
// at the latest position, however many motions came since the last frame.
extern uint8_t HoverPickDue;
void PickPendingHover();

void PickHover();
void PickClick();
void DrawPointer();
void DrawPointerQuad(float halfWidth, float halfHeight, int textureSlot);

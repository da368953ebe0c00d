// Which button lies under the pointer, by OpenGL selection mode; the pointer sprite.
#pragma once

enum { PickBufferSize = 512 };

void PickHover();
void PickClick();
void DrawPointer();
void DrawPointerQuad(float halfWidth, float halfHeight, int textureSlot);

#include "menu/picking.h"

void PickHover() {}
void PickClick() {}
void DrawPointer() {}
void DrawPointerQuad(float halfWidth, float halfHeight, int textureSlot) {}

#include "menu/menu.h"

void SetButton(int32_t index, int32_t textureSlot, float x, float y, float z,
               float halfWidth, float halfHeight, float alpha) {}
void SetMenuButtons() {}
void DrawMenu() {}

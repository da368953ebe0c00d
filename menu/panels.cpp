#include "menu/panels.h"

float PanelSlide[PanelCount] = {-40.0f, -32.0f, -32.0f, -32.0f, -32.0f, -32.0f};
float PanelAlpha[PanelCount] = {};

void DrawSectionPanels() {}
void SlidePanelIn(int32_t section) {}
void FadePanelOut(int32_t section) {}

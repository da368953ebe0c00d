// The sliding topic panels of sections 0..5.
#pragma once
#include <cstdint>

enum { PanelCount = 6 };

extern float PanelSlide[PanelCount];  // slide offset, climbs to 0 while sliding in
extern float PanelAlpha[PanelCount];  // opacity while fading out

void DrawSectionPanels();
void SlidePanelIn(int32_t section);
void FadePanelOut(int32_t section);

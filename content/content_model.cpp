#include "content/content.h"

int32_t ActiveSection = 0;
int32_t IntroTopic = 0;
int32_t AmigaTopic = 0;
int32_t PcTopic = 0;
int32_t C64Topic = 0;
int32_t WarezTopic = 0;
int32_t FunTopic = 0;
int32_t CurrentPage = 0;
float PageTextAlpha = 0.0f;
float ChartReveal = 12.0f;
int32_t BackgroundSection = 0;
int32_t PreviousBackgroundSection = 0;

void SelectSection(int32_t pick) {}
void SelectTopic(int32_t pick) {}
void TurnPage(int32_t delta) {}
void ClampPage() {}

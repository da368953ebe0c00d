// What the magazine shows: section, topic, page and the fades of its text.
#pragma once
#include <cstdint>

enum Section : int32_t {
    Introduction = 0,
    AmigaCharts = 1,
    PcCharts = 2,
    C64Charts = 3,
    WarezCharts = 4,
    FunCharts = 5,
    Messages = 6,
    Credits = 7,
};

extern int32_t ActiveSection;
extern int32_t IntroTopic;
extern int32_t AmigaTopic;
extern int32_t PcTopic;
extern int32_t C64Topic;
extern int32_t WarezTopic;
extern int32_t FunTopic;
extern int32_t CurrentPage;
extern float PageTextAlpha;
extern float ChartReveal;
extern int32_t BackgroundSection;
extern int32_t PreviousBackgroundSection;

void SelectSection(int32_t pick);
void SelectTopic(int32_t pick);
void TurnPage(int32_t delta);
// Brings CurrentPage back into the shown text's range; once per frame.
void ClampPage();

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

// Sections 1..5 hold charts.
inline constexpr int32_t ChartSectionCount = 5;

// Pick names of the Introduction topics.
enum IntroductionTopic : int32_t {
    WelcomeTopic = 78,
    NewsAndInformationTopic = 79,
    ListOfVotersTopic = 80,
    AdvertisementsTopic = 81,
    ContactInformationTopic = 82,
    Bonus3Topic = 83,
    Bonus5Topic = 84,
    Bonus7Topic = 85,
};

inline constexpr int32_t MessagesPageCount = 20;
// Value of ChartReveal after a pick; it counts down as the chart appears.
inline constexpr float ChartRevealStart = 12.0f;

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

// The section (0..5) whose topic range holds the pick name, or -1.
int32_t SectionOfTopic(int32_t pick);
// Pages of an Introduction topic (1 for the single pages and for 0).
int32_t PageCountOfIntroTopic(int32_t pick);

// A section button was picked; ignored while the background cross-fade runs.
void SelectSection(int32_t pick);
// A topic button was picked; ignored unless it belongs to the shown section.
void SelectTopic(int32_t pick);
// An arrow button or key: no range test here, ClampPage corrects it.
void TurnPage(int32_t delta);
// Brings CurrentPage back into the shown text's range; once per frame.
void ClampPage();

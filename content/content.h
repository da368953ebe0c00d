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

// Pick-name range of each section's topics, indexed by section 0..5.
struct TopicRange {
    int32_t first, last;
};
inline constexpr TopicRange TopicRanges[ChartSectionCount + 1] = {
    {WelcomeTopic, Bonus7Topic}, {15, 30}, {31, 45}, {46, 54}, {55, 73}, {74, 77},
};

// Chart topics, one per pick name of sections 1..5.
inline constexpr int32_t FirstChartPick = 15;
inline constexpr int32_t LastChartPick = 77;
inline constexpr int32_t ChartCount = LastChartPick - FirstChartPick + 1;

// The first nine Warez topics form a grid: three rows of three languages.
inline constexpr int32_t WarezGridTopics = 9;

// Value of ChartReveal after a pick; it counts down as the chart appears.
inline constexpr float ChartRevealStart = 12.0f;

// A section's topic variable while none of its topics is chosen; not a pick name.
inline constexpr int32_t NoTopic = -1;

// What is shown, as the program starts (resource initialisation then chooses
// the Welcome topic).
struct ContentState {
    int32_t ActiveSection = Introduction;
    int32_t IntroTopic = NoTopic;  // the chosen topic of each section 0..5
    int32_t AmigaTopic = NoTopic;
    int32_t PcTopic = NoTopic;
    int32_t C64Topic = NoTopic;
    int32_t WarezTopic = NoTopic;
    int32_t FunTopic = NoTopic;
    int32_t CurrentPage = 0;
    float PageTextAlpha = 0.0f;
    float ChartReveal = ChartRevealStart;
    int32_t BackgroundSection = Introduction;
    int32_t PreviousBackgroundSection = Introduction;
};
inline constexpr ContentState ContentStart{};
extern ContentState Content;

// The topic chosen in section 0..5, or NoTopic.
int32_t ChosenTopic(int32_t section);
// The section (0..5) whose topic range holds the pick name, or -1.
int32_t SectionOfTopic(int32_t pick);
// A section button was picked; ignored while the background cross-fade runs.
void SelectSection(int32_t pick);
// A topic button was picked; ignored unless it belongs to the shown section.
void SelectTopic(int32_t pick);
// An arrow button or key: no range test here, ClampPage corrects it.
void TurnPage(int32_t delta);
// Brings CurrentPage back into the shown text's range; once per frame.
void ClampPage();

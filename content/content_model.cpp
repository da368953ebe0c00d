// The content state and the three ways the reader changes it: a section pick,
// a topic pick and a page turn. The per-frame clamp keeps the page inside the
// shown text, so the arrows and keys never need a range test of their own.
#include "content/content.h"

#include <climits>

#include "content/content_lines.h"
#include "render/primitives.h"

int32_t ActiveSection = Introduction;
int32_t IntroTopic = 0;
int32_t AmigaTopic = 0;
int32_t PcTopic = 0;
int32_t C64Topic = 0;
int32_t WarezTopic = 0;
int32_t FunTopic = 0;
int32_t CurrentPage = 0;
float PageTextAlpha = 0.0f;
float ChartReveal = ChartRevealStart;
int32_t BackgroundSection = 0;
int32_t PreviousBackgroundSection = 0;

// Where each section 0..5 keeps its chosen topic.
static int32_t* const ChosenTopics[ChartSectionCount + 1] = {
    &IntroTopic, &AmigaTopic, &PcTopic, &C64Topic, &WarezTopic, &FunTopic,
};

int32_t ChosenTopic(int32_t section) { return *ChosenTopics[section]; }

int32_t SectionOfTopic(int32_t pick) {
    for (int32_t section = 0; section <= ChartSectionCount; ++section)
        if (pick >= TopicRanges[section].first && pick <= TopicRanges[section].last)
            return section;
    return -1;
}

void SelectSection(int32_t pick) {
    if (BackgroundFade < 1.0f || pick < Introduction || pick > Credits)
        return;
    PreviousBackgroundSection = BackgroundSection;
    BackgroundSection = pick == Credits ? Introduction : pick;  // Credits borrows the intro picture
    BackgroundFade = 0.0f;
    PageTextAlpha = 0.0f;
    ActiveSection = pick;
    for (int32_t* topic : ChosenTopics)
        *topic = 0;
    ChartReveal = ChartRevealStart;
    CurrentPage = 0;
}

void SelectTopic(int32_t pick) {
    int32_t section = SectionOfTopic(pick);
    if (section < 0 || section != ActiveSection)
        return;
    PageTextAlpha = 0.0f;
    *ChosenTopics[section] = pick;
    ChartReveal = ChartRevealStart;
    if (section == Introduction)
        CurrentPage = 0;
}

void TurnPage(int32_t delta) {
    // Unlimited on pages without a range, but held short of overflow: a held
    // key on the Welcome page must not wrap the page number negative.
    if ((delta > 0 && CurrentPage > INT_MAX - delta) || (delta < 0 && CurrentPage < INT_MIN - delta))
        return;
    CurrentPage += delta;
}

static void ClampToPages(int32_t pageCount) {
    if (CurrentPage < 0)
        CurrentPage = 0;
    else if (CurrentPage > pageCount - 1)
        CurrentPage = pageCount - 1;
}

void ClampPage() {
    // Welcome and Contact information (one page each) are left to drift:
    // they show the same page whatever the number holds.
    if (PageCountOfIntroTopic(IntroTopic) > 1)
        ClampToPages(PageCountOfIntroTopic(IntroTopic));
    if (ActiveSection == Messages)
        ClampToPages(MessagesPageCount);
}

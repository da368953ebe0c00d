// The content state and the three ways the reader changes it: a section pick,
// a topic pick and a page turn. The per-frame clamp keeps the page inside the
// shown text, so the arrows and keys never need a range test of their own.
#include "content/content.h"

#include <climits>

#include "content/content_lines.h"
#include "render/primitives.h"

ContentState Content = ContentStart;

// Where each section 0..5 keeps its chosen topic.
static int32_t* const ChosenTopics[ChartSectionCount + 1] = {
    &Content.IntroTopic, &Content.AmigaTopic, &Content.PcTopic,
    &Content.C64Topic,   &Content.WarezTopic, &Content.FunTopic,
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
    Content.PreviousBackgroundSection = Content.BackgroundSection;
    Content.BackgroundSection = pick == Credits ? Introduction : pick;  // Credits borrows the intro picture
    BackgroundFade = 0.0f;
    Content.PageTextAlpha = 0.0f;
    Content.ActiveSection = pick;
    for (int32_t* topic : ChosenTopics)
        *topic = NoTopic;
    Content.ChartReveal = ChartRevealStart;
    Content.CurrentPage = 0;
}

void SelectTopic(int32_t pick) {
    int32_t section = SectionOfTopic(pick);
    if (section < 0 || section != Content.ActiveSection)
        return;
    Content.PageTextAlpha = 0.0f;
    *ChosenTopics[section] = pick;
    Content.ChartReveal = ChartRevealStart;
    if (section == Introduction)
        Content.CurrentPage = 0;
}

void TurnPage(int32_t delta) {
    // Unlimited on pages without a range, but held short of overflow: a held
    // key on the Welcome page must not wrap the page number negative.
    const int32_t page = Content.CurrentPage;
    if ((delta > 0 && page > INT_MAX - delta) || (delta < 0 && page < INT_MIN - delta))
        return;
    Content.CurrentPage += delta;
}

static void ClampToPages(int32_t pageCount) {
    if (Content.CurrentPage < 0)
        Content.CurrentPage = 0;
    else if (Content.CurrentPage > pageCount - 1)
        Content.CurrentPage = pageCount - 1;
}

void ClampPage() {
    // Welcome and Contact information (one page each) are left to drift:
    // they show the same page whatever the number holds.
    if (PageCountOfIntroTopic(Content.IntroTopic) > 1)
        ClampToPages(PageCountOfIntroTopic(Content.IntroTopic));
    if (Content.ActiveSection == Messages)
        ClampToPages(MessagesPageCount);
}

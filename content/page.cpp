// Page rendering: titles in Tahoma at the bottom, body text and charts in
// Courier, all white and additive over the section background.
//
// Text positions use the fixed 1024 x 768 layout with y measured up from the
// bottom edge (the print helpers turn it into 768 - y). Every page is a row of
// the pages of content_pages.h; the text comes from runs of ContentLines, and every index
// into a run is bounded by the run's length, so a short run or a short ranking
// row shows less text instead of reading past its end.
#include "content/page.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "app/frame.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/content_pages.h"
#include "content/page_layout.h"
#include "render/primitives.h"
#include "resources/fonts.h"

char PageTitleBuffer[PageTitleCapacity];

namespace {

constexpr float PageTextFadeSpeed = 0.015f;  // per frame at 75 frames per second
constexpr float ChartRevealSpeed = 0.03f;

constexpr int ShortChartRevealOffset = 7;  // its four rows appear after the usual ten

// The group photo of Bonus7 page 1, in overlay pixels (y from the top).
constexpr int32_t GroupPhotoSlot = 80;
constexpr float GroupPhotoX = 360, GroupPhotoY = 430, GroupPhotoHalfWidth = 219.56522f, GroupPhotoHalfHeight = 130;

const char* RunLine(int runStart, int index) { return ContentLines[runStart + index]; }

void SetTextAlpha(float alpha) { glColor4f(1.0f, 1.0f, 1.0f, alpha); }

void DrawTextPage(const TextPage& page, int32_t pageIndex) {
    int first = 0, end = page.runLines;
    if (page.linesPerPage > 0) {
        if (pageIndex < 0)
            pageIndex = 0;
        std::snprintf(PageTitleBuffer, sizeof PageTitleBuffer, page.title, pageIndex + 1);
        PrintTahoma(page.titleX, TitleY, PageTitleBuffer);
        long start = long(page.linesPerPage) * pageIndex;
        first = start < page.runLines ? int(start) : page.runLines;
        end = first + page.linesPerPage < page.runLines ? first + page.linesPerPage : page.runLines;
    } else {
        PrintTahoma(page.titleX, TitleY, page.title);
    }
    for (int i = first; i < end; ++i)
        PrintCourier(page.bodyX, page.firstY - page.step * float(i - first), RunLine(page.runStart, i));
    SetTextAlpha(1.0f);
}

// Copies up to `width` characters of `row` from `offset` on; a row that ends
// earlier gives a shorter or empty column.
void CopyColumn(char* out, size_t capacity, const char* row, size_t offset, size_t width) {
    size_t length = std::strlen(row);
    size_t from = offset < length ? offset : length;
    size_t count = length - from < width ? length - from : width;
    if (count > capacity - 1)
        count = capacity - 1;
    std::memcpy(out, row + from, count);
    out[count] = '\0';
}


void DrawRankingRows(int runStart, int rows, int splitWidth, float revealOffset) {
    char first[64], second[SecondColumnWidth + 1];
    for (int k = 0; k < rows; ++k) {
        const char* row = RunLine(runStart, ChartFirstRowOffset + k);
        CopyColumn(first, sizeof first, row, 0, size_t(splitWidth));
        CopyColumn(second, sizeof second, row, size_t(splitWidth), SecondColumnWidth);
        SetTextAlpha(float(k) + revealOffset - Content.ChartReveal);
        float y = FirstRowY - RowStep * float(k);
        PrintCourier(ChartX, y, first);
        PrintCourier(SecondColumnX, y, second);
    }
}

// Every chart shows its heading and its title; a cancelled one a notice
// instead of ranks, the short one two notes and four ranks.
void DrawChart(int32_t pick) {
    const int runStart = ChartRunStart(pick);
    const char* heading = RunLine(runStart, ChartHeadingOffset);
    const bool cancelled = IsCancelledChart(pick), isShort = KindOfChart(pick) == ShortChart;
    Content.ChartReveal -= ChartRevealSpeed * Frame.FrameStep;
    SetTextAlpha(ChartRevealStart - Content.ChartReveal);
    if (cancelled) {
        PrintCourier(ChartX, HeadingY, heading);
        PrintCourier(ChartX, FirstRowY, RunLine(runStart, CancelledNoticeOffset));
    } else {
        PrintCourier(CentredHeadingX(std::strlen(heading)), HeadingY, heading);
    }
    if (isShort) {
        PrintCourier(ChartX, ShortChartNoteY[0], RunLine(runStart, ShortChartFirstNote));
        PrintCourier(ChartX, ShortChartNoteY[1], RunLine(runStart, ShortChartSecondNote));
    }
    PrintTahoma(ChartTitleXs[pick - FirstChartPick], TitleY, heading);
    if (!cancelled)
        DrawRankingRows(runStart, isShort ? ShortChartRows : ChartRankCount, ChartSplitWidth(pick),
                        isShort ? 2.0f + ShortChartRevealOffset : 2.0f);
    SetTextAlpha(1.0f);
}

// Opaque over a dark backing rather than additive, so the faces stay readable
// over any background; it fades in with the text.
void DrawGroupPhoto() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawOverlayShade(1, GroupPhotoHalfWidth, GroupPhotoHalfHeight, GroupPhotoX, GroupPhotoY, Content.PageTextAlpha);
    DrawOverlayImage(GroupPhotoSlot, 1, GroupPhotoHalfWidth, GroupPhotoHalfHeight, GroupPhotoX, GroupPhotoY,
                     Content.PageTextAlpha);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

// The page of an Introduction topic; false for no topic.
bool IntroTopicPage(int32_t topic, int32_t page, TextPage& shown) {
    int32_t index = page < 0 ? 0 : page;
    switch (topic) {
    case WelcomeTopic: shown = WelcomePage; return true;
    case NewsAndInformationTopic: shown = NewsPage(index < NewsPageCount ? index : NewsPageCount - 1); return true;
    case ListOfVotersTopic: shown = VotersPaged; return true;
    case AdvertisementsTopic:
        shown = AdvertisementPage(index < AdvertisementPageCount ? index : AdvertisementPageCount - 1);
        return true;
    case ContactInformationTopic: shown = ContactPage; return true;
    case Bonus3Topic: shown = Bonus3Paged; return true;
    case Bonus5Topic: shown = Bonus5Paged; return true;
    case Bonus7Topic: shown = Bonus7Paged; return true;
    default: return false;
    }
}

// The chosen chart topic of the chart sections, or 0 when none is chosen.
int32_t ShownChart() {
    for (int32_t section = AmigaCharts; section <= FunCharts; ++section)
        if (int32_t topic = ChosenTopic(section); topic >= FirstChartPick && topic <= LastChartPick)
            return topic;
    return 0;
}

void DrawSelectedPage() {
    if (Content.ActiveSection == Messages) {
        if (Content.CurrentPage == MessagesPagedPages)
            DrawTextPage(MessagesPage19, 0);
        else if (Content.CurrentPage == MessagesPagedPages + 1)
            DrawTextPage(MessagesPage20, 0);
        else
            DrawTextPage(MessagesPaged, Content.CurrentPage);
    } else if (Content.ActiveSection == Credits) {
        DrawTextPage(CreditsPage, 0);
    } else if (TextPage page; IntroTopicPage(Content.IntroTopic, Content.CurrentPage, page)) {
        DrawTextPage(page, Content.CurrentPage);
        if (Content.IntroTopic == Bonus7Topic && Content.CurrentPage == 0)
            DrawGroupPhoto();
    } else if (int32_t chart = ShownChart()) {
        DrawChart(chart);
    }
}

}  // namespace

void DrawPage() {
    ResetOverlayState();
    if (Content.PageTextAlpha < 1.0f)
        Content.PageTextAlpha += PageTextFadeSpeed * Frame.FrameStep;
    SetTextAlpha(Content.PageTextAlpha);
    OverlayBegin();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    DrawSelectedPage();
    glDisable(GL_BLEND);
    OverlayEnd();
}

// The magazine's whole text: one constant, ordered table of line pointers.
//
// Every page text and every chart is one contiguous run of `ContentLines`;
// the runs follow each other in the fixed order below, so each run's start is
// the sum of the lengths before it. Lines are zero-terminated Windows-1252
// bytes (the fonts hold 256 glyphs, one per byte). A blank line points at the
// shared `EmptyLine`, so an empty pointer comparison tells blank lines apart.
//
// The table is generated at build time from the UTF-8 sources in
// content/text/ by tools/contentgen, together with content/content_table.h:
// how many lines each run holds, how many pages a text has and their titles,
// and what kind each chart is. Everything below follows from those numbers,
// so a new issue changes the text only.
#pragma once

#include "content/content.h"
#include "content/page_layout.h"

#include "content/content_table.h"

extern const char EmptyLine[];
extern const char* const ContentLines[ContentLineCount];

// ---- Runs, in stored order --------------------------------------------------

inline constexpr int MessagesTextStart = 0;  // Messages pages 1..n, paged

inline constexpr int VotersTextStart = MessagesTextStart + MessagesTextLines;  // ListOfVoters, paged

// Advertisements: fixed pages, one run each.
inline constexpr int AdvertisementsStart = VotersTextStart + VotersTextLines;

constexpr int AdvertisementPageStart(int pageIndex) {
    int start = AdvertisementsStart;
    for (int page = 0; page < pageIndex; ++page)
        start += AdvertisementPageLines[page];
    return start;
}

// Charts: one run per chart topic, pick names 15..77 in order.
inline constexpr int ChartsStart = AdvertisementPageStart(AdvertisementPageCount);

constexpr ChartKind KindOfChart(int pick) { return ChartKinds[pick - FirstChartPick]; }
constexpr bool IsCancelledChart(int pick) { return KindOfChart(pick) == CancelledChart; }

constexpr int ChartRunLength(int pick) {
    return IsCancelledChart(pick) ? CancelledChartRunLines : ChartRunLines;
}

constexpr int ChartRunStart(int pick) {
    int start = ChartsStart;
    for (int earlier = FirstChartPick; earlier < pick; ++earlier)
        start += ChartRunLength(earlier);
    return start;
}

// Width of a chart's first display column: rank and entry name. The points
// start right after it, so the wider charts leave fewer places for points.
constexpr int ChartSplitWidth(int pick) { return ChartSplitWidths[pick - FirstChartPick]; }

inline constexpr int ContactInformationStart = ChartRunStart(LastChartPick + 1);

inline constexpr int WelcomeStart = ContactInformationStart + ContactInformationLines;

// News & information: fixed pages, one run each.
inline constexpr int NewsStart = WelcomeStart + WelcomeLines;

constexpr int NewsPageStart(int pageIndex) {
    int start = NewsStart;
    for (int page = 0; page < pageIndex; ++page)
        start += NewsPageLines[page];
    return start;
}

inline constexpr int CreditsStart = NewsPageStart(NewsPageCount);

// The three bonus texts, paged at `BonusLinesPerPage`; lines after the last
// page are blank and never shown.
inline constexpr int Bonus3TextStart = CreditsStart + CreditsLines;
inline constexpr int Bonus5TextStart = Bonus3TextStart + Bonus3TextLines;
inline constexpr int Bonus7TextStart = Bonus5TextStart + Bonus5TextLines;

// The last two Messages pages are fixed pages of their own layout.
inline constexpr int MessagesPage19Start = Bonus7TextStart + Bonus7TextLines;
inline constexpr int MessagesPage20Start = MessagesPage19Start + MessagesPage19Lines;

inline constexpr int32_t MessagesPageCount = MessagesPagedPages + 2;

// Pages of an Introduction topic (1 for the single pages and for 0). Inline,
// so that the content tools count pages as the magazine does.
constexpr int32_t PageCountOfIntroTopic(int32_t pick) {
    switch (pick) {
    case NewsAndInformationTopic: return NewsPageCount;
    case ListOfVotersTopic: return VotersTextPageCount;
    case AdvertisementsTopic: return AdvertisementPageCount;
    case Bonus3Topic: return Bonus3TextPageCount;
    case Bonus5Topic: return Bonus5TextPageCount;
    case Bonus7Topic: return Bonus7TextPageCount;
    default: return 1;
    }
}

static_assert(MessagesPage20Start + MessagesPage20Lines == ContentLineCount,
              "the runs must fill the content table exactly");
static_assert(NewsPageCount <= MaxNewsPages && AdvertisementPageCount <= MaxAdvertisementPages,
              "every fixed page needs a place in page_layout.h");

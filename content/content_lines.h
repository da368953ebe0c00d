// The magazine's whole text: one constant, ordered table of line pointers.
//
// Every page text and every chart is one contiguous run of `ContentLines`;
// the runs follow each other in the fixed order below, so each run's start is
// the sum of the lengths before it. Lines are zero-terminated Windows-1252
// bytes (the fonts hold 256 glyphs, one per byte). A blank line points at the
// shared `EmptyLine`, so an empty pointer comparison tells blank lines apart.
//
// The table itself is generated at build time from the UTF-8 sources in
// content/text/ by tools/contentgen, which also checks every length and width
// promised here; nothing in this header depends on the text.
#pragma once

inline constexpr int ContentLineCount = 2144;

// Paged texts split their run into pages of a fixed number of lines.
inline constexpr int MessageLinesPerPage = 25;
inline constexpr int BonusLinesPerPage = 24;

extern const char EmptyLine[];
extern const char* const ContentLines[ContentLineCount];

// ---- Runs, in stored order --------------------------------------------------

inline constexpr int MessagesTextStart = 0;  // Messages pages 1..18, paged
inline constexpr int MessagesTextLines = 450;

inline constexpr int VotersTextStart = MessagesTextStart + MessagesTextLines;  // ListOfVoters, paged
inline constexpr int VotersTextLines = 220;

// Advertisements: nine fixed pages, one run each.
inline constexpr int AdvertisementPageCount = 9;
inline constexpr int AdvertisementsStart = VotersTextStart + VotersTextLines;
inline constexpr int AdvertisementPageLines[AdvertisementPageCount] = {33, 24, 36, 18, 21, 32, 22, 14, 21};

constexpr int AdvertisementPageStart(int pageIndex) {
    int start = AdvertisementsStart;
    for (int page = 0; page < pageIndex; ++page)
        start += AdvertisementPageLines[page];
    return start;
}

// Charts: one run per chart topic, pick names 15..77 in order. A chart run is
// the heading, a blank line and ten ranking rows; a cancelled chart's run is
// the heading, a blank line and a one-line notice.
inline constexpr int FirstChartPick = 15;
inline constexpr int LastChartPick = 77;
inline constexpr int ChartCount = LastChartPick - FirstChartPick + 1;
inline constexpr int ChartRunLines = 12;
inline constexpr int CancelledChartRunLines = 3;
inline constexpr int ChartRankCount = 10;
inline constexpr int ChartsStart = AdvertisementPageStart(AdvertisementPageCount);

// Chart 52 keeps the ordinary 12-line run, but holds three rows, a blank row,
// two note lines and four blank lines that are never drawn.
inline constexpr int ShortChartPick = 52;
inline constexpr int ShortChartRows = 4;  // rows drawn, the blank one included
inline constexpr int ShortChartFirstNote = 6;  // offsets in the run
inline constexpr int ShortChartSecondNote = 7;
inline constexpr int ShortChartNoteLength = 61;

// Offsets inside every chart run.
inline constexpr int ChartHeadingOffset = 0;
inline constexpr int ChartFirstRowOffset = 2;
inline constexpr int CancelledNoticeOffset = 2;

// Ranking row layout (0-based character positions).
inline constexpr int RankingRowLength = 58;
inline constexpr int RankingNameStart = 5;
inline constexpr int RankingPointsEnd = 45;  // last character of the points
inline constexpr int RankingTrendStart = 53;
inline constexpr int RankingTrendLength = 5;

constexpr bool IsCancelledChart(int pick) {
    return pick == 24 || pick == 61 || pick == 63 || pick == 69;
}

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
constexpr int ChartSplitWidth(int pick) {
    if (pick == 25)
        return 44;
    if (pick == 30 || pick == 45 || pick == 51)
        return 43;
    return 41;
}

inline constexpr int ContactInformationStart = ChartRunStart(LastChartPick + 1);
inline constexpr int ContactInformationLines = 27;

inline constexpr int WelcomeStart = ContactInformationStart + ContactInformationLines;
inline constexpr int WelcomeLines = 22;

// News & information: three fixed pages, one run each.
inline constexpr int NewsPageCount = 3;
inline constexpr int NewsStart = WelcomeStart + WelcomeLines;
inline constexpr int NewsPageLines[NewsPageCount] = {17, 22, 19};

constexpr int NewsPageStart(int pageIndex) {
    int start = NewsStart;
    for (int page = 0; page < pageIndex; ++page)
        start += NewsPageLines[page];
    return start;
}

inline constexpr int CreditsStart = NewsPageStart(NewsPageCount);
inline constexpr int CreditsLines = 29;

// The three bonus texts, paged at `BonusLinesPerPage`.
inline constexpr int Bonus3TextStart = CreditsStart + CreditsLines;
inline constexpr int Bonus3TextLines = 68;
inline constexpr int Bonus5TextStart = Bonus3TextStart + Bonus3TextLines;
inline constexpr int Bonus5TextLines = 125;  // lines after the 120th are blank, never shown
inline constexpr int Bonus7TextStart = Bonus5TextStart + Bonus5TextLines;
inline constexpr int Bonus7TextLines = 161;

// Bonus7 page 1 leaves these lines blank: the group photo is drawn over them.
inline constexpr int GroupPhotoFirstLine = 5;  // 0-based: lines 6..24 of the page
inline constexpr int GroupPhotoLastLine = 23;

// Messages pages 19 and 20 are fixed pages of their own layout.
inline constexpr int MessagesPage19Start = Bonus7TextStart + Bonus7TextLines;
inline constexpr int MessagesPage19Lines = 28;
inline constexpr int MessagesPage20Start = MessagesPage19Start + MessagesPage19Lines;
inline constexpr int MessagesPage20Lines = 15;

static_assert(MessagesPage20Start + MessagesPage20Lines == ContentLineCount,
              "the runs must fill the content table exactly");
static_assert(MessagesTextLines == 18 * MessageLinesPerPage);

// Where each page's text lies: the one table the magazine draws from and the
// content generator checks against, so a source line that fits in the proof
// fits on screen. Only places live here; how many pages and lines an issue
// has comes from its text (content/content_lines.h).
//
// Positions use the fixed 1024 x 768 layout with y measured up from the bottom
// edge. A Courier character is 8 pixels wide.
#pragma once

// A page of text: its title at (titleX, TitleY), its lines from firstY down
// by step, at most maxWidth characters each (the Introduction's pages end
// before its panel at x 780; Messages and Credits have the whole screen).
// Where a text has several pages, the title is followed by " - n/count".
struct TextPlace {
    const char* title;
    float titleX, bodyX, firstY, step;
    int maxWidth;
};

// Paged texts split their run into pages of a fixed number of lines.
inline constexpr int MessageLinesPerPage = 25;
inline constexpr int BonusLinesPerPage = 24;

inline constexpr TextPlace MessagesPagedLayout = {"Messages", 470, 160, 530, 12, 100};
inline constexpr TextPlace MessagesPage19Layout = {"Messages", 470, 200, 540, 12, 100};
inline constexpr TextPlace MessagesPage20Layout = {"Messages", 470, 200, 470, 12, 100};
inline constexpr TextPlace CreditsLayout = {"Credits", 500, 250, 540, 12, 93};
inline constexpr TextPlace WelcomeLayout = {"Welcome", 485, 110, 490, 12, 83};
inline constexpr TextPlace ContactLayout = {"Contact information", 460, 360, 530, 12, 51};
inline constexpr TextPlace VotersLayout = {"List of voters", 455, 150, 510, 12, 78};
inline constexpr TextPlace Bonus3Layout = {"Bonus", 470, 200, 500, 12, 71};
inline constexpr TextPlace Bonus5Layout = {"Bonus", 470, 140, 500, 12, 79};
inline constexpr TextPlace Bonus7Layout = {"Bonus", 470, 140, 530, 12, 79};

// News & information and the advertisements: a place of its own for every
// page, so an issue holds at most this many of them.
inline constexpr int MaxNewsPages = 3;
inline constexpr TextPlace NewsLayouts[MaxNewsPages] = {
    {"News & information", 450, 105, 490, 12, 83},
    {"News & information", 450, 105, 490, 12, 83},
    {"News & information", 450, 105, 490, 12, 83},
};
inline constexpr int MaxAdvertisementPages = 9;
inline constexpr TextPlace AdvertisementLayouts[MaxAdvertisementPages] = {
    {"Advertisements", 455, 200, 580, 12, 71}, {"Advertisements", 455, 200, 510, 12, 71},
    {"Advertisements", 455, 200, 580, 11, 71}, {"Advertisements", 455, 200, 510, 12, 71},
    {"Advertisements", 455, 360, 510, 12, 51}, {"Advertisements", 455, 200, 560, 11, 71},
    {"Advertisements", 455, 200, 500, 11, 71}, {"Advertisements", 455, 320, 450, 11, 56},
    {"Advertisements", 455, 180, 500, 11, 74},
};

// Body lines stay above the title and the bottom banner.
inline constexpr float LowestLineY = 190;
constexpr int LinesThatFit(const TextPlace& layout) { return int((layout.firstY - LowestLineY) / layout.step) + 1; }

// Every page title, in Tahoma at the bottom.
inline constexpr float TitleY = 78;

// Charts: the heading, then one rank every 15 pixels below it, split in two
// columns. The short chart's two notes sit between heading and rows.
inline constexpr float ChartX = 340, SecondColumnX = 740, HeadingY = 470, FirstRowY = 440, RowStep = 15;
inline constexpr float ShortChartNoteY[2] = {380, 365};
inline constexpr int SecondColumnWidth = 20;  // characters of a row shown in the second column
inline constexpr float DefaultChartTitleX = 400;
inline constexpr int DefaultChartSplitWidth = 41;

// A chart heading is centred over the ranking by its length in characters;
// a heading longer than this would start left of the ranking.
constexpr float CentredHeadingX(unsigned long length) { return ((24.0f - float(length) * 0.5f) * 12.0f) * 0.5f + ChartX; }
inline constexpr int LongestChartHeading = 48;

// ---- Chart runs ----------------------------------------------------------------
// A chart run is the heading, a blank line and ten ranking rows; a cancelled
// chart's run is the heading, a blank line and a one-line notice.
// A chart shows ten ranks, a notice instead (cancelled), or three ranks and
// two notes (short).
enum ChartKind { RankingChart, CancelledChart, ShortChart };

inline constexpr int ChartRunLines = 12;
inline constexpr int CancelledChartRunLines = 3;
inline constexpr int ChartRankCount = 10;

// A short chart keeps the ordinary 12-line run, but holds three rows, a blank
// row, two note lines and four blank lines that are never drawn.
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

// ---- The group photo ------------------------------------------------------------
// Bonus7 page 1 leaves these lines blank: the group photo is drawn over them.
inline constexpr int GroupPhotoFirstLine = 5;  // 0-based: lines 6..24 of the page
inline constexpr int GroupPhotoLastLine = 23;

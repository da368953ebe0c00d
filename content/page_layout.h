// Where each page's text lies: the one table the magazine draws from and the
// content generator checks against, so a source line that fits in the proof
// fits on screen.
//
// Positions use the fixed 1024 x 768 layout with y measured up from the bottom
// edge. A Courier character is 8 pixels wide.
#pragma once
#include "content/content_lines.h"

// A page of text: a fixed page shows its whole run; a paged text (linesPerPage
// above 0) shows one slice of its run per page, its title formatted with n.
struct TextPage {
    const char* title;  // a "%02d" format for paged texts
    float titleX, bodyX, firstY, step;
    int runStart, runLines;
    int linesPerPage;
};

inline constexpr TextPage MessagesPaged = {"Messages - %02d/20", 470, 160, 530, 12, MessagesTextStart, MessagesTextLines, MessageLinesPerPage};
inline constexpr TextPage MessagesPage19 = {"Messages - 19/20", 470, 200, 540, 12, MessagesPage19Start, MessagesPage19Lines, 0};
inline constexpr TextPage MessagesPage20 = {"Messages - 20/20", 470, 200, 470, 12, MessagesPage20Start, MessagesPage20Lines, 0};
inline constexpr TextPage CreditsPage = {"Credits", 500, 250, 540, 12, CreditsStart, CreditsLines, 0};
inline constexpr TextPage WelcomePage = {"Welcome", 485, 110, 490, 12, WelcomeStart, WelcomeLines, 0};
inline constexpr TextPage ContactPage = {"Contact information", 460, 360, 530, 12, ContactInformationStart, ContactInformationLines, 0};
inline constexpr TextPage VotersPaged = {"List of voters - %02d/09", 455, 150, 510, 12, VotersTextStart, VotersTextLines, MessageLinesPerPage};
inline constexpr TextPage Bonus3Paged = {"Bonus - %02d/03", 470, 200, 500, 12, Bonus3TextStart, Bonus3TextLines, BonusLinesPerPage};
inline constexpr TextPage Bonus5Paged = {"Bonus - %02d/05", 470, 140, 500, 12, Bonus5TextStart, Bonus5TextLines, BonusLinesPerPage};
inline constexpr TextPage Bonus7Paged = {"Bonus - %02d/07", 470, 140, 530, 12, Bonus7TextStart, Bonus7TextLines, BonusLinesPerPage};

inline constexpr TextPage NewsPages[NewsPageCount] = {
    {"News & information - 01/03", 450, 105, 490, 12, NewsPageStart(0), NewsPageLines[0], 0},
    {"News & information - 02/03", 450, 105, 490, 12, NewsPageStart(1), NewsPageLines[1], 0},
    {"News & information - 03/03", 450, 105, 490, 12, NewsPageStart(2), NewsPageLines[2], 0},
};

inline constexpr TextPage AdvertisementPages[AdvertisementPageCount] = {
    {"Advertisements - 01/09", 455, 200, 580, 12, AdvertisementPageStart(0), AdvertisementPageLines[0], 0},
    {"Advertisements - 02/09", 455, 200, 510, 12, AdvertisementPageStart(1), AdvertisementPageLines[1], 0},
    {"Advertisements - 03/09", 455, 200, 580, 11, AdvertisementPageStart(2), AdvertisementPageLines[2], 0},
    {"Advertisements - 04/09", 455, 200, 510, 12, AdvertisementPageStart(3), AdvertisementPageLines[3], 0},
    {"Advertisements - 05/09", 455, 360, 510, 12, AdvertisementPageStart(4), AdvertisementPageLines[4], 0},
    {"Advertisements - 06/09", 455, 200, 560, 11, AdvertisementPageStart(5), AdvertisementPageLines[5], 0},
    {"Advertisements - 07/09", 455, 200, 500, 11, AdvertisementPageStart(6), AdvertisementPageLines[6], 0},
    {"Advertisements - 08/09", 455, 320, 450, 11, AdvertisementPageStart(7), AdvertisementPageLines[7], 0},
    {"Advertisements - 09/09", 455, 180, 500, 11, AdvertisementPageStart(8), AdvertisementPageLines[8], 0},
};

// Every page title, in Tahoma at the bottom.
inline constexpr float TitleY = 78;

// Charts: the heading, then one rank every 15 pixels below it, split in two
// columns. The short chart's two notes sit between heading and rows.
inline constexpr float ChartX = 340, SecondColumnX = 740, HeadingY = 470, FirstRowY = 440, RowStep = 15;
inline constexpr float ShortChartNoteY[2] = {380, 365};
inline constexpr int SecondColumnWidth = 20;  // characters of a row shown in the second column

// A chart heading is centred over the ranking by its length in characters.
constexpr float CentredHeadingX(unsigned long length) { return ((24.0f - float(length) * 0.5f) * 12.0f) * 0.5f + ChartX; }

#include "tools/contentgen/content_runs.h"

#include <cstdio>

#include "content/content_lines.h"

namespace {

// Widths: the Introduction's panel covers x >= 780, so its pages end before
// it; Messages and Credits have the whole 1024 pixels. A Courier character
// is 8 pixels wide.
constexpr RunLayout TextRuns[] = {
    {"Messages", RunKind::PagedText, MessagesTextStart, MessagesTextLines, MessageLinesPerPage, 100,
     "Messages - %02d/20", 470, 160, 530, 12, 0},
    {"Voters", RunKind::PagedText, VotersTextStart, VotersTextLines, MessageLinesPerPage, 78,
     "List of voters - %02d/09", 455, 150, 510, 12, 0},
    {"Advertisement1", RunKind::FixedPage, AdvertisementPageStart(0), AdvertisementPageLines[0], 0, 71,
     "Advertisements - 01/09", 455, 200, 580, 12, 0},
    {"Advertisement2", RunKind::FixedPage, AdvertisementPageStart(1), AdvertisementPageLines[1], 0, 71,
     "Advertisements - 02/09", 455, 200, 510, 12, 0},
    {"Advertisement3", RunKind::FixedPage, AdvertisementPageStart(2), AdvertisementPageLines[2], 0, 71,
     "Advertisements - 03/09", 455, 200, 580, 11, 0},
    {"Advertisement4", RunKind::FixedPage, AdvertisementPageStart(3), AdvertisementPageLines[3], 0, 71,
     "Advertisements - 04/09", 455, 200, 510, 12, 0},
    {"Advertisement5", RunKind::FixedPage, AdvertisementPageStart(4), AdvertisementPageLines[4], 0, 51,
     "Advertisements - 05/09", 455, 360, 510, 12, 0},
    {"Advertisement6", RunKind::FixedPage, AdvertisementPageStart(5), AdvertisementPageLines[5], 0, 71,
     "Advertisements - 06/09", 455, 200, 560, 11, 0},
    {"Advertisement7", RunKind::FixedPage, AdvertisementPageStart(6), AdvertisementPageLines[6], 0, 71,
     "Advertisements - 07/09", 455, 200, 500, 11, 0},
    {"Advertisement8", RunKind::FixedPage, AdvertisementPageStart(7), AdvertisementPageLines[7], 0, 56,
     "Advertisements - 08/09", 455, 320, 450, 11, 0},
    {"Advertisement9", RunKind::FixedPage, AdvertisementPageStart(8), AdvertisementPageLines[8], 0, 74,
     "Advertisements - 09/09", 455, 180, 500, 11, 0},
    {"ContactInformation", RunKind::FixedPage, ContactInformationStart, ContactInformationLines, 0, 51,
     "Contact information", 460, 360, 530, 12, 0},
    {"Welcome", RunKind::FixedPage, WelcomeStart, WelcomeLines, 0, 83, "Welcome", 485, 110, 490, 12, 0},
    {"News1", RunKind::FixedPage, NewsPageStart(0), NewsPageLines[0], 0, 83,
     "News & information - 01/03", 450, 105, 490, 12, 0},
    {"News2", RunKind::FixedPage, NewsPageStart(1), NewsPageLines[1], 0, 83,
     "News & information - 02/03", 450, 105, 490, 12, 0},
    {"News3", RunKind::FixedPage, NewsPageStart(2), NewsPageLines[2], 0, 83,
     "News & information - 03/03", 450, 105, 490, 12, 0},
    {"Credits", RunKind::FixedPage, CreditsStart, CreditsLines, 0, 93, "Credits", 500, 250, 540, 12, 0},
    {"Bonus3", RunKind::PagedText, Bonus3TextStart, Bonus3TextLines, BonusLinesPerPage, 71,
     "Bonus - %02d/03", 470, 200, 500, 12, 0},
    {"Bonus5", RunKind::PagedText, Bonus5TextStart, Bonus5TextLines, BonusLinesPerPage, 79,
     "Bonus - %02d/05", 470, 140, 500, 12, 0},
    {"Bonus7", RunKind::PagedText, Bonus7TextStart, Bonus7TextLines, BonusLinesPerPage, 79,
     "Bonus - %02d/07", 470, 140, 530, 12, 0},
    {"MessagesPage19", RunKind::FixedPage, MessagesPage19Start, MessagesPage19Lines, 0, 100,
     "Messages - 19/20", 470, 200, 540, 12, 0},
    {"MessagesPage20", RunKind::FixedPage, MessagesPage20Start, MessagesPage20Lines, 0, 100,
     "Messages - 20/20", 470, 200, 470, 12, 0},
};
constexpr int TextRunsBeforeCharts = 11;  // Messages, Voters, nine advertisements
constexpr int TextRunCount = sizeof TextRuns / sizeof TextRuns[0];
constexpr int AllRunCount = TextRunCount + ChartCount;

constexpr ChartHeading ChartHeadings[ChartCount] = {
    {"Best Amiga Groups", 38}, {"Best Amiga \"oldschool\" Groups", 45}, {"Best Amiga Coders", 39},
    {"Best Amiga Graphicians", 41}, {"Best Amiga Musicians", 41}, {"Best Amiga Ascii-Artists", 42},
    {"Best Amiga Ascii-Groups", 42}, {"Best Amiga Demos", 38}, {"Best Amiga Intros 64k", 41},
    {"Best Amiga Intros 40k", 40}, {"Best Amiga Intros 4k", 40}, {"Best Amiga Musicdisks", 41},
    {"Best Amiga Diskmags", 39}, {"Best Amiga Slideshows", 41}, {"Best PC / Amiga Group-Homepages", 44},
    {"Best PC / Amiga Demoscene-Homepages", 47},
    {"Best PC Groups", 36}, {"Best PC \"oldschool\" Groups", 43}, {"Best PC Coders", 37},
    {"Best PC Graphicians", 39}, {"Best PC Musicians", 38}, {"Best PC Ascii-Artists", 40},
    {"Best PC Ascii/Ansi Groups", 42}, {"Best PC Demos", 36}, {"Best PC Intros 64k", 38},
    {"Best PC Intros 4k", 38}, {"Best PC Wilddemos", 38}, {"Best PC Musicdisks", 38},
    {"Best PC Diskmags", 37}, {"Best PC / Amiga Group-Homepages", 44}, {"Best PC / Amiga Demoscene-Homepages", 47},
    {"Best C-64 Groups", 38}, {"Best C-64 \"oldschool\" Groups", 44}, {"Best C-64 Coders", 38},
    {"Best C-64 Graphicians", 40}, {"Best C-64 Musicians", 40}, {"Best C-64 Demos", 37},
    {"Best C-64 Intros", 38}, {"Best C-64 Diskmags", 38}, {"Best C-64 Homepages", 40},
    {"Best DvdRip (S)VCD Groups (german)", 47}, {"Best DvdRip (S)VCD Groups (english)", 48},
    {"Best DvdRip (S)VCD Groups (swedish)", 48}, {"Best Screener Groups (german)", 45},
    {"Best Screener Groups (english)", 45}, {"Best Screener Groups (swedish)", 45},
    {"Best TV Groups (german)", 42}, {"Best TV Groups (english)", 42}, {"Best TV Groups (swedish)", 42},
    {"Best Rip-Apps Groups", 40}, {"Best Rip-Game Groups", 40}, {"Best Iso-Apps Groups", 40},
    {"Best Iso-Game Groups", 41}, {"Best Trainer/Patch Groups", 42}, {"Best XXX Groups", 36},
    {"Best GBA Groups", 38}, {"Best PS2 Groups", 37}, {"Best XBox Groups", 38}, {"Best MP3 Groups", 38},
    {"Most Drunken Sceners", 40}, {"Most Hated Groups", 38}, {"Most Hated Sceners", 39},
    {"Best Scene Partys", 38},
};

char ChartNames[ChartCount][12];

RunLayout ChartSpec(int pick) {
    std::snprintf(ChartNames[pick - FirstChartPick], sizeof ChartNames[0], "Chart%d", pick);
    return {ChartNames[pick - FirstChartPick], RunKind::Chart, ChartRunStart(pick), ChartRunLength(pick), 0,
            RankingRowLength, nullptr, 0, 340, 470, 15, pick};
}

// The runs in stored order: text runs before the charts, the charts, the rest.
struct RunTable {
    RunLayout runs[AllRunCount];
    RunTable() {
        int next = 0;
        for (int i = 0; i < TextRunsBeforeCharts; ++i) runs[next++] = TextRuns[i];
        for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) runs[next++] = ChartSpec(pick);
        for (int i = TextRunsBeforeCharts; i < TextRunCount; ++i) runs[next++] = TextRuns[i];
    }
};

const RunTable& Runs() {
    static const RunTable table;
    return table;
}

}  // namespace

int RunCount() { return AllRunCount; }

const RunLayout& RunAt(int index) { return Runs().runs[index]; }

const RunLayout* FindRun(std::string_view name) {
    for (const RunLayout& run : Runs().runs)
        if (name == run.name) return &run;
    return nullptr;
}

const RunLayout& ChartRun(int pick) { return Runs().runs[TextRunsBeforeCharts + pick - FirstChartPick]; }

const ChartHeading& ChartHeadingFor(int pick) { return ChartHeadings[pick - FirstChartPick]; }

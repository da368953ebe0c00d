#include "tools/contentgen/content_runs.h"

#include <cstdio>

#include "content/content_lines.h"
#include "content/page_layout.h"

namespace {

// A text run takes its place from the page the magazine draws. Widths: the
// Introduction's panel covers x >= 780, so its pages end before it; Messages
// and Credits have the whole 1024 pixels.
constexpr RunLayout TextRun(const char* name, const TextPage& page, int maxWidth) {
    return {name, page.linesPerPage > 0 ? RunKind::PagedText : RunKind::FixedPage, page.runStart, page.runLines,
            page.linesPerPage, maxWidth, page.title, int(page.titleX), int(page.bodyX), int(page.firstY),
            int(page.step), 0};
}

constexpr RunLayout TextRuns[] = {
    TextRun("Messages", MessagesPaged, 100),
    TextRun("Voters", VotersPaged, 78),
    TextRun("Advertisement1", AdvertisementPages[0], 71),
    TextRun("Advertisement2", AdvertisementPages[1], 71),
    TextRun("Advertisement3", AdvertisementPages[2], 71),
    TextRun("Advertisement4", AdvertisementPages[3], 71),
    TextRun("Advertisement5", AdvertisementPages[4], 51),
    TextRun("Advertisement6", AdvertisementPages[5], 71),
    TextRun("Advertisement7", AdvertisementPages[6], 71),
    TextRun("Advertisement8", AdvertisementPages[7], 56),
    TextRun("Advertisement9", AdvertisementPages[8], 74),
    TextRun("ContactInformation", ContactPage, 51),
    TextRun("Welcome", WelcomePage, 83),
    TextRun("News1", NewsPages[0], 83),
    TextRun("News2", NewsPages[1], 83),
    TextRun("News3", NewsPages[2], 83),
    TextRun("Credits", CreditsPage, 93),
    TextRun("Bonus3", Bonus3Paged, 71),
    TextRun("Bonus5", Bonus5Paged, 79),
    TextRun("Bonus7", Bonus7Paged, 79),
    TextRun("MessagesPage19", MessagesPage19, 100),
    TextRun("MessagesPage20", MessagesPage20, 100),
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

RunLayout ChartRunLayout(int pick) {
    std::snprintf(ChartNames[pick - FirstChartPick], sizeof ChartNames[0], "Chart%d", pick);
    return {ChartNames[pick - FirstChartPick], RunKind::Chart, ChartRunStart(pick), ChartRunLength(pick), 0,
            RankingRowLength, nullptr, 0, int(ChartX), int(HeadingY), int(RowStep), pick};
}

// The runs in stored order: text runs before the charts, the charts, the rest.
struct RunTable {
    RunLayout runs[AllRunCount];
    RunTable() {
        int next = 0;
        for (int i = 0; i < TextRunsBeforeCharts; ++i) runs[next++] = TextRuns[i];
        for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) runs[next++] = ChartRunLayout(pick);
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

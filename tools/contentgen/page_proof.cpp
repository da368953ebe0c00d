#include "tools/contentgen/page_proof.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "content/content.h"
#include "content/content_lines.h"
#include "content/page_layout.h"
#include "tools/contentgen/content_runs.h"
#include "tools/contentgen/cp1252.h"

namespace {

constexpr int CourierWidth = 8;

struct PlacedText {
    int y;
    int column;  // in Courier characters from the page's left x
    std::string bytes;
};

// The run holding a page, and which lines of it the page shows.
struct PageRun {
    const RunLayout* run = nullptr;
    int first = 0;
    int count = 0;
    int page = 1;
};

bool IsTopicOf(int section, int topic) {
    return section >= Introduction && section <= FunCharts && topic >= TopicRanges[section].first &&
           topic <= TopicRanges[section].last;
}

const RunLayout* NumberedRun(const char* stem, int page) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%d", stem, page);
    return FindRun(name);
}

// Introduction topics in pick order: the run, or the stem of numbered
// fixed-page runs.
struct IntroTopicRuns {
    const char* run;
    const char* numberedStem;
};
constexpr IntroTopicRuns IntroTopics[] = {
    {"Welcome", nullptr}, {nullptr, "News"},   {"Voters", nullptr}, {nullptr, "Advertisement"},
    {"ContactInformation", nullptr}, {"Bonus3", nullptr}, {"Bonus5", nullptr}, {"Bonus7", nullptr},
};

bool FindPageRun(int section, int topic, int page, PageRun& found) {
    found.page = page;
    if (section == Messages) {
        if (page >= 19) found.run = FindRun(page == 19 ? "MessagesPage19" : "MessagesPage20");
        else found.run = FindRun("Messages");
    } else if (section == Credits) {
        found.run = FindRun("Credits");
    } else if (section == Introduction && IsTopicOf(section, topic)) {
        const IntroTopicRuns& intro = IntroTopics[topic - WelcomeTopic];
        found.run = intro.run ? FindRun(intro.run) : NumberedRun(intro.numberedStem, page);
    } else if (IsTopicOf(section, topic)) {
        found.run = &ChartRun(topic);
    }
    if (!found.run || page < 1 || page > PageCountOf(section, topic)) return false;
    if (found.run->kind == RunKind::PagedText) {
        found.first = std::min(found.run->linesPerPage * (page - 1), found.run->lines);
        found.count = std::min(found.run->linesPerPage * page, found.run->lines) - found.first;
    } else {
        found.count = found.run->lines;
    }
    return true;
}

std::string TitleOf(const PageRun& page, const ContentText& text) {
    if (page.run->kind == RunKind::Chart) return text.lines[page.run->start].bytes;
    char title[64];
    std::snprintf(title, sizeof title, page.run->title, page.page);
    return title;
}

int CourierColumns(double pixels) { return static_cast<int>(pixels / CourierWidth + 0.5); }

void PlaceChart(const ContentText& text, const RunLayout& run, std::vector<PlacedText>& placed) {
    const std::string& heading = text.lines[run.start].bytes;
    if (IsCancelledChart(run.chartPick)) {
        placed.push_back({int(HeadingY), 0, heading});
        placed.push_back({int(FirstRowY), 0, text.lines[run.start + CancelledNoticeOffset].bytes});
        return;
    }
    placed.push_back({int(HeadingY), CourierColumns(CentredHeadingX(heading.size()) - ChartX), heading});
    bool shortChart = run.chartPick == ShortChartPick;
    if (shortChart) {
        placed.push_back({int(ShortChartNoteY[0]), 0, text.lines[run.start + ShortChartFirstNote].bytes});
        placed.push_back({int(ShortChartNoteY[1]), 0, text.lines[run.start + ShortChartSecondNote].bytes});
    }
    int split = ChartSplitWidth(run.chartPick);
    for (int k = 0; k < (shortChart ? ShortChartRows : ChartRankCount); ++k) {
        const std::string& row = text.lines[run.start + ChartFirstRowOffset + k].bytes;
        int y = int(FirstRowY - RowStep * float(k));
        placed.push_back({y, 0, row.substr(0, std::min<size_t>(split, row.size()))});
        if (row.size() > static_cast<size_t>(split))
            placed.push_back({y, int(SecondColumnX - ChartX) / CourierWidth, row.substr(split, SecondColumnWidth)});
    }
}

// Lines of equal y merge into one printed line, items overlaying left to right.
void PrintPlaced(std::vector<PlacedText>& placed, std::string& out) {
    std::stable_sort(placed.begin(), placed.end(), [](const PlacedText& a, const PlacedText& b) { return a.y > b.y; });
    for (size_t i = 0; i < placed.size();) {
        std::string line;
        int y = placed[i].y;
        for (; i < placed.size() && placed[i].y == y; ++i) {
            size_t end = placed[i].column + placed[i].bytes.size();
            if (line.size() < end) line.resize(end, ' ');
            line.replace(placed[i].column, placed[i].bytes.size(), placed[i].bytes);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        char label[16];
        std::snprintf(label, sizeof label, "%4d | ", y);
        out += label + ConvertWindows1252ToUtf8(line) + "\n";
    }
}

}  // namespace

int PageCountOf(int section, int topic) {
    if (section == Messages) return MessagesPageCount;
    if (section == Credits) return 1;
    if (!IsTopicOf(section, topic)) return 0;
    return section == Introduction ? PageCountOfIntroTopic(topic) : 1;
}

bool ProofPage(const ContentText& text, int section, int topic, int page, std::string& out, std::string& problem) {
    PageRun found;
    if (!FindPageRun(section, topic, page, found)) {
        problem = "no such page: section " + std::to_string(section) + ", topic " + std::to_string(topic) +
                  ", page " + std::to_string(page);
        return false;
    }
    const RunLayout& run = *found.run;
    int leftX = run.kind == RunKind::Chart ? int(ChartX) : run.bodyX;
    std::string titleAt = run.kind == RunKind::Chart ? ", " : " at x " + std::to_string(run.titleX) + ", ";
    out += "Title \"" + ConvertWindows1252ToUtf8(TitleOf(found, text)) + "\" (Tahoma" + titleAt + "y " +
           std::to_string(int(TitleY)) + ")\n";
    out += "Courier from x " + std::to_string(leftX) + ", 8 pixels a character; y counts up from the bottom\n";
    std::vector<PlacedText> placed;
    if (run.kind == RunKind::Chart) {
        PlaceChart(text, run, placed);
    } else {
        for (int i = 0; i < found.count; ++i)
            placed.push_back({run.firstY - run.step * i, 0, text.lines[run.start + found.first + i].bytes});
    }
    PrintPlaced(placed, out);
    return true;
}

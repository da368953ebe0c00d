#include "tools/contentgen/page_proof.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "content/content.h"
#include "content/page_layout.h"
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

const RunLayout* NumberedRun(const ContentText& text, const char* stem, int page) {
    return FindRun(text, stem + std::to_string(page));
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

bool FindPageRun(const ContentText& text, int section, int topic, int page, PageRun& found) {
    found.page = page;
    const int messagesPaged = FindRun(text, "Messages")->pages;
    if (section == Messages) {
        if (page > messagesPaged) found.run = FindRun(text, page == messagesPaged + 1 ? "MessagesPage19" : "MessagesPage20");
        else found.run = FindRun(text, "Messages");
    } else if (section == Credits) {
        found.run = FindRun(text, "Credits");
    } else if (section == Introduction && IsTopicOf(section, topic)) {
        const IntroTopicRuns& intro = IntroTopics[topic - WelcomeTopic];
        found.run = intro.run ? FindRun(text, intro.run) : NumberedRun(text, intro.numberedStem, page);
    } else if (IsTopicOf(section, topic)) {
        found.run = &ChartRun(text, topic);
    }
    if (!found.run || page < 1 || page > PageCountOf(text, section, topic)) return false;
    if (found.run->shape.kind == RunKind::PagedText) {
        const int perPage = found.run->shape.linesPerPage;
        found.first = std::min(perPage * (page - 1), found.run->lines);
        found.count = std::min(perPage * page, found.run->lines) - found.first;
    } else {
        found.count = found.run->lines;
    }
    return true;
}

std::string TitleOf(const PageRun& page, const ContentText& text) {
    if (page.run->shape.kind == RunKind::Chart) return text.lines[page.run->start].bytes;
    char title[64];
    std::snprintf(title, sizeof title, page.run->title.c_str(), page.page);
    return title;
}

int CourierColumns(double pixels) { return static_cast<int>(pixels / CourierWidth + 0.5); }

void PlaceChart(const ContentText& text, const RunLayout& run, std::vector<PlacedText>& placed) {
    const std::string& heading = text.lines[run.start].bytes;
    const ChartKind kind = ChartKindOf(text, run.shape.chartPick);
    if (kind == CancelledChart) {
        placed.push_back({int(HeadingY), 0, heading});
        placed.push_back({int(FirstRowY), 0, text.lines[run.start + CancelledNoticeOffset].bytes});
        return;
    }
    placed.push_back({int(HeadingY), CourierColumns(CentredHeadingX(heading.size()) - ChartX), heading});
    bool shortChart = kind == ShortChart;
    if (shortChart) {
        placed.push_back({int(ShortChartNoteY[0]), 0, text.lines[run.start + ShortChartFirstNote].bytes});
        placed.push_back({int(ShortChartNoteY[1]), 0, text.lines[run.start + ShortChartSecondNote].bytes});
    }
    int split = text.charts[run.shape.chartPick - FirstChartPick].splitWidth;
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

int PageCountOf(const ContentText& text, int section, int topic) {
    if (section == Messages) return FindRun(text, "Messages")->pages + 2;
    if (section == Credits) return 1;
    if (!IsTopicOf(section, topic)) return 0;
    if (section != Introduction) return 1;
    const IntroTopicRuns& intro = IntroTopics[topic - WelcomeTopic];
    return intro.run ? FindRun(text, intro.run)->pages : NumberedRunCount(text, intro.numberedStem);
}

bool ProofPage(const ContentText& text, int section, int topic, int page, std::string& out, std::string& problem) {
    PageRun found;
    if (!FindPageRun(text, section, topic, page, found)) {
        problem = "no such page: section " + std::to_string(section) + ", topic " + std::to_string(topic) +
                  ", page " + std::to_string(page);
        return false;
    }
    const RunLayout& run = *found.run;
    const bool chart = run.shape.kind == RunKind::Chart;
    int leftX = int(chart ? ChartX : run.shape.layout.bodyX);
    std::string titleAt = chart ? ", " : " at x " + std::to_string(int(run.shape.layout.titleX)) + ", ";
    out += "Title \"" + ConvertWindows1252ToUtf8(TitleOf(found, text)) + "\" (Tahoma" + titleAt + "y " +
           std::to_string(int(TitleY)) + ")\n";
    out += "Courier from x " + std::to_string(leftX) + ", 8 pixels a character; y counts up from the bottom\n";
    std::vector<PlacedText> placed;
    if (chart) {
        PlaceChart(text, run, placed);
    } else {
        for (int i = 0; i < found.count; ++i)
            placed.push_back({int(run.shape.layout.firstY - run.shape.layout.step * float(i)), 0,
                              text.lines[run.start + found.first + i].bytes});
    }
    PrintPlaced(placed, out);
    return true;
}

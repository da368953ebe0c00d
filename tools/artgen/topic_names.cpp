#include "topic_names.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "content/content.h"

namespace {

constexpr int TopicCount = LastTopicButton - FirstTopicButton + 1;
constexpr int FirstGridPick = TopicRanges[WarezCharts].first;
constexpr int LastGridPick = FirstGridPick + WarezGridTopics - 1;

std::string Names[TopicCount];
std::string GridRows[3];

const char* const IntroNames[8] = {"Welcome",        "News & information",  "List of voters",
                                   "Advertisements", "Contact information", "Bonus one",
                                   "Bonus two",      "Bonus three"};

const char* const ChartFiles[] = {"charts-amiga.txt", "charts-pc.txt", "charts-c64.txt", "charts-warez.txt",
                                  "charts-fun.txt"};

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// "Best Amiga Coders" on the Amiga panel reads "Coders"; "Best PC / Amiga
// ..." keeps both platforms, and the fun charts keep their whole heading.
std::string PanelName(int pick, const std::string& heading) {
    if (pick >= 74) return heading;
    std::string name = StartsWith(heading, "Best ") ? heading.substr(5) : heading;
    for (const char* platform : {"Amiga ", "PC ", "C-64 "})
        if (StartsWith(name, platform) && name.compare(std::char_traits<char>::length(platform), 1, "/") != 0)
            return name.substr(std::char_traits<char>::length(platform));
    return name;
}

// "DvdRip (S)VCD Groups (german)": row "DvdRip (S)VCD Groups", cell "german".
// A row is named after its first cell's heading.
void SplitGridName(int pick, const std::string& name) {
    const size_t open = name.rfind(" (");
    const bool split = open != std::string::npos && name.back() == ')';
    Names[pick - FirstTopicButton] = split ? name.substr(open + 2, name.size() - open - 3) : name;
    if ((pick - FirstGridPick) % 3 == 0) GridRows[(pick - FirstGridPick) / 3] = split ? name.substr(0, open) : name;
}

bool ReadChartHeadings(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "artgen: cannot read %s\n", path.c_str());
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!StartsWith(line, "@@ run Chart")) continue;
        const int pick = std::atoi(line.c_str() + 12);
        // The heading is the run's first line of text; the run's own
        // directives (its chart kind, title place) come before it.
        std::string heading;
        while (std::getline(in, heading) && StartsWith(heading, "@@")) {}
        if (pick < FirstTopicButton || pick >= FirstIntroTopicButton || !in) continue;
        const std::string name = PanelName(pick, Trimmed(heading));
        if (pick >= FirstGridPick && pick <= LastGridPick) SplitGridName(pick, name);
        else Names[pick - FirstTopicButton] = name;
    }
    return true;
}

}  // namespace

bool LoadTopicNames(const char* textDirectory) {
    // A second load starts afresh, so a heading missing from it is never
    // filled in by the one before.
    for (std::string& name : Names) name.clear();
    for (std::string& row : GridRows) row.clear();
    for (int i = 0; i < 8; ++i) Names[FirstIntroTopicButton - FirstTopicButton + i] = IntroNames[i];
    for (const char* file : ChartFiles)
        if (!ReadChartHeadings(std::string(textDirectory) + "/" + file)) return false;
    for (int pick = FirstTopicButton; pick < FirstIntroTopicButton; ++pick)
        if (Names[pick - FirstTopicButton].empty()) {
            std::fprintf(stderr, "artgen: no heading for chart %d in %s\n", pick, textDirectory);
            return false;
        }
    return true;
}

const std::string& TopicName(int pick) { return Names[pick - FirstTopicButton]; }

const std::string& GridRowName(int pick) { return GridRows[(pick - FirstGridPick) / 3]; }

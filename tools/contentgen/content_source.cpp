#include "tools/contentgen/content_source.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "content/content.h"
#include "content/page_layout.h"
#include "tools/contentgen/cast_checks.h"
#include "tools/contentgen/content_runs.h"
#include "tools/contentgen/cp1252.h"

namespace {

constexpr std::string_view DirectivePrefix = "@@";
constexpr const char* Trends[] = {"(new)", "( + )", "( - )", "( 0 )"};

std::string Where(const std::string& file, int lineNumber) {
    return file + ":" + std::to_string(lineNumber);
}

void AddFault(ContentText& text, const std::string& where, const std::string& message) {
    text.faults.push_back(where + ": " + message);
}

void AddLineFault(ContentText& text, int index, const std::string& message) {
    const TextLine& line = text.lines[index];
    AddFault(text, Where(line.file, line.lineNumber), message);
}

// The run being filled while a file is read (an index into text.given); from
// "@@ cast" on, the rest of the file is cast lines instead.
struct OpenRun {
    int given = -1;
    bool inCast = false;
};

void OpenNamedRun(ContentText& text, OpenRun& run, std::string_view name, const std::string& where) {
    run = OpenRun{};
    RunShape shape;
    if (!FindRunShape(name, shape)) {
        AddFault(text, where, "no run is called \"" + std::string(name) + "\"");
        return;
    }
    for (const GivenRun& earlier : text.given)
        if (earlier.shape.name == name) {
            AddFault(text, where, "run " + std::string(name) + " was already given at " + earlier.where);
            return;
        }
    text.given.push_back({shape, where, {}, 0});
    run.given = int(text.given.size()) - 1;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "PLATFORM KIND [title X] [split N]".
bool ReadChartClaim(std::string_view words, const std::string& where, ChartClaim& claim) {
    std::istringstream in{std::string(words)};
    ChartClaim read{{}, {}, where};
    if (!(in >> read.platform >> read.kind)) return false;
    for (std::string option; in >> option;) {
        int value = 0;
        if (!(in >> value) || (option != "title" && option != "split")) return false;
        (option == "title" ? read.titleX : read.splitWidth) = value;
    }
    claim = read;
    return true;
}

void HandleDirective(ContentText& text, OpenRun& run, std::string_view directive, const std::string& where) {
    std::string_view rest = directive.substr(DirectivePrefix.size());
    if (rest.starts_with(" #")) return;
    if (rest.starts_with(" run ")) {
        OpenNamedRun(text, run, rest.substr(5), where);
        return;
    }
    GivenRun* open = run.given >= 0 ? &text.given[run.given] : nullptr;
    if (rest.starts_with(" pack ")) {
        std::istringstream words{std::string(rest.substr(6))};
        for (std::string member; words >> member;) text.packMembers.push_back(member);
        return;
    }
    if (rest == " cast") {
        run = OpenRun{-1, true};
        return;
    }
    if (rest.starts_with(" chart ")) {
        if (!open || open->shape.kind != RunKind::Chart || !ReadChartClaim(rest.substr(7), where, text.charts[open->shape.chartPick - FirstChartPick]))
            AddFault(text, where, "\"@@ chart PLATFORM KIND [title X] [split N]\" belongs inside a chart's run");
        return;
    }
    if (rest.starts_with(" members ")) {
        std::string_view claim = rest.substr(9);
        size_t space = claim.rfind(' ');
        MemberClaim members{std::string(claim.substr(0, space)), 0, where};
        if (space == std::string_view::npos || !IsDigits(claim.substr(space + 1)))
            AddFault(text, where, "\"@@ members GROUP N\" needs a group and a number");
        else
            text.memberClaims.push_back({members.group, std::stoi(std::string(claim.substr(space + 1))), where});
        return;
    }
    if (rest == " page") {
        const int count = open ? int(open->lines.size()) : 0;
        if (!open || open->shape.kind != RunKind::PagedText)
            AddFault(text, where, "\"@@ page\" belongs inside a paged text");
        else if (count == 0 || count != (open->pageBreaks + 1) * open->shape.linesPerPage)
            AddFault(text, where, "page break after " + std::to_string(count) + " lines; pages of " + open->shape.name +
                                      " hold " + std::to_string(open->shape.linesPerPage));
        else
            ++open->pageBreaks;
        return;
    }
    AddFault(text, where, "unknown directive \"" + std::string(directive) + "\"");
}

// Checks that do not need the neighbouring lines: encoding, control
// characters, and for text pages the width where the line is drawn.
void CheckLineOnItsOwn(ContentText& text, const RunShape& shape, const std::string& bytes, const std::string& where) {
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            AddFault(text, where, byte == '\t' ? "tab character: use blanks" : "control character");
            return;
        }
    }
    if (shape.kind == RunKind::Chart) return;
    if (!bytes.empty() && bytes.back() == ' ') AddFault(text, where, "blank at the end of the line");
    if (static_cast<int>(bytes.size()) > shape.layout.maxWidth)
        AddFault(text, where, "line has " + std::to_string(bytes.size()) + " characters; at most " +
                                  std::to_string(shape.layout.maxWidth) + " fit at x " + std::to_string(int(shape.layout.bodyX)));
}

void AddRunLine(ContentText& text, OpenRun& run, std::string_view utf8, const std::string& file, int lineNumber) {
    std::string where = Where(file, lineNumber);
    if (run.given < 0) {
        if (!utf8.empty()) AddFault(text, where, "text outside a run (start one with \"@@ run NAME\")");
        return;
    }
    GivenRun& given = text.given[run.given];
    std::string bytes;
    std::string problem;
    if (!ConvertUtf8ToWindows1252(utf8, bytes, problem)) {
        AddFault(text, where, problem);
        bytes.clear();
    } else {
        CheckLineOnItsOwn(text, given.shape, bytes, where);
    }
    given.lines.push_back(TextLine{bytes, file, lineNumber});
}

void AddCastLine(ContentText& text, std::string_view utf8, const std::string& where) {
    if (utf8.empty()) return;
    std::string bytes;
    std::string problem;
    CastEntry entry;
    if (!ConvertUtf8ToWindows1252(utf8, bytes, problem) || !ParseCastLine(bytes, where, entry, problem))
        AddFault(text, where, problem);
    else
        text.cast.entries.push_back(entry);
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}


void CheckHeading(ContentText& text, int index) {
    const std::string& line = text.lines[index].bytes;
    if (IsBlank(line))
        AddLineFault(text, index, "a chart needs its heading");
    else if (static_cast<int>(line.size()) > LongestChartHeading)
        AddLineFault(text, index, "chart heading is " + std::to_string(line.size()) +
                                      " characters with its leading blanks; at most " +
                                      std::to_string(LongestChartHeading) + " centre over the ranking");
}

void CheckBlankLines(ContentText& text, int first, int end, const char* why) {
    for (int index = first; index < end; ++index)
        if (!text.lines[index].bytes.empty()) AddLineFault(text, index, std::string("line must be empty: ") + why);
}

// Rows of ranks 1..rows from the run's third line: well-formed, points
// falling from rank to rank, ranks without entries only after the last entry.
void CheckRankingRows(ContentText& text, int firstRow, int rows, int splitWidth) {
    int previousPoints = -1;
    bool sawEmptyRank = false;
    for (int rank = 1; rank <= rows; ++rank) {
        int index = firstRow + rank - 1;
        int points = 0;
        std::string problem;
        if (!CheckRankingRow(text.lines[index].bytes, rank, splitWidth, points, problem)) {
            AddLineFault(text, index, problem);
            continue;
        }
        if (points < 0) {
            sawEmptyRank = true;
        } else if (sawEmptyRank) {
            AddLineFault(text, index, "an entry below a rank without one");
        } else if (previousPoints >= 0 && points >= previousPoints) {
            AddLineFault(text, index, "points must fall from rank to rank: " + std::to_string(points) + " after " +
                                          std::to_string(previousPoints));
        }
        if (points >= 0) previousPoints = points;
    }
}

// The kind of a chart follows from its run: three lines for a cancelled one,
// an empty fourth rank for the short one.
ChartKind KindOfChartRun(const GivenRun& run) {
    if (int(run.lines.size()) == CancelledChartRunLines) return CancelledChart;
    const int fourthRank = ChartFirstRowOffset + ShortChartRows - 1;
    return int(run.lines.size()) > fourthRank && IsBlank(run.lines[fourthRank].bytes) ? ShortChart : RankingChart;
}

void CheckChart(ContentText& text, const RunLayout& run, ChartKind kind) {
    const int pick = run.shape.chartPick;
    const int split = text.charts[pick - FirstChartPick].splitWidth;
    CheckHeading(text, run.start + ChartHeadingOffset);
    CheckBlankLines(text, run.start + 1, run.start + 2, "a blank line follows the heading");
    if (kind == CancelledChart) {
        const std::string& notice = text.lines[run.start + CancelledNoticeOffset].bytes;
        if (IsBlank(notice)) AddLineFault(text, run.start + CancelledNoticeOffset, "a cancelled chart needs its notice");
        if (static_cast<int>(notice.size()) > RankingRowLength)
            AddLineFault(text, run.start + CancelledNoticeOffset,
                         "notice is longer than a ranking row (" + std::to_string(RankingRowLength) + ")");
        return;
    }
    if (kind == RankingChart) {
        CheckRankingRows(text, run.start + ChartFirstRowOffset, ChartRankCount, split);
        return;
    }
    int rows = ShortChartRows - 1;
    CheckRankingRows(text, run.start + ChartFirstRowOffset, rows, split);
    for (int note : {ShortChartFirstNote, ShortChartSecondNote}) {
        size_t length = text.lines[run.start + note].bytes.size();
        if (static_cast<int>(length) != ShortChartNoteLength)
            AddLineFault(text, run.start + note, "note line has " + std::to_string(length) + " characters; it must be " +
                                                     std::to_string(ShortChartNoteLength));
    }
    CheckBlankLines(text, run.start + ShortChartSecondNote + 1, run.start + run.lines,
                    "the short chart's last lines are never drawn");
}

// How many lines a run may hold where it is drawn: a fixed page what fits
// above the bottom banner, a chart its fixed run, a paged text any number.
std::string CheckRunFits(const GivenRun& run) {
    const int lines = int(run.lines.size());
    if (run.shape.kind == RunKind::Chart) {
        if (lines == ChartRunLines || lines == CancelledChartRunLines) return "";
        return "run " + run.shape.name + " holds " + std::to_string(lines) + " lines; a chart holds " +
               std::to_string(ChartRunLines) + ", a cancelled one " + std::to_string(CancelledChartRunLines);
    }
    if (run.shape.kind == RunKind::FixedPage && lines > LinesThatFit(run.shape.layout))
        return "run " + run.shape.name + " holds " + std::to_string(lines) + " lines; at most " +
               std::to_string(LinesThatFit(run.shape.layout)) + " fit above the bottom banner";
    return "";
}

// "Advertisements - %02d/09" for a paged text, "Advertisements - 03/09" for
// page 3 of numbered fixed pages, or the plain title.
std::string TitleOf(const char* base, int page, int pages, bool paged) {
    char title[64];
    if (paged)
        std::snprintf(title, sizeof title, "%s - %%02d/%02d", base, pages);
    else if (pages > 1)
        std::snprintf(title, sizeof title, "%s - %02d/%02d", base, page, pages);
    else
        std::snprintf(title, sizeof title, "%s", base);
    return title;
}

// Lays the given runs out in stored order. A missing run is named and keeps
// its place empty (a chart its twelve lines), so the checks still run.
void PlaceRuns(ContentText& text) {
    int start = 0;
    for (const RunShape& shape : AllRunSpecs()) {
        const GivenRun* given = nullptr;
        for (const GivenRun& run : text.given)
            if (run.shape.name == shape.name) given = &run;
        if (!given && !shape.required) continue;
        if (!given) text.faults.push_back("run " + shape.name + " is missing");
        RunLayout run{shape, start, 0, 1, ""};
        std::vector<TextLine> lines = given ? given->lines : std::vector<TextLine>(shape.kind == RunKind::Chart ? ChartRunLines : 0);
        if (given) {
            std::string problem = CheckRunFits(*given);
            if (!problem.empty()) AddFault(text, given->where, problem);
            if (shape.kind == RunKind::Chart && !problem.empty()) lines.resize(ChartRunLines);
            run.pages = given->pageBreaks + 1;
        }
        run.lines = int(lines.size());
        text.lines.insert(text.lines.end(), lines.begin(), lines.end());
        text.runs.push_back(run);
        start += run.lines;
    }
    // Titles count the pages: the Messages' two fixed pages follow its paged ones.
    const int messagesPages = FindRun(text, "Messages")->pages + 2;
    for (RunLayout& run : text.runs) {
        const std::string& name = run.shape.name;
        const char* base = run.shape.layout.title;
        if (!base) continue;
        if (run.shape.kind == RunKind::PagedText)
            run.title = TitleOf(base, 0, name == "Messages" ? messagesPages : run.pages, true);
        else if (name.starts_with("MessagesPage"))
            run.title = TitleOf(base, messagesPages - (name == "MessagesPage19" ? 1 : 0), messagesPages, false);
        else if (name.starts_with("News") || name.starts_with("Advertisement")) {
            const std::string stem = name.substr(0, name.find_first_of("0123456789"));
            run.title = TitleOf(base, std::stoi(name.substr(stem.size())), NumberedRunCount(text, stem), false);
        } else
            run.title = base;
    }
}

// Paged text beyond its last page is never shown.
void CheckPagesHoldTheText(ContentText& text, const RunLayout& run) {
    for (int line = run.pages * run.shape.linesPerPage; line < run.lines; ++line)
        if (!text.lines[run.start + line].bytes.empty()) {
            AddLineFault(text, run.start + line, "text after the last page: start a page with \"@@ page\"");
            return;
        }
}

}  // namespace

void StartContentText(ContentText& text) {
    text = ContentText{};
    text.charts.assign(ChartCount, ChartClaim{});
}

void ReadContentSource(ContentText& text, const std::string& path, const std::string& displayName) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        AddFault(text, displayName, "cannot read the file");
        return;
    }
    std::stringstream whole;
    whole << file.rdbuf();
    std::string content = whole.str();
    if (content.starts_with("\xEF\xBB\xBF")) content.erase(0, 3);

    OpenRun run;
    int lineNumber = 0;
    for (size_t at = 0; at < content.size();) {
        size_t end = content.find('\n', at);
        if (end == std::string::npos) end = content.size();
        std::string_view line(content.data() + at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        at = end + 1;
        ++lineNumber;
        if (line.starts_with(DirectivePrefix))
            HandleDirective(text, run, line, Where(displayName, lineNumber));
        else if (run.inCast)
            AddCastLine(text, line, Where(displayName, lineNumber));
        else
            AddRunLine(text, run, line, displayName, lineNumber);
    }
}

void ReadContentDirectory(ContentText& text, const std::string& directory) {
    std::vector<std::filesystem::path> sources;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        if (entry.is_regular_file() && entry.path().extension() == ".txt") sources.push_back(entry.path());
    if (error) AddFault(text, directory, "cannot list the directory: " + error.message());
    std::sort(sources.begin(), sources.end());
    for (const auto& path : sources) ReadContentSource(text, path.string(), path.string());
}

void CheckContentText(ContentText& text) {
    PlaceRuns(text);
    for (const RunLayout& run : text.runs) {
        if (run.shape.kind == RunKind::PagedText) CheckPagesHoldTheText(text, run);
        if (run.shape.kind != RunKind::Chart) continue;
        for (const GivenRun& given : text.given)
            if (given.shape.name == run.shape.name) CheckChart(text, run, KindOfChartRun(given));
    }
    if (text.packMembers.empty()) text.faults.push_back("the pack members are missing (\"@@ pack FILE...\")");
    const RunLayout& bonus7 = *FindRun(text, "Bonus7");
    if (bonus7.lines > GroupPhotoLastLine)
        CheckBlankLines(text, bonus7.start + GroupPhotoFirstLine, bonus7.start + GroupPhotoLastLine + 1,
                        "the group photo covers it");
    CheckAgainstCast(text);
}

const RunLayout* FindRun(const ContentText& text, std::string_view name) {
    for (const RunLayout& run : text.runs)
        if (run.shape.name == name) return &run;
    return nullptr;
}

const RunLayout& ChartRun(const ContentText& text, int pick) { return *FindRun(text, "Chart" + std::to_string(pick)); }

int NumberedRunCount(const ContentText& text, std::string_view stem) {
    int count = 0;
    while (FindRun(text, std::string(stem) + std::to_string(count + 1))) ++count;
    return count;
}

ChartKind ChartKindOf(const ContentText& text, int pick) {
    for (const GivenRun& given : text.given)
        if (given.shape.chartPick == pick) return KindOfChartRun(given);
    return RankingChart;
}

bool CheckRankingRow(const std::string& row, int rank, int splitWidth, int& points, std::string& problem) {
    points = -1;
    if (static_cast<int>(row.size()) != RankingRowLength) {
        problem = "ranking row has " + std::to_string(row.size()) + " characters; it must be " +
                  std::to_string(RankingRowLength);
        return false;
    }
    char label[8];
    std::snprintf(label, sizeof label, "%02d.  ", rank);
    if (row.compare(0, RankingNameStart, label) != 0) {
        problem = "ranking row must begin with \"" + std::string(label) + "\"";
        return false;
    }
    std::string_view view(row);
    if (IsBlank(view.substr(RankingNameStart))) return true;
    if (view[RankingNameStart] == ' ') {
        problem = "entry name must start at character 5";
        return false;
    }
    std::string_view pointsField = view.substr(splitWidth, RankingPointsEnd + 1 - splitWidth);
    size_t digits = pointsField.find_first_not_of(' ');
    if (digits == std::string_view::npos || !IsDigits(pointsField.substr(digits))) {
        problem = "points must be digits ending at character 45, starting at " + std::to_string(splitWidth) +
                  " or later";
        return false;
    }
    if (view.substr(RankingPointsEnd + 1, RankingTrendStart - RankingPointsEnd - 1) != " p.    ") {
        problem = "points must be followed by \" p.\" and four blanks";
        return false;
    }
    std::string_view trend = view.substr(RankingTrendStart);
    if (std::find(std::begin(Trends), std::end(Trends), trend) == std::end(Trends)) {
        problem = "trend must be one of (new), ( + ), ( - ), ( 0 )";
        return false;
    }
    points = std::stoi(std::string(pointsField.substr(digits)));
    return true;
}

#include "tools/contentgen/content_source.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "content/content_lines.h"
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

int RunIndexOf(const RunLayout* run) {
    for (int i = 0; i < RunCount(); ++i)
        if (&RunAt(i) == run) return i;
    return -1;
}

// The run being filled while a file is read; from "@@ cast" on, the rest of
// the file is cast lines instead.
struct OpenRun {
    const RunLayout* layout = nullptr;
    std::string where;  // of its "@@ run" line
    int count = 0;
    bool inCast = false;
};

void CloseRun(ContentText& text, OpenRun& run) {
    if (!run.layout) return;
    if (run.count != run.layout->lines)
        AddFault(text, run.where, "run " + std::string(run.layout->name) + " holds " + std::to_string(run.count) +
                                      " lines; it needs exactly " + std::to_string(run.layout->lines));
    else
        text.runComplete[RunIndexOf(run.layout)] = true;
    run = OpenRun{};
}

void OpenNamedRun(ContentText& text, OpenRun& run, std::string_view name, const std::string& where) {
    const RunLayout* layout = FindRun(name);
    if (!layout) {
        AddFault(text, where, "no run is called \"" + std::string(name) + "\"");
        return;
    }
    std::string& origin = text.runOrigin[RunIndexOf(layout)];
    if (!origin.empty()) {
        AddFault(text, where, "run " + std::string(name) + " was already given at " + origin);
        return;
    }
    origin = where;
    run.layout = layout;
    run.where = where;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void HandleDirective(ContentText& text, OpenRun& run, std::string_view directive, const std::string& where) {
    std::string_view rest = directive.substr(DirectivePrefix.size());
    if (rest.starts_with(" #")) return;
    if (rest.starts_with(" run ")) {
        CloseRun(text, run);
        OpenNamedRun(text, run, rest.substr(5), where);
        return;
    }
    if (rest == " cast") {
        CloseRun(text, run);
        run.inCast = true;
        return;
    }
    if (rest.starts_with(" chart ")) {
        std::istringstream words{std::string(rest.substr(7))};
        ChartClaim claim{{}, {}, where};
        if (!run.layout || run.layout->kind != RunKind::Chart || !(words >> claim.platform >> claim.kind))
            AddFault(text, where, "\"@@ chart PLATFORM KIND\" belongs inside a chart's run");
        else
            text.charts[run.layout->chartPick - FirstChartPick] = claim;
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
        bool paged = run.layout && run.layout->kind == RunKind::PagedText;
        if (!paged)
            AddFault(text, where, "\"@@ page\" belongs inside a paged text");
        else if (run.count == 0 || run.count % run.layout->linesPerPage != 0)
            AddFault(text, where, "page break after " + std::to_string(run.count) + " lines; pages of " +
                                      run.layout->name + " hold " + std::to_string(run.layout->linesPerPage));
        return;
    }
    AddFault(text, where, "unknown directive \"" + std::string(directive) + "\"");
}

// Checks that do not need the neighbouring lines: encoding, control
// characters, and for text pages the width where the line is drawn.
void CheckLineOnItsOwn(ContentText& text, const RunLayout& layout, const std::string& bytes, const std::string& where) {
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            AddFault(text, where, byte == '\t' ? "tab character: use blanks" : "control character");
            return;
        }
    }
    if (layout.kind == RunKind::Chart) return;
    if (!bytes.empty() && bytes.back() == ' ') AddFault(text, where, "blank at the end of the line");
    if (static_cast<int>(bytes.size()) > layout.maxWidth)
        AddFault(text, where, "line has " + std::to_string(bytes.size()) + " characters; at most " +
                                  std::to_string(layout.maxWidth) + " fit at x " + std::to_string(layout.bodyX));
}

void AddRunLine(ContentText& text, OpenRun& run, std::string_view utf8, const std::string& file, int lineNumber) {
    std::string where = Where(file, lineNumber);
    if (!run.layout) {
        if (!utf8.empty()) AddFault(text, where, "text outside a run (start one with \"@@ run NAME\")");
        return;
    }
    std::string bytes;
    std::string problem;
    if (!ConvertUtf8ToWindows1252(utf8, bytes, problem)) {
        AddFault(text, where, problem);
        bytes.clear();
    } else {
        CheckLineOnItsOwn(text, *run.layout, bytes, where);
    }
    if (run.count < run.layout->lines) text.lines[run.layout->start + run.count] = TextLine{bytes, file, lineNumber};
    ++run.count;
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


bool CheckHeading(ContentText& text, int index, int pick) {
    const ChartHeading& heading = ChartHeadingFor(pick);
    const std::string& line = text.lines[index].bytes;
    size_t blanks = line.find_first_not_of(' ');
    if (blanks == std::string::npos || line.compare(blanks, std::string::npos, heading.text) != 0) {
        AddLineFault(text, index, "chart heading should read \"" + std::string(heading.text) + "\"");
        return false;
    }
    if (static_cast<int>(line.size()) != heading.storedLength) {
        AddLineFault(text, index, "chart heading is " + std::to_string(line.size()) +
                                      " characters with its leading blanks; it must be " +
                                      std::to_string(heading.storedLength));
        return false;
    }
    return true;
}

void CheckBlankLines(ContentText& text, int first, int end, const char* why) {
    for (int index = first; index < end; ++index)
        if (!text.lines[index].bytes.empty()) AddLineFault(text, index, std::string("line must be empty: ") + why);
}

// Rows of ranks 1..rows from the run's third line: well-formed, points
// falling from rank to rank, ranks without entries only after the last entry.
void CheckRankingRows(ContentText& text, int firstRow, int rows, int pick) {
    int previousPoints = -1;
    bool sawEmptyRank = false;
    for (int rank = 1; rank <= rows; ++rank) {
        int index = firstRow + rank - 1;
        int points = 0;
        std::string problem;
        if (!CheckRankingRow(text.lines[index].bytes, rank, ChartSplitWidth(pick), points, problem)) {
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

void CheckChart(ContentText& text, const RunLayout& run) {
    int pick = run.chartPick;
    CheckHeading(text, run.start + ChartHeadingOffset, pick);
    CheckBlankLines(text, run.start + 1, run.start + 2, "a blank line follows the heading");
    if (IsCancelledChart(pick)) {
        const std::string& notice = text.lines[run.start + CancelledNoticeOffset].bytes;
        if (IsBlank(notice)) AddLineFault(text, run.start + CancelledNoticeOffset, "a cancelled chart needs its notice");
        if (static_cast<int>(notice.size()) > RankingRowLength)
            AddLineFault(text, run.start + CancelledNoticeOffset,
                         "notice is longer than a ranking row (" + std::to_string(RankingRowLength) + ")");
        return;
    }
    if (pick != ShortChartPick) {
        CheckRankingRows(text, run.start + ChartFirstRowOffset, ChartRankCount, pick);
        return;
    }
    int rows = ShortChartRows - 1;
    CheckRankingRows(text, run.start + ChartFirstRowOffset, rows, pick);
    CheckBlankLines(text, run.start + ChartFirstRowOffset + rows, run.start + ShortChartFirstNote,
                    "the short chart's fourth row stays empty");
    for (int note : {ShortChartFirstNote, ShortChartSecondNote}) {
        size_t length = text.lines[run.start + note].bytes.size();
        if (static_cast<int>(length) != ShortChartNoteLength)
            AddLineFault(text, run.start + note, "note line has " + std::to_string(length) + " characters; it must be " +
                                                     std::to_string(ShortChartNoteLength));
    }
    CheckBlankLines(text, run.start + ShortChartSecondNote + 1, run.start + run.lines,
                    "the short chart's last lines are never drawn");
}

}  // namespace

void StartContentText(ContentText& text) {
    text.lines.assign(ContentLineCount, TextLine{});
    text.runOrigin.assign(RunCount(), std::string());
    text.runComplete.assign(RunCount(), false);
    text.faults.clear();
    text.cast = Cast{};
    text.charts.assign(ChartCount, ChartClaim{});
    text.memberClaims.clear();
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
    CloseRun(text, run);
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
    for (int i = 0; i < RunCount(); ++i) {
        const RunLayout& run = RunAt(i);
        if (text.runOrigin[i].empty()) text.faults.push_back(std::string("run ") + run.name + " is missing");
        if (run.kind == RunKind::Chart && text.runComplete[i]) CheckChart(text, run);
    }
    if (text.runComplete[RunIndexOf(FindRun("Bonus7"))])
        CheckBlankLines(text, Bonus7TextStart + GroupPhotoFirstLine, Bonus7TextStart + GroupPhotoLastLine + 1,
                        "the group photo covers it");
    int shownBonus5 = 5 * BonusLinesPerPage;
    if (text.runComplete[RunIndexOf(FindRun("Bonus5"))])
        CheckBlankLines(text, Bonus5TextStart + shownBonus5, Bonus5TextStart + Bonus5TextLines, "it is never shown");
    CheckAgainstCast(text);
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

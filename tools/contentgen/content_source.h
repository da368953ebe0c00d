// Reading and checking the magazine's text sources.
//
// A source file is UTF-8 text holding one or more runs of the content table.
// A run starts with a line "@@ run NAME" (NAME as in content_runs.cpp) and
// holds every following line up to the next "@@ run" or the end of the file,
// blank lines included. Inside a paged text, "@@ page" lines mark where a new
// page begins; they are checked against the page length and count the pages.
// "@@ #" lines are notes for editors. Other "@@" lines are directives named
// below. A run holds as many lines as its text has: the table and the counts
// the program compiles follow from the sources.
//
// Faults are collected, not fatal: each names the file and line, so one run
// of the generator reports everything that needs fixing.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "tools/contentgen/cast.h"
#include "tools/contentgen/content_runs.h"

struct TextLine {
    std::string bytes;  // Windows-1252
    std::string file;   // as it was given to the reader
    int lineNumber = 0; // 1-based; 0 for a line no source supplied
};

// What a chart counts, given in its run by "@@ chart PLATFORM KIND [title X]
// [split N]": the platform (as in the cast, or "scene" for any) and what its
// entries are: groups, people ("handle / group"), prods ("title by maker"),
// mags, sites, parties; the x of its Tahoma title and the width of its first
// column where they differ from the usual ones.
struct ChartClaim {
    std::string platform, kind, where;
    int titleX = int(DefaultChartTitleX);
    int splitWidth = DefaultChartSplitWidth;
};

// "@@ members GROUP N" where a text states how many members a group has.
struct MemberClaim {
    std::string group;
    int count = 0;
    std::string where;
};

// A run as its source gives it.
struct GivenRun {
    RunShape shape;
    std::string where;  // of its "@@ run" line
    std::vector<TextLine> lines;
    int pageBreaks = 0;
};

struct ContentText {
    std::vector<GivenRun> given;      // in reading order
    std::vector<RunLayout> runs;      // in stored order, once placed
    std::vector<TextLine> lines;      // the whole table, once placed
    std::vector<std::string> faults;  // "file:line: what is wrong"
    Cast cast;
    std::vector<ChartClaim> charts;  // per chart pick from FirstChartPick
    std::vector<MemberClaim> memberClaims;
    std::vector<std::string> packMembers;  // "@@ pack": the files of data/ that go into the pack
};

void StartContentText(ContentText& text);

// Reads one source file into text. displayName is used in fault messages.
void ReadContentSource(ContentText& text, const std::string& path, const std::string& displayName);

// Reads every *.txt file of a directory, in name order.
void ReadContentDirectory(ContentText& text, const std::string& directory);

// Places the runs in the table, then checks what only the whole text can
// tell: missing runs, runs that do not fit their page, the chart rows and
// headings, the blank areas the page layout relies on, and that every page
// agrees with the cast.
void CheckContentText(ContentText& text);

const RunLayout* FindRun(const ContentText& text, std::string_view name);
const RunLayout& ChartRun(const ContentText& text, int pick);
// Runs whose name is stem + 1, 2, ... (the News and Advertisement pages).
int NumberedRunCount(const ContentText& text, std::string_view stem);
ChartKind ChartKindOf(const ContentText& text, int pick);

// The checks of one ranking row of a chart with the given first-column width;
// on success points is the row's points, or -1 for a rank without an entry.
bool CheckRankingRow(const std::string& row, int rank, int splitWidth, int& points, std::string& problem);

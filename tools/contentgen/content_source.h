// Reading and checking the magazine's text sources.
//
// A source file is UTF-8 text holding one or more runs of the content table.
// A run starts with a line "@@ run NAME" (NAME as in content_runs.cpp) and
// holds every following line up to the next "@@ run" or the end of the file,
// blank lines included. Inside a paged text, "@@ page" lines mark where a new
// page begins and are checked against the page length; "@@ #" lines are notes
// for editors. No other line may begin with "@@".
//
// Faults are collected, not fatal: each names the file and line, so one run
// of the generator reports everything that needs fixing.
#pragma once
#include <string>
#include <vector>

#include "tools/contentgen/cast.h"

struct TextLine {
    std::string bytes;  // Windows-1252
    std::string file;   // as it was given to the reader
    int lineNumber = 0; // 1-based; 0 for a line no source supplied
};

// What a chart counts, given in its run by "@@ chart PLATFORM KIND": the
// platform (as in the cast, or "scene" for any) and what its entries are:
// groups, people ("handle / group"), prods ("title by maker"), mags, sites,
// parties.
struct ChartClaim {
    std::string platform, kind, where;
};

// "@@ members GROUP N" where a text states how many members a group has.
struct MemberClaim {
    std::string group;
    int count = 0;
    std::string where;
};

struct ContentText {
    std::vector<TextLine> lines;      // ContentLineCount entries, in table order
    std::vector<std::string> runOrigin;  // per RunAt index: "file:line" of its "@@ run", or ""
    std::vector<bool> runComplete;       // per RunAt index: it held exactly its lines
    std::vector<std::string> faults;  // "file:line: what is wrong"
    Cast cast;
    std::vector<ChartClaim> charts;  // per chart pick from FirstChartPick
    std::vector<MemberClaim> memberClaims;
};

void StartContentText(ContentText& text);

// Reads one source file into text. displayName is used in fault messages.
void ReadContentSource(ContentText& text, const std::string& path, const std::string& displayName);

// Reads every *.txt file of a directory, in name order.
void ReadContentDirectory(ContentText& text, const std::string& directory);

// Checks what only the whole table can tell: missing runs, the chart rows and
// headings, the blank areas the page layout relies on, and that every page
// agrees with the cast.
void CheckContentText(ContentText& text);

// The checks of one ranking row of a chart with the given first-column width;
// on success points is the row's points, or -1 for a rank without an entry.
bool CheckRankingRow(const std::string& row, int rank, int splitWidth, int& points, std::string& problem);

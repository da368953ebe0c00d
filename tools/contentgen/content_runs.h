// Where each run of the content table goes and how it is drawn.
//
// The generator uses this to place and check the text, the proof tool to
// show a page as the magazine lays it out. Places come from the magazine's own
// content/page_layout.h, so the program and the tools cannot disagree.
#pragma once
#include <string_view>

enum class RunKind { FixedPage, PagedText, Chart };

struct RunLayout {
    const char* name;      // as written after "@@ run" in a source file
    RunKind kind;
    int start;             // index of the run's first line in ContentLines
    int lines;
    int linesPerPage;      // paged texts only, else 0
    int maxWidth;          // characters that fit where the lines are drawn
    const char* title;     // printf format for paged texts (page number n)
    int titleX;            // layout of the page, 1024 x 768, y up
    int bodyX;
    int firstY;
    int step;
    int chartPick;         // charts only, else 0
};

// Every run of the table, in stored order.
int RunCount();
const RunLayout& RunAt(int index);
const RunLayout* FindRun(std::string_view name);
const RunLayout& ChartRun(int pick);

// A chart heading as printed, and its stored length with the leading blanks
// that centre it.
struct ChartHeading {
    const char* text;
    int storedLength;
};
const ChartHeading& ChartHeadingFor(int pick);

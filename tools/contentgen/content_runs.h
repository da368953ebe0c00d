// The runs of the content table: which names a source may give, how each is
// drawn, and where it lands once the whole text is read.
//
// Places come from the magazine's own content/page_layout.h, so the program
// and the tools cannot disagree; how many lines and pages each run holds comes
// from the text alone.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "content/page_layout.h"

enum class RunKind { FixedPage, PagedText, Chart };

// What a run name stands for, before any text is read.
struct RunShape {
    std::string name;  // as written after "@@ run" in a source file
    RunKind kind = RunKind::FixedPage;
    TextPlace layout{};
    int linesPerPage = 0;  // paged texts only
    int chartPick = 0;     // charts only
    bool required = true;  // numbered pages beyond the first may be left out
};

// The shape of a run name, or false if no run is called so.
bool FindRunShape(std::string_view name, RunShape& shape);

// Every run name in stored order (numbered pages up to their maximum).
std::vector<RunShape> AllRunSpecs();

// A run placed in the table.
struct RunLayout {
    RunShape shape;
    int start = 0;
    int lines = 0;
    int pages = 1;          // paged texts: "@@ page" breaks + 1
    std::string title;      // printf format with n for paged texts, else the title
};



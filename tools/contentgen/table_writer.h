// Writes the checked text as the C++ source of the constant content table.
#pragma once
#include <string>

#include "tools/contentgen/content_source.h"

// The whole source file: `EmptyLine` and `ContentLines`, one line of the
// table per line of text, blank lines as `EmptyLine`.
std::string ContentTableSource(const ContentText& text);

// The header the table comes with: the lines of every run, the pages and
// titles of the paged and numbered texts, and each chart's kind, title x and
// first column width; content/content_lines.h builds on it.
std::string ContentCountsSource(const ContentText& text);

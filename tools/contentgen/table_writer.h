// Writes the checked text as the C++ source of the constant content table.
#pragma once
#include <string>

#include "tools/contentgen/content_source.h"

// The whole source file: `EmptyLine` and `ContentLines`, one line of the
// table per line of text, blank lines as `EmptyLine`.
std::string ContentTableSource(const ContentText& text);

// Pages of the issue as the magazine draws them, as plain text for proofing.
//
// A page is named like the reader reaches it: section 0..7, topic pick name
// (0 for Messages and Credits), page 1..n. The proof shows the title and every
// drawn line at its y, with Courier text placed at 8 pixels a character from
// the page's body x (charts: from x 340, second column at x 740).
#pragma once
#include <string>

#include "tools/contentgen/content_source.h"

// Writes the proof of one page to out (UTF-8); on a page that does not exist
// returns false with the reason in problem.
bool ProofPage(const ContentText& text, int section, int topic, int page, std::string& out, std::string& problem);

// Number of pages of a section's topic, 0 if there is no such topic.
int PageCountOf(const ContentText& text, int section, int topic);

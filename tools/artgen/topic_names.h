// The names printed on the section panels, one per topic pick name.
//
// Chart names come from the chart headings in the magazine's text sources
// (content/text/charts-*.txt, the line after each "@@ run ChartNN"), less
// the words the panel's title already says; the Introduction's topics have
// fixed names.
#pragma once
#include <string>

#include "menu/menu.h"  // the pick names: FirstTopicButton .. LastTopicButton

// Reads the headings from the text directory; false with a message naming
// what is missing.
bool LoadTopicNames(const char* textDirectory);

// The name printed for a topic.
const std::string& TopicName(int pick);
// For the warez grid (picks 55..63): the heading of the grid row a topic
// belongs to; its own name is the language.
const std::string& GridRowName(int pick);

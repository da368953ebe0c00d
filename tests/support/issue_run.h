// The whole program in a test window, for the screenshot and benchmark tools:
// the generated issue's data, the standing GL state, and frames run the way
// the frame driver runs them but with the swap left to the caller, so that
// the back buffer can be read first.
#pragma once
#include <string>

// The source tree (TB_SOURCE_DIR, else the current directory).
std::string SourceDirectory();
// Moves into the issue's working directory, which holds data/: TB_ISSUE_DIR,
// else TB_BINARY_DIR/issue, else build/issue. False, with a message, when it
// has no data/ directory.
bool EnterIssueDirectory();
// A window of width x height at the top-left corner, the program's standing
// GL state, the loading picture and the fonts.
void StartProgramWindow(int width, int height);
// Clear, frame timer, frame step and one pass of the scene states.
void RunFrameBody();
// What a reader's click on the Amiga charts and then their first chart does:
// the swarm's push, the section, the topic.
void PickFirstAmigaChart();

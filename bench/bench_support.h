// The whole program in a test window, for the screenshot and benchmark tools:
// the standing GL state, and frames run the way the frame driver runs them
// but with the swap left to the caller, so that the back buffer can be read
// first.
#pragma once

// A window of width x height at the top-left corner, the program's standing
// GL state, the loading picture and the fonts.
void StartProgramWindow(int width, int height);
// Clear, frame timer, frame step and one pass of the scene states.
void RunFrameBody();
// What a reader's click on the Amiga charts and then their first chart does:
// the swarm's push, the section, the topic.
void PickFirstAmigaChart();

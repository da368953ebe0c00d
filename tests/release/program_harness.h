// Runs the real program as a user would: in an X server of its own, in a copy
// of the generated issue, driven with xdotool and looked at with screenshots.
#pragma once
#include <sys/types.h>

#include <string>

struct ProgramRun {
    pid_t server = -1;    // the Xvfb of this run
    int display = -1;     // its display number
    pid_t program = -1;   // tallyboard
    std::string workDir;  // a private copy of the issue's working directory
    std::string outputPath;  // the program's standard output
};

// Starts an Xvfb (1024 x 768, 24 bits) on a free display number.
bool StartDisplay(ProgramRun& run);
// Makes a fresh working directory holding a copy of the generated issue's data/.
bool PrepareIssueCopy(ProgramRun& run, const char* name);
// Starts tallyboard in the working directory with an optional first argument,
// the dummy sound driver and Mesa's software renderer.
bool StartProgram(ProgramRun& run, const char* argument = nullptr);
// Runs one xdotool command line against the run's display.
bool Xdo(const ProgramRun& run, const std::string& arguments);
// One screen pixel as 0xRRGGBB, or -1 when the screen can't be read.
long ScreenPixel(const ProgramRun& run, int x, int y);
// Saves the whole screen as PNG.
bool SaveScreen(const ProgramRun& run, const std::string& path);
// Waits for the program's exit: its status (0..255), 128+signal, or -1 on timeout.
int WaitForExit(ProgramRun& run, double seconds);
// Everything the program printed so far.
std::string ProgramOutput(const ProgramRun& run);
// Kills what is still running and removes the working directory.
void StopRun(ProgramRun& run);
void Sleep(double seconds);

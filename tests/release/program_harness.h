// Runs the real program as a user would: in an X server of its own, in a copy
// of the generated issue, driven with xdotool and looked at with screenshots.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

struct ProgramRun {
    pid_t server = -1;    // the Xvfb of this run
    int display = -1;     // its display number
    pid_t program = -1;   // tallyboard
    std::string workDir;  // a private copy of the issue's working directory
    std::string outputPath;  // the program's standard output
    std::string errorPath;   // its standard error
    bool unprivileged = false;  // run by root: start the program as "nobody"
};

// Screen pixel of a point of the magazine's scene plane (depth 46, 80-degree
// vertical field of view) in the 1024 x 768 layout.
int SceneToScreenX(double x);
int SceneToScreenY(double y);

// Starts an Xvfb (1024 x 768, 24 bits, black root) on a free display number.
bool StartDisplay(ProgramRun& run);
// Makes a fresh working directory that "nobody" can reach, holding copies of
// the program and of the generated issue's data/.
bool PrepareIssueCopy(ProgramRun& run, const char* name);
// Starts tallyboard in the working directory with an optional first argument,
// the dummy sound driver and Mesa's software renderer. Standard error goes to
// errorPath, where sanitizer reports land. With unprivileged set and run by
// root, the program runs as "nobody", so that file permissions apply to it.
bool StartProgram(ProgramRun& run, const char* argument = nullptr);
// Waits until the program's window is on the screen; false at once when the
// program has ended.
bool WaitForWindow(const ProgramRun& run, double seconds);
// Runs one xdotool command line against the run's display.
bool Xdo(const ProgramRun& run, const std::string& arguments);
// Mean brightness (0..255) of a screen rectangle, or -1 when unreadable.
double RegionBrightness(const ProgramRun& run, int x, int y, int width, int height);
// Brightest grey level (0..255) of a screen rectangle, or -1 when unreadable.
double RegionPeak(const ProgramRun& run, int x, int y, int width, int height);
// The pixels of a screen rectangle as 0xRRGGBB, row by row; empty when unreadable.
std::vector<unsigned> ScreenPixels(const ProgramRun& run, int x, int y, int width, int height);
// Saves the whole screen as PNG.
bool SaveScreen(const ProgramRun& run, const std::string& path);
// Waits for the program's exit: its status (0..255), 128+signal, or -1 on timeout.
int WaitForExit(ProgramRun& run, double seconds);
// Everything the program printed so far on standard output / standard error.
std::string ProgramOutput(const ProgramRun& run);
std::string ProgramErrors(const ProgramRun& run);
// Kills what is still running and removes the working directory.
void StopRun(ProgramRun& run);
void Sleep(double seconds);

// The same on a screen of width x height pixels.
bool StartDisplayOfSize(ProgramRun& run, int width, int height);
// Starts openbox on the run's display and waits until it manages the screen;
// its process id, or -1. Stop it with StopWindowManager before StopRun.
pid_t StartWindowManager(const ProgramRun& run);
void StopWindowManager(pid_t& manager);
// Position and size of the program's window (its drawing area) on the screen.
bool ProgramWindowGeometry(const ProgramRun& run, int* x, int* y, int* width, int* height);
// Asks the window manager to close the program's window, as its close button does.
bool CloseFromWindowManager(const ProgramRun& run);

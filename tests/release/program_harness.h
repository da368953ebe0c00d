// Runs the real program as a reader would: in an X server of its own (under
// a window manager when asked), in a copy of the generated issue, driven with
// xdotool and looked at through the screen's pixels.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

struct ProgramRun {
    pid_t server = -1;    // the Xvfb of this run
    int display = -1;     // its display number
    pid_t manager = -1;   // openbox, once started
    pid_t program = -1;   // tallyboard
    std::string workDir;  // a private copy of the issue's working directory
    std::string outputPath;  // the program's standard output
    std::string errorPath;   // its standard error, where sanitizer reports land
};

// Screen pixel of a point of the magazine's scene plane (depth 46, 80-degree
// vertical field of view) in the 1024 x 768 layout.
int SceneToScreenX(double x);
int SceneToScreenY(double y);

// An Xvfb of width x height (24 bits, black root) on a free display number.
bool StartDisplay(ProgramRun& run, int width = 1024, int height = 768);
// openbox, once it manages the screen.
bool StartWindowManager(ProgramRun& run);
// A fresh working directory under /tmp holding a copy of the issue's data/.
bool PrepareIssueCopy(ProgramRun& run, const char* name);
// tallyboard in the working directory with an optional first argument, the
// dummy sound driver and Mesa's software renderer.
bool StartProgram(ProgramRun& run, const char* argument = nullptr);
// Until the program's window is on the screen; false at once once it ended.
bool WaitForWindow(const ProgramRun& run, double seconds);
// Position and size of the program's window (its drawing area) on the screen.
bool ProgramWindowGeometry(const ProgramRun& run, int* x, int* y, int* width, int* height);
// Runs a shell command line on the run's display; true when it succeeded.
bool OnDisplay(const ProgramRun& run, const std::string& command);
bool Xdo(const ProgramRun& run, const std::string& arguments);
// The pixels of a screen rectangle as 0xRRGGBB, row by row; empty when unreadable.
std::vector<unsigned> ScreenPixels(const ProgramRun& run, int x, int y, int width, int height);
// Waits for the program's exit: its status (0..255), 128+signal, or -1 on timeout.
int WaitForExit(ProgramRun& run, double seconds);
// Everything the program printed so far on standard output / standard error.
std::string ProgramOutput(const ProgramRun& run);
std::string ProgramErrors(const ProgramRun& run);
// Ends what still runs and removes the working directory.
void StopRun(ProgramRun& run);
void Sleep(double seconds);

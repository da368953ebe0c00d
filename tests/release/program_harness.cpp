#include "tests/release/program_harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

static std::string BinaryDir() {
    const char* binary = std::getenv("TB_BINARY_DIR");
    return binary ? binary : ".";
}

static std::string DisplayName(const ProgramRun& run) { return ":" + std::to_string(run.display); }

static const double PixelsPerSceneUnit = 384.0 / (46.0 * std::tan(40.0 * M_PI / 180.0));

int SceneToScreenX(double x) { return int(std::lround(512.0 + x * PixelsPerSceneUnit)); }
int SceneToScreenY(double y) { return int(std::lround(384.0 - y * PixelsPerSceneUnit)); }

void Sleep(double seconds) { usleep(useconds_t(seconds * 1e6)); }

// The servers are asked to end, so that Xvfb removes its lock file and socket.
static void KillAndReap(pid_t& pid, int signal = SIGKILL) {
    if (pid <= 0) return;
    kill(pid, signal);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// A child whose standard output and error go to the given files.
static pid_t Fork(const std::string& output = "/dev/null", const std::string& errors = "/dev/null") {
    pid_t child = fork();
    if (child == 0) {
        dup2(open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    }
    return child;
}

// Display numbers are tried from a point that depends on the process, past
// those that xvfb-run and other tests take first, and one is ours once Xvfb
// says it accepts connections on it; on a number taken meanwhile it ends.
// "-noreset": by default Xvfb resets when its last client leaves and refuses
// connections meanwhile, so the program, started right after an xdotool that
// checked the server, would now and then fail to open the display.
static bool TryDisplay(ProgramRun& run, int number, const std::string& screen) {
    int ends[2];
    if (pipe(ends) != 0) return false;
    run.server = Fork();
    if (run.server == 0) {
        close(ends[0]);
        execlp("Xvfb", "Xvfb", (":" + std::to_string(number)).c_str(), "-displayfd", std::to_string(ends[1]).c_str(),
               "-screen", "0", screen.c_str(), "-br", "-noreset", "-nolisten", "tcp", (char*)nullptr);
        _exit(127);
    }
    close(ends[1]);
    // The number and its newline come in two writes; a pipe closed between
    // them is a fatal error to the server.
    char last = 0;
    while (run.server > 0 && last != '\n' && read(ends[0], &last, 1) == 1) {}
    const bool accepted = last == '\n';
    close(ends[0]);
    if (!accepted) KillAndReap(run.server);
    run.display = accepted ? number : -1;
    return accepted;
}

bool StartDisplay(ProgramRun& run, int width, int height) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const int first = 100 + int(getpid() % 400);
    for (int number = first; number < first + 40; ++number)
        if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) != 0 &&
            TryDisplay(run, number, screen))
            return true;
    return false;
}

bool OnDisplay(const ProgramRun& run, const std::string& command) {
    return std::system(("export DISPLAY=" + DisplayName(run) + "; " + command + " >/dev/null 2>&1").c_str()) == 0;
}

bool Xdo(const ProgramRun& run, const std::string& arguments) { return OnDisplay(run, "xdotool " + arguments); }

bool StartWindowManager(ProgramRun& run) {
    run.manager = Fork();
    if (run.manager == 0) {
        setenv("DISPLAY", DisplayName(run).c_str(), 1);
        execlp("openbox", "openbox", "--sm-disable", (char*)nullptr);
        _exit(127);
    }
    // Up once it has claimed the screen's EWMH support window.
    for (int tries = 0; tries < 100 && run.manager > 0; ++tries, Sleep(0.1))
        if (OnDisplay(run, "wmctrl -m")) return true;
    return false;
}

bool PrepareIssueCopy(ProgramRun& run, const char* name) {
    std::string pattern = std::string("/tmp/tallyboard-") + name + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    run.workDir = pattern;
    run.outputPath = run.workDir + "/stdout.txt";
    run.errorPath = run.workDir + "/stderr.txt";
    return std::system(("cp -r '" + BinaryDir() + "/issue/data' '" + run.workDir + "'").c_str()) == 0;
}

bool StartProgram(ProgramRun& run, const char* argument) {
    run.program = Fork(run.outputPath, run.errorPath);
    if (run.program == 0) {
        if (chdir(run.workDir.c_str()) != 0) _exit(127);
        setenv("DISPLAY", DisplayName(run).c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        execl((BinaryDir() + "/tallyboard").c_str(), "tallyboard", argument, (char*)nullptr);
        _exit(127);
    }
    return run.program > 0;
}

// True while the program runs; an ended program is left for WaitForExit to reap.
static bool ProgramRunning(const ProgramRun& run) {
    siginfo_t info{};
    return run.program > 0 &&
           waitid(P_PID, id_t(run.program), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

bool WaitForWindow(const ProgramRun& run, double seconds) {
    for (double waited = 0; waited < seconds && ProgramRunning(run); waited += 0.2, Sleep(0.2))
        if (Xdo(run, "search --onlyvisible --name Tallyboard")) return true;
    return false;
}

bool ProgramWindowGeometry(const ProgramRun& run, int* x, int* y, int* width, int* height) {
    // xwininfo gives the position on the screen, also inside a manager's frame.
    FILE* pipe = popen(("export DISPLAY=" + DisplayName(run) +
                        "; xwininfo -id $(xdotool search --onlyvisible --name Tallyboard | head -n 1) 2>/dev/null")
                           .c_str(), "r");
    if (!pipe) return false;
    int found = 0;
    char line[128];
    while (std::fgets(line, sizeof line, pipe))
        found += (std::sscanf(line, " Absolute upper-left X: %d", x) == 1) +
                 (std::sscanf(line, " Absolute upper-left Y: %d", y) == 1) +
                 (std::sscanf(line, " Width: %d", width) == 1) + (std::sscanf(line, " Height: %d", height) == 1);
    pclose(pipe);
    return found == 4;
}

std::vector<unsigned> ScreenPixels(const ProgramRun& run, int x, int y, int width, int height) {
    std::vector<unsigned> pixels;
    Display* display = XOpenDisplay(DisplayName(run).c_str());
    if (!display) return pixels;
    if (XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, unsigned(width), unsigned(height),
                                  AllPlanes, ZPixmap)) {
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                pixels.push_back(unsigned(XGetPixel(image, column, row)) & 0xffffffu);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return pixels;
}

int WaitForExit(ProgramRun& run, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.1, Sleep(0.1)) {
        int status = 0;
        if (waitpid(run.program, &status, WNOHANG) == run.program) {
            run.program = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
    }
    return -1;
}

static std::string FileText(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ProgramOutput(const ProgramRun& run) { return FileText(run.outputPath); }
std::string ProgramErrors(const ProgramRun& run) { return FileText(run.errorPath); }

void StopRun(ProgramRun& run) {
    KillAndReap(run.program);
    KillAndReap(run.manager, SIGTERM);
    KillAndReap(run.server, SIGTERM);
    if (!run.workDir.empty() && !std::getenv("TB_KEEP_WORK")) std::system(("rm -rf '" + run.workDir + "'").c_str());
    run.workDir.clear();
}

#include "tests/release/program_harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

static std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

static std::string DisplayName(const ProgramRun& run) { return ":" + std::to_string(run.display); }

static const double PixelsPerSceneUnit = 384.0 / (46.0 * std::tan(40.0 * M_PI / 180.0));

int SceneToScreenX(double x) { return int(std::lround(512.0 + x * PixelsPerSceneUnit)); }
int SceneToScreenY(double y) { return int(std::lround(384.0 - y * PixelsPerSceneUnit)); }

void Sleep(double seconds) {
    timespec span{time_t(seconds), long((seconds - double(time_t(seconds))) * 1e9)};
    nanosleep(&span, nullptr);
}

static void KillAndReap(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// The pid in an X server's lock file, or -1 when there is none.
static long LockOwner(int number) {
    std::ifstream lock("/tmp/.X" + std::to_string(number) + "-lock");
    long pid = -1;
    lock >> pid;
    return lock ? pid : -1;
}

// Display numbers are tried from a point that depends on the process. A number
// is ours only once its lock file names our Xvfb: two tests side by side may
// try the same number, and the one that loses must not use the other's server.
// "-noreset": by default Xvfb resets when its last client leaves and refuses
// connections meanwhile, so the program, started right after the xdotool that
// checked the server, would now and then fail to open the display.
static std::string ScreenGeometry = "1024x768x24";

static bool TryDisplay(ProgramRun& run, int number) {
    if (LockOwner(number) != -1) return false;
    std::string name = ":" + std::to_string(number);
    run.server = fork();
    if (run.server == 0) {
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", ScreenGeometry.c_str(), "-br", "-noreset", "-nolisten", "tcp",
               (char*)nullptr);
        _exit(127);
    }
    if (run.server < 0) return false;
    run.display = number;
    for (int tries = 0; tries < 50; ++tries) {
        Sleep(0.1);
        if (waitpid(run.server, nullptr, WNOHANG) == run.server) {
            run.server = -1;  // the number was taken
            return false;
        }
        if (LockOwner(number) == run.server && Xdo(run, "getdisplaygeometry")) return true;
    }
    KillAndReap(run.server);
    return false;
}

bool StartDisplay(ProgramRun& run) {
    int first = 100 + int(getpid() % 400);
    for (int number = first; number < first + 40; ++number)
        if (TryDisplay(run, number)) return true;
    return false;
}

// The copy lies in a fresh directory of its own under /tmp, with a copy of
// the program beside data/, all open to everyone: a run as "nobody" must
// reach both, and the build tree may lie where only its owner can enter (a
// clone in /root or in a mktemp -d).
bool PrepareIssueCopy(ProgramRun& run, const char* name) {
    std::string base = EnvOr("TB_BINARY_DIR", ".");
    std::string pattern = std::string("/tmp/tallyboard-") + name + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    run.workDir = pattern;
    run.outputPath = run.workDir + "/stdout.txt";
    run.errorPath = run.workDir + "/stderr.txt";
    std::string command = "cp -r '" + base + "/issue/data' '" + base + "/tallyboard' '" + run.workDir +
                          "' && chmod -R a+rwX '" + run.workDir + "'";
    return std::system(command.c_str()) == 0;
}

// The leak checker's suppressions file may lie in the source tree, out of
// "nobody"'s reach like the build tree: the run reads a copy of its own.
static void CopySuppressionsIntoRun(const ProgramRun& run) {
    const char* options = std::getenv("LSAN_OPTIONS");
    std::string text = options ? options : "";
    size_t start = text.find("suppressions=");
    if (start == std::string::npos) return;
    start += std::strlen("suppressions=");
    size_t end = std::min(text.find(':', start), text.size());
    std::string copy = run.workDir + "/lsan.supp";
    if (std::system(("cp '" + text.substr(start, end - start) + "' '" + copy + "'").c_str()) == 0)
        setenv("LSAN_OPTIONS", text.replace(start, end - start, copy).c_str(), 1);
}

bool StartProgram(ProgramRun& run, const char* argument) {
    std::string binary = run.workDir + "/tallyboard";
    std::string display = DisplayName(run);
    run.program = fork();
    if (run.program == 0) {
        if (chdir(run.workDir.c_str()) != 0) _exit(127);
        int out = open(run.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(run.errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        if (run.unprivileged && geteuid() == 0) {
            CopySuppressionsIntoRun(run);
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
        }
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        execl(binary.c_str(), "tallyboard", argument, (char*)nullptr);
        _exit(127);
    }
    return run.program > 0;
}

bool Xdo(const ProgramRun& run, const std::string& arguments) {
    std::string command = "DISPLAY=" + DisplayName(run) + " xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// True while the program runs; an ended program is left for WaitForExit to reap.
static bool ProgramRunning(const ProgramRun& run) {
    siginfo_t info{};
    return run.program > 0 &&
           waitid(P_PID, id_t(run.program), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

bool WaitForWindow(const ProgramRun& run, double seconds) {
    for (double waited = 0; waited < seconds && ProgramRunning(run); waited += 0.2) {
        if (Xdo(run, "search --onlyvisible --name Tallyboard")) return true;
        Sleep(0.2);
    }
    return false;
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

// Grey levels as the mean of red, green and blue.
static double Grey(unsigned pixel) { return ((pixel >> 16) + ((pixel >> 8) & 0xff) + (pixel & 0xff)) / 3.0; }

double RegionBrightness(const ProgramRun& run, int x, int y, int width, int height) {
    std::vector<unsigned> pixels = ScreenPixels(run, x, y, width, height);
    double sum = 0;
    for (unsigned pixel : pixels) sum += Grey(pixel);
    return pixels.empty() ? -1.0 : sum / double(pixels.size());
}

double RegionPeak(const ProgramRun& run, int x, int y, int width, int height) {
    std::vector<unsigned> pixels = ScreenPixels(run, x, y, width, height);
    double peak = pixels.empty() ? -1.0 : 0.0;
    for (unsigned pixel : pixels) peak = std::max(peak, Grey(pixel));
    return peak;
}

bool SaveScreen(const ProgramRun& run, const std::string& path) {
    std::string command = "import -display " + DisplayName(run) + " -window root '" + path + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

int WaitForExit(ProgramRun& run, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.1) {
        int status = 0;
        if (waitpid(run.program, &status, WNOHANG) == run.program) {
            run.program = -1;
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            return 128 + WTERMSIG(status);
        }
        Sleep(0.1);
    }
    return -1;
}

static std::string FileText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ProgramOutput(const ProgramRun& run) { return FileText(run.outputPath); }
std::string ProgramErrors(const ProgramRun& run) { return FileText(run.errorPath); }

void StopRun(ProgramRun& run) {
    KillAndReap(run.program);
    KillAndReap(run.server);
    if (!run.workDir.empty() && !std::getenv("TB_KEEP_WORK")) {
        // u+w first: a test may have left a directory read-only.
        std::string command = "chmod -R u+w '" + run.workDir + "' && rm -rf '" + run.workDir + "'";
        std::system(command.c_str());
    }
}

bool StartDisplayOfSize(ProgramRun& run, int width, int height) {
    ScreenGeometry = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = StartDisplay(run);
    ScreenGeometry = "1024x768x24";
    return started;
}

pid_t StartWindowManager(const ProgramRun& run) {
    const std::string display = DisplayName(run);
    pid_t manager = fork();
    if (manager == 0) {
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        setenv("DISPLAY", display.c_str(), 1);
        execlp("openbox", "openbox", "--sm-disable", (char*)nullptr);
        _exit(127);
    }
    // Up once it has claimed the screen's EWMH support window.
    for (int tries = 0; tries < 100 && manager > 0; ++tries) {
        const std::string command = "DISPLAY=" + display + " wmctrl -m >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) return manager;
        Sleep(0.1);
    }
    KillAndReap(manager);
    return -1;
}

void StopWindowManager(pid_t& manager) { KillAndReap(manager); }

bool ProgramWindowGeometry(const ProgramRun& run, int* x, int* y, int* width, int* height) {
    // xwininfo gives the position on the screen, also inside a manager's frame.
    const std::string command = "DISPLAY=" + DisplayName(run) +
                                " xwininfo -id $(DISPLAY=" + DisplayName(run) +
                                " xdotool search --onlyvisible --name Tallyboard | head -n 1) 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
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

bool CloseFromWindowManager(const ProgramRun& run) {
    const std::string command = "DISPLAY=" + DisplayName(run) + " wmctrl -c Tallyboard >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

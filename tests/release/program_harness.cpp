#include "tests/release/program_harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

static std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

static std::string DisplayName(const ProgramRun& run) { return ":" + std::to_string(run.display); }

void Sleep(double seconds) {
    timespec span{time_t(seconds), long((seconds - double(time_t(seconds))) * 1e9)};
    nanosleep(&span, nullptr);
}

bool StartDisplay(ProgramRun& run) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    run.server = fork();
    if (run.server == 0) {
        close(pipeFds[0]);
        std::string fd = std::to_string(pipeFds[1]);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
               "-nolisten", "tcp", (char*)nullptr);
        _exit(127);
    }
    close(pipeFds[1]);
    char number[16] = {};
    ssize_t got = read(pipeFds[0], number, sizeof number - 1);
    close(pipeFds[0]);
    if (run.server < 0 || got <= 0) return false;
    run.display = std::atoi(number);
    return true;
}

bool PrepareIssueCopy(ProgramRun& run, const char* name) {
    std::string base = EnvOr("TB_BINARY_DIR", ".");
    run.workDir = base + "/tests/release/work-" + name;
    run.outputPath = run.workDir + "/stdout.txt";
    std::string command = "rm -rf '" + run.workDir + "' && mkdir -p '" + run.workDir +
                          "' && cp -r '" + base + "/issue/data' '" + run.workDir + "/data'";
    return std::system(command.c_str()) == 0;
}

bool StartProgram(ProgramRun& run, const char* argument) {
    std::string binary = EnvOr("TB_BINARY_DIR", ".") + "/tallyboard";
    std::string display = DisplayName(run);
    run.program = fork();
    if (run.program == 0) {
        if (chdir(run.workDir.c_str()) != 0) _exit(127);
        int out = open(run.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
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

long ScreenPixel(const ProgramRun& run, int x, int y) {
    std::string command = "import -display " + DisplayName(run) + " -window root -crop 1x1+" +
                          std::to_string(x) + "+" + std::to_string(y) + " -depth 8 rgb:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    unsigned char rgb[3];
    size_t got = std::fread(rgb, 1, 3, pipe);
    pclose(pipe);
    return got == 3 ? long(rgb[0]) << 16 | long(rgb[1]) << 8 | rgb[2] : -1;
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

std::string ProgramOutput(const ProgramRun& run) {
    std::ifstream file(run.outputPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

static void KillAndReap(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

void StopRun(ProgramRun& run) {
    KillAndReap(run.program);
    KillAndReap(run.server);
    if (!run.workDir.empty() && !std::getenv("TB_KEEP_WORK")) {
        std::string command = "rm -rf '" + run.workDir + "'";
        std::system(command.c_str());
    }
}

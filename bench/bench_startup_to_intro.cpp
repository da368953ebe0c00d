// Start-up figures of the real program on the generated issue: from the
// process start to the first intro frame, the one-time resource
// initialisation inside it, and the peak resident memory after loading.
// Prints milliseconds and KiB, and for the initialisation also the CPU time
// of the process, which a busy machine does not inflate as it does wall
// times; run under an X server (xvfb-run -a) with the dummy sound driver.
#include <GL/freeglut.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/frame.h"
#include "app/startup.h"
#include "platform/clock.h"

namespace {

double Milliseconds(int64_t from, int64_t to) { return double(to - from) * 1000.0 / double(ClockFrequency()); }

long PeakResidentKib() {
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kib = -1;
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1) break;
    if (status) std::fclose(status);
    return kib;
}

double CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec)) / 1000.0;
}

// A private copy of the issue's working directory: start-up unpacks into it.
bool EnterIssueCopy() {
    const char* binary = std::getenv("TB_BINARY_DIR");
    std::string work = "/tmp/tallyboard-bench-" + std::to_string(getpid());
    std::string command = "mkdir -p " + work + " && cp -r '" + (binary ? binary : ".") + "/issue/data' " + work;
    return std::system(command.c_str()) == 0 && chdir(work.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!EnterIssueCopy()) {
        std::fprintf(stderr, "bench_startup_to_intro: no generated issue (set TB_BINARY_DIR)\n");
        return 1;
    }
    std::freopen("/dev/null", "w", stdout);  // the program's messages; figures go to stderr
    int64_t start = ClockNow();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    EnterDisplayMode();
    InitGraphicsState();
    int64_t ready = ClockNow();

    int64_t initStart = 0, initEnd = 0;
    double initCpu = 0;
    while (Frame.SceneState != Intro) {
        int32_t before = Frame.SceneState;
        int64_t frameStart = ClockNow();
        double cpuStart = CpuMilliseconds();
        FrameDriver();
        // The frame that finishes the fade-in runs the whole initialisation.
        if (before == LoadingFadeIn && Frame.SceneState == LoadingFadeOut) {
            initStart = frameStart, initEnd = ClockNow();
            initCpu = CpuMilliseconds() - cpuStart;
        }
    }
    FrameDriver();  // the first intro frame
    int64_t firstIntroFrame = ClockNow();

    std::fprintf(stderr, "window, fonts and loading picture  %8.1f ms\n", Milliseconds(start, ready));
    std::fprintf(stderr, "resource initialisation            %8.1f ms\n", Milliseconds(initStart, initEnd));
    std::fprintf(stderr, "  its CPU time, all threads          %8.1f ms\n", initCpu);
    std::fprintf(stderr, "start to first intro frame         %8.1f ms\n", Milliseconds(start, firstIntroFrame));
    std::fprintf(stderr, "peak resident memory               %8ld KiB\n", PeakResidentKib());
    std::string cleanup = "rm -rf /tmp/tallyboard-bench-" + std::to_string(getpid());
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}

// Figures of the sound engine: the audio thread's CPU share while a module
// (and, for comparison, the MP3 stream) plays, and the cost of one spectrum
// read on the GLUT thread.
//
//   bench_audio [module-file] [google-benchmark options]
//
// Without a module file a busy four-voice test module is written and used.
// Plays on SDL's dummy driver unless SDL_AUDIODRIVER names another.
#include "audio/engine.h"
#include "sound_fixtures.h"
#include "tools/soundgen/mo3_writer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

static double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// The main thread sleeps meanwhile, so the process's CPU time is the audio
// thread's (SDL's own thread around the callback included).
static void ReportCpuShare(const char* what, uint32_t channel, double seconds) {
    StartOutput();
    PlayFromStart(channel);
    double cpuBefore = ProcessCpuSeconds();
    auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double cpu = ProcessCpuSeconds() - cpuBefore;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    StopChannel(channel);
    printf("audio thread while %s plays: %.2f %% of one core (%.1f ms CPU in %.2f s)\n", what,
           100.0 * cpu / wall, cpu * 1000.0, wall);
}

// Eight orders of 64 rows of 60 ms; on every row after the first, each of the
// four voices plays a new note of a minor pentatonic run.
static bool WriteBusyModule(const char* path) {
    TrackerSong song = TestModule(8, 64, 3);
    static const uint8_t steps[] = {0, 3, 5, 7, 10, 12, 15, 17};
    for (int row = 1; row < 64; ++row)
        for (int voice = 0; voice < 4; ++voice)
            CellAt(song.patterns[0], 4, row, voice) = {uint8_t(NoteC5 - 12 + steps[(row * 3 + voice * 5) % 8]), 1, NoVolume};
    return WriteFileBytes(path, WriteMo3(song));
}

static uint32_t SpectrumChannel = 0;

static void BM_ReadSpectrum(benchmark::State& state) {
    float spectrum[SpectrumBins];
    for (auto _ : state) {
        ReadSpectrum(SpectrumChannel, spectrum);
        benchmark::DoNotOptimize(spectrum[0]);
    }
}
BENCHMARK(BM_ReadSpectrum);

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const char* moduleFile = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::filesystem::path module = moduleFile ? std::filesystem::absolute(moduleFile) : "data/busy.mod";
    std::filesystem::path home = std::filesystem::current_path();
    const char* scratch = EnterScratchDirectory();
    if (!scratch || !WriteBusyModule("data/busy.mod") ||
        !WriteSineMp3("data/sine.mp3", 8.0, 440.0, 0.5)) {
        fputs("bench_audio: cannot write the test files\n", stderr);
        return 1;
    }
    if (!OpenSoundOutput() && !OpenSilentOutput()) {
        fputs("bench_audio: no output opens\n", stderr);
        return 1;
    }
    uint32_t music = LoadModuleFile(module.c_str());
    uint32_t stream = CreateFileStream("data/sine.mp3");
    if (!music || !stream) {
        fprintf(stderr, "bench_audio: cannot load %s\n", module.c_str());
        return 1;
    }
    printf("module: %s\n", moduleFile ? moduleFile : "four-voice test module, a note per voice per row");
    ReportCpuShare("a module", music, 5.0);
    ReportCpuShare("the MP3 stream", stream, 5.0);

    StartOutput();
    PlayFromStart(music);
    SpectrumChannel = music;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int benchArgc = moduleFile ? argc - 1 : argc;
    char** benchArgv = moduleFile ? argv + 1 : argv;
    benchmark::Initialize(&benchArgc, benchArgv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    CloseSoundOutput();
    std::filesystem::current_path(home);
    std::filesystem::remove_all(scratch);
    return 0;
}

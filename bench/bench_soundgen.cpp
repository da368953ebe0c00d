// Prints how long each sound file takes to generate and how large it is.
// Not a test: run it by hand (build target bench_soundgen).
#include "tools/soundgen/sound_files.h"

#include <chrono>
#include <cstdio>

int main()
{
    double total = 0.0;
    for (int n = 0; n < SoundFileCount; ++n) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<uint8_t> bytes = GenerateSoundFile(n);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += seconds;
        std::printf("%-22s %8zu bytes %7.3f s\n", SoundFileNames[n], bytes.size(), seconds);
    }
    std::printf("%-22s %14s %7.3f s\n", "all", "", total);
    return 0;
}

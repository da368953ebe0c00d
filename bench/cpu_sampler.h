// A small in-process CPU profiler for the frame benchmark: SIGPROF every
// half millisecond of process CPU time (the kernel coarsens that to its tick,
// often 4 ms), the interrupted instruction address kept in a fixed buffer,
// and afterwards each address sorted into our own code (the executable), the
// GL driver (Mesa, its JIT code, X), the sound libraries, or the rest. Time in
// the C runtime (the driver's memcpy) goes to its caller. Limits: at most
// 2^20 samples per measurement; later ones are counted but not classified.
#pragma once
#include <cstdint>

struct CpuShares {
    double own, driver, sound, other;  // fractions of the samples, summing to 1
    uint64_t samples;
};

void StartCpuSampling();
void StopCpuSampling();
// Forgets the samples taken so far.
void ResetCpuSamples();
CpuShares ClassifyCpuSamples();

#include "tests/effects/cpu_sampler.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/time.h>
#include <ucontext.h>

#include <atomic>
#include <cstring>

namespace {

constexpr uint32_t SampleLimit = 1u << 20;
constexpr long SampleIntervalMicroseconds = 500;

uintptr_t Samples[SampleLimit];
std::atomic<uint32_t> SampleCount{0};

void OnProfileTick(int, siginfo_t*, void* context) {
    const uint32_t index = SampleCount.fetch_add(1, std::memory_order_relaxed);
    if (index >= SampleLimit) return;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    Samples[index] = uintptr_t(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    Samples[index] = uintptr_t(uc->uc_mcontext.pc);
#else
    Samples[index] = 0;
#endif
}

void SetTimer(long microseconds) {
    itimerval timer{};
    timer.it_interval.tv_usec = microseconds;
    timer.it_value.tv_usec = microseconds;
    setitimer(ITIMER_PROF, &timer, nullptr);
}

bool NameHas(const char* name, const char* const* parts) {
    for (; *parts; ++parts)
        if (std::strstr(name, *parts)) return true;
    return false;
}

const char* const DriverLibraries[] = {"libGL", "libglapi", "mesa", "dri", "gallium", "swrast",
                                       "llvmpipe", "libLLVM", "libX", "libxcb", "libdrm", "libglut",
                                       nullptr};
const char* const SoundLibraries[] = {"libSDL", "libopenmpt", "libmpg123", "libfftw", "libasound",
                                      "libpulse", nullptr};

}  // namespace

void StartCpuSampling() {
    struct sigaction action {};
    action.sa_sigaction = OnProfileTick;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPROF, &action, nullptr);
    SetTimer(SampleIntervalMicroseconds);
}

void StopCpuSampling() { SetTimer(0); }

void ResetCpuSamples() { SampleCount.store(0); }

// Code with no symbol information (llvmpipe's JIT-compiled shaders live in
// anonymous memory) counts as the driver's.
CpuShares ClassifyCpuSamples() {
    Dl_info self{};
    dladdr(reinterpret_cast<void*>(&ClassifyCpuSamples), &self);
    uint64_t own = 0, driver = 0, sound = 0, other = 0;
    const uint32_t count = SampleCount.load() < SampleLimit ? SampleCount.load() : SampleLimit;
    for (uint32_t i = 0; i < count; ++i) {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(Samples[i]), &info) || !info.dli_fname) ++driver;
        else if (info.dli_fbase == self.dli_fbase) ++own;
        else if (NameHas(info.dli_fname, DriverLibraries)) ++driver;
        else if (NameHas(info.dli_fname, SoundLibraries)) ++sound;
        else ++other;
    }
    const double total = count ? double(count) : 1.0;
    return {own / total, driver / total, sound / total, other / total, count};
}

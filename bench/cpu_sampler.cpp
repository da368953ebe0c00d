#include "bench/cpu_sampler.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/time.h>
#include <ucontext.h>

#include <atomic>
#include <cstring>

namespace {

constexpr uint32_t SampleLimit = 1u << 20;
constexpr long SampleIntervalMicroseconds = 500;

// Interrupted instruction and the word on top of the stack: inside a leaf
// routine of the C runtime (memcpy, memset) that word is the return address,
// which tells whose copy it was.
uintptr_t Samples[SampleLimit];
uintptr_t StackTops[SampleLimit];
std::atomic<uint32_t> SampleCount{0};

void OnProfileTick(int, siginfo_t*, void* context) {
    const uint32_t index = SampleCount.fetch_add(1, std::memory_order_relaxed);
    if (index >= SampleLimit) return;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    Samples[index] = uintptr_t(uc->uc_mcontext.gregs[REG_RIP]);
    StackTops[index] = *reinterpret_cast<const uintptr_t*>(uc->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    Samples[index] = uintptr_t(uc->uc_mcontext.pc);
    StackTops[index] = uintptr_t(uc->uc_mcontext.regs[30]);  // the link register
#else
    Samples[index] = StackTops[index] = 0;
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
const char* const RuntimeLibraries[] = {"libc.so", "libm.so", "libstdc++", "libgcc", nullptr};

enum class Owner { Own, Driver, Sound, Other };

// Code with no symbol information (llvmpipe's JIT-compiled shaders live in
// anonymous memory) counts as the driver's.
Owner OwnerOf(uintptr_t address, const void* ownBase) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(address), &info) || !info.dli_fname) return Owner::Driver;
    if (info.dli_fbase == ownBase) return Owner::Own;
    if (NameHas(info.dli_fname, DriverLibraries)) return Owner::Driver;
    if (NameHas(info.dli_fname, SoundLibraries)) return Owner::Sound;
    return Owner::Other;
}

bool InRuntime(uintptr_t address) {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(address), &info) && info.dli_fname &&
           NameHas(info.dli_fname, RuntimeLibraries);
}

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

// A sample in the C or C++ runtime goes to whoever called it, by the same
// rules; one whose caller is the runtime again stays "other".
CpuShares ClassifyCpuSamples() {
    Dl_info self{};
    dladdr(reinterpret_cast<void*>(&ClassifyCpuSamples), &self);
    uint64_t counts[4] = {};
    const uint32_t count = SampleCount.load() < SampleLimit ? SampleCount.load() : SampleLimit;
    for (uint32_t i = 0; i < count; ++i) {
        Owner owner = OwnerOf(Samples[i], self.dli_fbase);
        if (owner == Owner::Other && InRuntime(Samples[i])) owner = OwnerOf(StackTops[i], self.dli_fbase);
        ++counts[int(owner)];
    }
    const double total = count ? double(count) : 1.0;
    return {counts[0] / total, counts[1] / total, counts[2] / total, counts[3] / total, count};
}

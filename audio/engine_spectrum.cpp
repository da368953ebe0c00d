// Spectrum of a channel's latest output: a Hann-windowed 1024-point real FFT
// (FFTW) on the GLUT thread, from a copy of the channel's history taken under
// the engine lock.
//
// Scale: a sine of amplitude A centred on a bin gives |X| = A x N/4 with the
// Hann window (its mean is 1/2, and a real sine splits over two bins), so the
// magnitudes are multiplied by 4/N and a full-scale sine peaks near 1.0.
#include "audio/engine_internal.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

struct SpectrumWork {
    float* samples;         // SpectrumWindow inputs, windowed in place
    fftwf_complex* bins;    // SpectrumWindow / 2 + 1 outputs
    float window[SpectrumWindow];
    fftwf_plan plan;
};

// Built on the first read and kept for the run (FFTW planning is not
// thread-safe, so it stays on this one thread).
static SpectrumWork* PrepareSpectrumWork() {
    static SpectrumWork work{};
    if (work.plan) return &work;
    work.samples = fftwf_alloc_real(SpectrumWindow);
    work.bins = fftwf_alloc_complex(SpectrumWindow / 2 + 1);
    if (!work.samples || !work.bins) return nullptr;
    const double twoPi = 6.283185307179586;
    for (int i = 0; i < SpectrumWindow; ++i)
        work.window[i] = static_cast<float>(0.5 - 0.5 * std::cos(twoPi * i / SpectrumWindow));
    work.plan = fftwf_plan_dft_r2c_1d(SpectrumWindow, work.samples, work.bins, FFTW_ESTIMATE);
    return work.plan ? &work : nullptr;
}

// Copies the history, oldest sample first; false for a channel not playing.
static bool CopyHistory(uint32_t handle, float* samples) {
    std::lock_guard<std::mutex> hold(EngineLock);
    Channel* channel = FindChannel(handle);
    if (!channel || !channel->playing) return false;
    const float* history = channel->history;
    int head = channel->historyHead;
    std::copy(history + head, history + SpectrumWindow, samples);
    std::copy(history, history + head, samples + (SpectrumWindow - head));
    return true;
}

void ReadSpectrum(uint32_t handle, float* out) {
    SpectrumWork* work = PrepareSpectrumWork();
    if (!work || !CopyHistory(handle, work->samples)) {
        std::fill(out, out + SpectrumBins, 0.0f);
        return;
    }
    for (int i = 0; i < SpectrumWindow; ++i) work->samples[i] *= work->window[i];
    fftwf_execute(work->plan);
    const float scale = 4.0f / SpectrumWindow;
    for (int k = 0; k < SpectrumBins; ++k)
        out[k] = std::hypot(work->bins[k][0], work->bins[k][1]) * scale;
}

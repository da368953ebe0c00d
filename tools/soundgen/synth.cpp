#include "tools/soundgen/synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TwoPi = 6.283185307179586;

// The saw's two discontinuities per cycle, smoothed over one sample each side
// (polyBLEP), which keeps the upper harmonics of high notes from folding back.
double PolyBlep(double phase, double increment)
{
    if (phase < increment) {
        const double t = phase / increment;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - increment) {
        const double t = (phase - 1.0) / increment;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double BandLimitedSaw(double phase, double increment)
{
    return 2.0 * phase - 1.0 - PolyBlep(phase, increment);
}

double BandLimitedSquare(double phase, double increment)
{
    const double shifted = std::fmod(phase + 0.5, 1.0);
    const double naive = phase < 0.5 ? 1.0 : -1.0;
    return naive + PolyBlep(phase, increment) - PolyBlep(shifted, increment);
}

// Chamberlin state-variable low-pass; stable while the cutoff stays below a
// sixth of the rate, which the callers clamp to.
struct LowPassState {
    double low = 0.0;
    double band = 0.0;
    double coefficient = 0.0;
};

void SetLowPassCutoff(LowPassState& state, double cutoffHz, int rate)
{
    const double clamped = std::clamp(cutoffHz, 20.0, rate / 6.0);
    state.coefficient = 2.0 * std::sin(TwoPi * 0.5 * clamped / rate);
}

double RunLowPass(LowPassState& state, double input, double resonance)
{
    const double damping = 2.0 * (1.0 - resonance);
    state.low += state.coefficient * state.band;
    const double high = input - state.low - damping * state.band;
    state.band += state.coefficient * high;
    return state.low;
}

// Attack/decay/sustain/release, advanced one sample at a time with
// multiplicative steps instead of an exp() per sample.
struct EnvelopeState {
    double decay = 1.0;      // the part above the sustain level, falling to 0
    double release = 1.0;
    double decayStep = 1.0;
    double releaseStep = 1.0;
};

EnvelopeState StartEnvelope(const SynthVoice& voice, int rate)
{
    EnvelopeState state;
    state.decayStep = std::exp(-1.0 / (voice.decaySeconds * rate));
    state.releaseStep = std::exp(-1.0 / (voice.releaseSeconds * rate));
    return state;
}

double NextEnvelope(EnvelopeState& state, const SynthVoice& voice, double t, double held)
{
    double level;
    if (t < voice.attackSeconds) {
        level = t / voice.attackSeconds;
    } else {
        level = voice.sustainLevel + (1.0 - voice.sustainLevel) * state.decay;
        state.decay *= state.decayStep;
    }
    if (t > held) {
        level *= state.release;
        state.release *= state.releaseStep;
    }
    return level;
}

double WrapPhase(double phase)
{
    return phase >= 1.0 ? phase - 1.0 : phase;
}

Signal DecayingNoise(int rate, float seconds, uint32_t seed, float decaySeconds)
{
    Signal out(static_cast<size_t>(seconds * rate));
    uint32_t state = seed;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = RandomSigned(state) * std::exp(-static_cast<float>(i) / rate / decaySeconds);
    return out;
}

// One-pole high-pass: keeps the sizzle of cymbals, drops the rumble.
void HighPass(Signal& signal, float cutoffHz, int rate)
{
    const float a = std::exp(-TwoPi * cutoffHz / rate);
    float previousIn = 0.0f;
    float previousOut = 0.0f;
    for (float& value : signal) {
        const float out = a * (previousOut + value - previousIn);
        previousIn = value;
        previousOut = out;
        value = out;
    }
}

} // namespace

uint32_t NextRandom(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float RandomSigned(uint32_t& state)
{
    return static_cast<float>(NextRandom(state) >> 8) / 8388608.0f - 1.0f;
}

double MidiFrequency(double midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

int MinorScaleNote(int tonic, int degree)
{
    static constexpr int Steps[7] = {0, 2, 3, 5, 7, 8, 10};
    const int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
    return tonic + 12 * octave + Steps[degree - 7 * octave];
}

Signal RenderSynthNote(const SynthVoice& voice, double frequency, double seconds, int rate)
{
    // The filter's cutoff moves slowly; recomputing it every few samples
    // saves a sin() and an exp() per sample without audible steps.
    constexpr int CutoffRefreshFrames = 16;
    const double total = seconds + voice.releaseSeconds * 5.0;
    Signal out(static_cast<size_t>(total * rate));
    const double increment = frequency / rate;
    const double detunedIncrement = increment * std::pow(2.0, voice.detuneCents / 1200.0);
    double phase = 0.0, detunedPhase = 0.25, subPhase = 0.0;
    LowPassState filter;
    EnvelopeState envelope = StartEnvelope(voice, rate);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        if (i % CutoffRefreshFrames == 0) {
            const double fall = std::exp(-t / voice.cutoffDecaySeconds);
            SetLowPassCutoff(filter, voice.cutoffEndHz + (voice.cutoffStartHz - voice.cutoffEndHz) * fall, rate);
        }
        double osc = voice.saw * BandLimitedSaw(phase, increment);
        if (voice.square != 0.0f)
            osc += voice.square * BandLimitedSquare(phase, increment);
        if (voice.sub != 0.0f)
            osc += voice.sub * std::sin(TwoPi * subPhase);
        if (voice.detuneCents != 0.0f)
            osc += voice.saw * BandLimitedSaw(detunedPhase, detunedIncrement);
        const double filtered = RunLowPass(filter, osc, voice.resonance);
        out[i] = static_cast<float>(filtered * NextEnvelope(envelope, voice, t, seconds));
        phase = WrapPhase(phase + increment);
        detunedPhase = WrapPhase(detunedPhase + detunedIncrement);
        subPhase = WrapPhase(subPhase + increment * 0.5);
    }
    return out;
}

// A sine whose pitch falls exponentially, with a short click on top: the
// click makes the beat audible on small speakers, the body fills the bins
// of the lowest octave.
Signal RenderKick(int rate, float seconds, float startHz, float endHz)
{
    Signal out(static_cast<size_t>(seconds * rate));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double hz = endHz + (startHz - endHz) * std::exp(-t / 0.035);
        phase += hz / rate;
        const double body = std::sin(TwoPi * phase) * std::exp(-t / (seconds * 0.35));
        const double click = std::exp(-t / 0.002) * 0.5;
        out[i] = static_cast<float>(std::tanh(1.6 * (body + click)));
    }
    return out;
}

Signal RenderSnare(int rate, float seconds, uint32_t seed)
{
    Signal out = DecayingNoise(rate, seconds, seed, seconds * 0.25f);
    HighPass(out, 900.0f, rate);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        out[i] += static_cast<float>(0.6 * std::sin(TwoPi * 185.0 * t) * std::exp(-t / 0.04));
    }
    return out;
}

Signal RenderHat(int rate, float seconds, uint32_t seed)
{
    Signal out = DecayingNoise(rate, seconds, seed, seconds * 0.22f);
    HighPass(out, 6000.0f, rate);
    HighPass(out, 6000.0f, rate);
    return out;
}

Signal RenderCrash(int rate, float seconds, uint32_t seed)
{
    Signal out = DecayingNoise(rate, seconds, seed, seconds * 0.3f);
    HighPass(out, 3000.0f, rate);
    return out;
}

Signal RenderRiser(int rate, float seconds, uint32_t seed)
{
    Signal out(static_cast<size_t>(seconds * rate));
    uint32_t state = seed;
    LowPassState filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const double progress = static_cast<double>(i) / out.size();
        if (i % 16 == 0)
            SetLowPassCutoff(filter, 200.0 * std::pow(40.0, progress), rate);
        out[i] = static_cast<float>(RunLowPass(filter, RandomSigned(state), 0.6) * progress * progress);
    }
    return out;
}

LoopedTone RenderLoopedTone(const std::vector<float>& harmonics, int periodFrames, int attackCycles,
                            int loopCycles, float attackBrightness)
{
    LoopedTone tone;
    const int cycles = attackCycles + loopCycles;
    tone.samples.resize(static_cast<size_t>(cycles) * periodFrames);
    const int usable = std::min<int>(harmonics.size(), periodFrames / 2 - 1);
    for (int cycle = 0; cycle < cycles; ++cycle) {
        // Brightness falls from the attack to 1 and stays there for the loop.
        const double remaining = cycle < attackCycles ? 1.0 - static_cast<double>(cycle) / attackCycles : 0.0;
        for (int k = 0; k < usable; ++k) {
            const double boost = 1.0 + attackBrightness * remaining * remaining * k / usable;
            const double level = harmonics[k] * boost;
            for (int i = 0; i < periodFrames; ++i) {
                const double angle = TwoPi * (k + 1) * i / periodFrames;
                tone.samples[static_cast<size_t>(cycle) * periodFrames + i] += static_cast<float>(level * std::sin(angle));
            }
        }
    }
    tone.loopStart = static_cast<uint32_t>(attackCycles) * periodFrames;
    tone.loopEnd = static_cast<uint32_t>(cycles) * periodFrames;
    return tone;
}

int16_t FloatToPcm16(float value)
{
    return static_cast<int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

void Normalise(Signal& signal, float peak)
{
    float largest = 0.0f;
    for (float value : signal)
        largest = std::max(largest, std::fabs(value));
    if (largest <= 0.0f)
        return;
    const float scale = peak / largest;
    for (float& value : signal)
        value *= scale;
}

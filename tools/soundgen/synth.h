// Sound synthesis shared by the intro soundtrack and the module samples.
// Everything renders mono float signals (nominal range -1..1) at a given
// rate; every random choice comes from an explicit seed, so the same call
// gives the same samples on every run.
#pragma once

#include <cstdint>
#include <vector>

using Signal = std::vector<float>;

// xorshift32; the state must not be 0.
uint32_t NextRandom(uint32_t& state);
float RandomSigned(uint32_t& state);  // uniform in [-1, 1)

// 69 is A4 = 440 Hz, 60 is middle C.
double MidiFrequency(double midiNote);

// The MIDI note of a degree (0 = tonic, 7 = an octave up, negative below)
// of the natural minor scale on `tonic`.
int MinorScaleNote(int tonic, int degree);

// A subtractive voice: oscillators through a resonant low-pass, with
// exponential decays for the filter and an attack/decay/sustain/release
// amplitude envelope.
struct SynthVoice {
    float saw = 1.0f;          // levels of the oscillators
    float square = 0.0f;
    float sub = 0.0f;          // sine one octave down
    float detuneCents = 0.0f;  // a second saw this far above, for width
    float cutoffStartHz = 2000.0f;
    float cutoffEndHz = 400.0f;
    float cutoffDecaySeconds = 0.2f;
    float resonance = 0.2f;    // 0..0.9
    float attackSeconds = 0.005f;
    float decaySeconds = 0.3f;
    float sustainLevel = 0.6f;
    float releaseSeconds = 0.1f;
};

// A note of `seconds` held length plus its release.
Signal RenderSynthNote(const SynthVoice& voice, double frequency, double seconds, int rate);

Signal RenderKick(int rate, float seconds, float startHz, float endHz);
Signal RenderSnare(int rate, float seconds, uint32_t seed);
Signal RenderHat(int rate, float seconds, uint32_t seed);
Signal RenderCrash(int rate, float seconds, uint32_t seed);
// Filtered noise whose cutoff and level rise over its length.
Signal RenderRiser(int rate, float seconds, uint32_t seed);

// A tone whose waveform is exactly periodic with `periodFrames` samples per
// cycle: the first cycles carry a brighter attack, the last `loopCycles`
// cycles are identical, so a tracker can loop them without a click.
// harmonics[k] is the level of harmonic k + 1 at the end; the attack adds
// `attackBrightness` times more of the upper harmonics.
struct LoopedTone {
    Signal samples;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
};
LoopedTone RenderLoopedTone(const std::vector<float>& harmonics, int periodFrames, int attackCycles,
                            int loopCycles, float attackBrightness);

// -1..1 to signed 16-bit, rounded, clipped at full scale.
int16_t FloatToPcm16(float value);

// Scales the signal so that its largest magnitude is `peak`.
void Normalise(Signal& signal, float peak);

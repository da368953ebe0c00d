// The intro soundtrack. A heartbeat and a slow pad carry the date fade-in,
// a noise riser and an accelerating heartbeat build towards the strobe,
// four stabs hit with the strobe steps, and the groove drops with the
// opening of the large picture. Impacts (a crash over a falling sub boom)
// land on the flashes and title changes; the drums leave at the picture
// fade and the bass keeps pulsing, quieter and quieter, until the end.
// The kick and the off-beat bass fill the lowest spectrum bins on every
// eighth note, which is what makes the noise flicker pulse.
#include "tools/soundgen/intro_score.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Eighth = 50;
constexpr int Beat = 100;
constexpr int Bar = 400;
constexpr double SecondsPerUnit = static_cast<double>(FramesPerClockUnit) / IntroSampleRate;

// Minor-key triads (MIDI notes around A3); the score cycles through four.
struct Triad {
    int notes[3];
};
constexpr Triad OpeningChords[4] = {{{57, 60, 64}}, {{53, 57, 60}}, {{50, 53, 57}}, {{52, 56, 59}}};  // Am F Dm E
constexpr Triad GrooveChords[4] = {{{57, 60, 64}}, {{53, 57, 60}}, {{48, 52, 55}}, {{55, 59, 62}}};   // Am F C G

// Two bars of lead melody: start and length in units, degree of A minor.
struct MelodyNote {
    int start;
    int length;
    int degree;
};
constexpr MelodyNote LeadMelody[] = {
    {0, 100, 4}, {100, 50, 3}, {150, 50, 2}, {200, 150, 0}, {350, 50, 2},
    {400, 100, 4}, {500, 100, 5}, {600, 50, 4}, {650, 50, 2}, {700, 100, 3},
};

// One stretch of the groove after the drop.
struct GrooveSection {
    int start;
    int end;
    int transpose;   // semitones; the last third of the intro lifts by a tone
    bool halfTime;   // kick on every other beat, long bass notes
    bool lead;
    bool arpeggio;
    bool sixteenthHats;
};
constexpr GrooveSection GrooveSections[] = {
    {OpeningCue, FirstFlashCue, 0, false, false, true, false},
    {FirstFlashCue, SecondFlashCue, 0, false, true, false, false},
    {SecondFlashCue, SecondTitleCue, 0, true, true, false, false},
    {SecondTitleCue, ThirdTitleCue, 2, false, true, false, true},
    {ThirdTitleCue, PictureFadeCue, 2, false, true, true, true},
};
constexpr int ImpactCues[] = {OpeningCue, FirstFlashCue, SecondFlashCue, SecondTitleCue, ThirdTitleCue, PictureFadeCue};

struct Kit {
    Signal kick, heartbeat, snare, hat, crash, boom, riser;
};

struct Mix {
    StereoSignal dry;
    StereoSignal ducked;    // pads and bass: pushed down under every kick
    StereoSignal echoSend;  // fed to the ping-pong delay
    std::vector<int> kickUnits;
};

Kit MakeKit()
{
    const int rate = IntroSampleRate;
    Kit kit;
    kit.kick = RenderKick(rate, 0.35f, 150.0f, 48.0f);
    kit.heartbeat = RenderKick(rate, 0.3f, 90.0f, 42.0f);
    kit.snare = RenderSnare(rate, 0.25f, 0x51A3E1u);
    kit.hat = RenderHat(rate, 0.06f, 0x4A7u);
    kit.crash = RenderCrash(rate, 2.2f, 0xC4A5Bu);
    kit.boom = RenderKick(rate, 1.6f, 70.0f, 28.0f);
    kit.riser = RenderRiser(rate, (StrobeCue - 2350) * SecondsPerUnit, 0x215Eu);
    return kit;
}

// Equal-power pan, -1 left .. 1 right.
void Place(StereoSignal& bus, const Signal& sound, double unit, float gain, float pan)
{
    const size_t start = static_cast<size_t>(unit * FramesPerClockUnit);
    if (start >= bus.left.size())
        return;
    const float left = gain * std::sqrt(0.5f * (1.0f - pan));
    const float right = gain * std::sqrt(0.5f * (1.0f + pan));
    const size_t count = std::min(sound.size(), bus.left.size() - start);
    for (size_t i = 0; i < count; ++i) {
        bus.left[start + i] += sound[i] * left;
        bus.right[start + i] += sound[i] * right;
    }
}

void PlaceWithEcho(Mix& mix, const Signal& sound, double unit, float gain, float pan, float echo)
{
    Place(mix.dry, sound, unit, gain, pan);
    Place(mix.echoSend, sound, unit, gain * echo, pan);
}

// The intro's four synthesiser voices (fields in SynthVoice's order).
constexpr SynthVoice PadVoice{.detuneCents = 9.0f, .cutoffStartHz = 900.0f, .cutoffEndHz = 1400.0f,
                              .cutoffDecaySeconds = 1.5f, .attackSeconds = 0.6f, .decaySeconds = 1.0f,
                              .sustainLevel = 0.8f, .releaseSeconds = 0.5f};
constexpr SynthVoice BassVoice{.saw = 0.6f, .sub = 1.0f, .cutoffStartHz = 1200.0f, .cutoffEndHz = 180.0f,
                               .cutoffDecaySeconds = 0.08f, .resonance = 0.4f, .decaySeconds = 0.12f,
                               .sustainLevel = 0.2f, .releaseSeconds = 0.03f};
constexpr SynthVoice LeadVoice{.saw = 0.5f, .square = 0.5f, .detuneCents = 6.0f, .cutoffStartHz = 4000.0f,
                               .cutoffEndHz = 1800.0f, .cutoffDecaySeconds = 0.3f, .decaySeconds = 0.4f,
                               .sustainLevel = 0.7f, .releaseSeconds = 0.15f};
constexpr SynthVoice PluckVoice{.saw = 0.3f, .square = 0.7f, .cutoffStartHz = 5000.0f, .cutoffEndHz = 500.0f,
                                .cutoffDecaySeconds = 0.06f, .decaySeconds = 0.12f, .sustainLevel = 0.0f,
                                .releaseSeconds = 0.05f};

void AddNote(Mix& mix, const SynthVoice& voice, double midiNote, int unit, int lengthUnits, float gain, float pan,
             float echo)
{
    const Signal note = RenderSynthNote(voice, MidiFrequency(midiNote), lengthUnits * SecondsPerUnit, IntroSampleRate);
    PlaceWithEcho(mix, note, unit, gain, pan, echo);
}

// Pads and bass go through the ducked bus, which the kicks pump; they stay
// out of the echo, whose repeats would fill the gaps between the pulses.
void AddDuckedNote(Mix& mix, const SynthVoice& voice, double midiNote, int unit, int lengthUnits, float gain, float pan)
{
    const Signal note = RenderSynthNote(voice, MidiFrequency(midiNote), lengthUnits * SecondsPerUnit, IntroSampleRate);
    Place(mix.ducked, note, unit, gain, pan);
}

void AddKick(Mix& mix, const Signal& kick, int unit, float gain)
{
    Place(mix.dry, kick, unit, gain, 0.0f);
    mix.kickUnits.push_back(unit);
}

void AddPadChord(Mix& mix, const Triad& chord, int transpose, int unit, int lengthUnits, float gain)
{
    constexpr float Pans[3] = {-0.4f, 0.0f, 0.4f};
    for (int i = 0; i < 3; ++i)
        AddDuckedNote(mix, PadVoice, chord.notes[i] + transpose, unit, lengthUnits, gain, Pans[i]);
}

// Lub-dub pairs, `interval` units apart, softer when far from the build.
void AddHeartbeat(Mix& mix, const Kit& kit, int from, int to, int interval, float gain)
{
    for (int unit = from; unit < to; unit += interval) {
        AddKick(mix, kit.heartbeat, unit, gain);
        AddKick(mix, kit.heartbeat, unit + 28, gain * 0.6f);
    }
}

void AddArpeggio(Mix& mix, const Triad* chords, int transpose, int from, int to, int chordOrigin, float gain)
{
    constexpr int Steps[4] = {0, 1, 2, 1};
    for (int unit = from; unit < to; unit += Eighth) {
        const Triad& chord = chords[((unit - chordOrigin) / Bar) % 4];
        const int step = ((unit - from) / Eighth) % 4;
        AddNote(mix, PluckVoice, chord.notes[Steps[step]] + 12 + transpose, unit, Eighth, gain, 0.35f, 0.5f);
    }
}

void AddOpening(Mix& mix, const Kit& kit)
{
    for (int unit = 0, chord = 0; unit < StrobeCue; unit += Bar, ++chord) {
        const float swell = std::min(1.0f, 0.3f + unit / 2000.0f);
        AddPadChord(mix, OpeningChords[chord % 4], -12, unit, std::min(Bar, StrobeCue - unit), 0.16f * swell);
    }
    AddHeartbeat(mix, kit, 100, 2350, 2 * Beat, 0.8f);
    AddHeartbeat(mix, kit, 2350, 2710, Beat, 0.9f);
    AddHeartbeat(mix, kit, 2710, StrobeCue, Eighth, 1.0f);
    AddArpeggio(mix, OpeningChords, -12, 1550, StrobeCue, 0, 0.10f);
    Place(mix.dry, kit.riser, 2350, 0.35f, 0.0f);
    for (int unit = 2710; unit < StrobeCue; unit += Eighth / 2)
        Place(mix.dry, kit.snare, unit, 0.15f + 0.35f * (unit - 2710) / 200.0f, 0.1f);
}

// One chord stab per strobe step (10 units apart), then a breath before the drop.
void AddStrobeStabs(Mix& mix, const Kit& kit)
{
    for (int step = 0; step < 4; ++step) {
        const int unit = StrobeCue + step * 10;
        for (int note : GrooveChords[0].notes)
            AddNote(mix, PluckVoice, note + (step % 2) * 12, unit, 8, 0.18f, step % 2 ? 0.5f : -0.5f, 0.4f);
        Place(mix.dry, kit.hat, unit, 0.5f, 0.2f);
        AddKick(mix, kit.heartbeat, unit, 0.6f);
    }
}

void AddImpacts(Mix& mix, const Kit& kit)
{
    for (int cue : ImpactCues) {
        Place(mix.dry, kit.crash, cue, 0.35f, -0.2f);
        Place(mix.dry, kit.crash, cue + 1, 0.35f, 0.2f);
        Place(mix.dry, kit.boom, cue, 0.9f, 0.0f);
    }
}

void AddDrums(Mix& mix, const Kit& kit, const GrooveSection& section)
{
    const int kickStep = section.halfTime ? 2 * Beat : Beat;
    const int hatStep = section.sixteenthHats ? Eighth / 2 : Eighth;
    for (int unit = section.start; unit < section.end; unit += kickStep)
        AddKick(mix, kit.kick, unit, 0.95f);
    for (int unit = section.start + kickStep; unit < section.end; unit += 2 * kickStep)
        Place(mix.dry, kit.snare, unit, 0.45f, 0.1f);
    for (int unit = section.start; unit < section.end; unit += hatStep) {
        const bool offBeat = (unit - OpeningCue) % Beat != 0;
        Place(mix.dry, kit.hat, unit, offBeat ? 0.3f : 0.15f, 0.3f);
    }
}

// Off-beat eighths (the kick owns the beat), or one long note per beat in
// half time; each note starts with a filter snap so the low bins jump.
void AddBass(Mix& mix, const GrooveSection& section)
{
    const int step = section.halfTime ? Beat : Eighth;
    for (int unit = section.start; unit < section.end; unit += step) {
        const bool onBeat = (unit - OpeningCue) % Beat == 0;
        if (!section.halfTime && onBeat)
            continue;
        const Triad& chord = GrooveChords[((unit - section.start) / Bar) % 4];
        AddDuckedNote(mix, BassVoice, chord.notes[0] - 24 + section.transpose, unit, step / 2 + 5, 0.6f, 0.0f);
    }
}

void AddLead(Mix& mix, const GrooveSection& section)
{
    for (int phrase = section.start; phrase < section.end; phrase += 2 * Bar) {
        for (const MelodyNote& note : LeadMelody) {
            const int unit = phrase + note.start;
            if (unit >= section.end)
                break;
            const int midi = MinorScaleNote(69, note.degree) + section.transpose;
            AddNote(mix, LeadVoice, midi, unit, note.length - 5, 0.12f, -0.15f, 0.6f);
        }
    }
}

void AddGroove(Mix& mix, const Kit& kit, const GrooveSection& section)
{
    for (int unit = section.start; unit < section.end; unit += Bar) {
        const Triad& chord = GrooveChords[((unit - section.start) / Bar) % 4];
        AddPadChord(mix, chord, section.transpose - 12, unit, std::min(Bar, section.end - unit), 0.11f);
    }
    AddDrums(mix, kit, section);
    AddBass(mix, section);
    if (section.lead)
        AddLead(mix, section);
    if (section.arpeggio)
        AddArpeggio(mix, GrooveChords, section.transpose, section.start, section.end, section.start, 0.08f);
}

// The drums have gone; bass on every beat and the pad fade with the picture.
void AddOutro(Mix& mix)
{
    constexpr int Transpose = 2;
    for (int unit = PictureFadeCue; unit < IntroEndCue; unit += Beat) {
        const float fade = 1.0f - 0.8f * (unit - PictureFadeCue) / static_cast<float>(IntroEndCue - PictureFadeCue);
        const Triad& chord = GrooveChords[((unit - PictureFadeCue) / Bar) % 4];
        AddDuckedNote(mix, BassVoice, chord.notes[0] - 24 + Transpose, unit, Beat - 10, 0.6f * fade, 0.0f);
        if ((unit - PictureFadeCue) % Bar == 0)
            AddPadChord(mix, chord, Transpose - 12, unit, Bar, 0.12f * fade);
    }
    AddPadChord(mix, GrooveChords[0], Transpose - 12, IntroEndCue, 300, 0.06f);
}

// Side-chain pumping: the ducked bus drops to a fifth under each kick and
// recovers within about a tenth of a second, so the low bins empty out
// between the beats and the flicker has a deep pulse to follow.
void ApplyDucking(Mix& mix)
{
    constexpr float Depth = 0.9f;
    constexpr float RecoverySeconds = 0.15f;
    const size_t span = static_cast<size_t>(0.4f * IntroSampleRate);
    Signal gain(mix.ducked.left.size(), 1.0f);
    for (int unit : mix.kickUnits) {
        const size_t start = static_cast<size_t>(unit) * FramesPerClockUnit;
        for (size_t i = 0; i < span && start + i < gain.size(); ++i) {
            const float duck = 1.0f - Depth * std::exp(-static_cast<float>(i) / (RecoverySeconds * IntroSampleRate));
            gain[start + i] = std::min(gain[start + i], duck);
        }
    }
    for (size_t i = 0; i < gain.size(); ++i) {
        mix.dry.left[i] += mix.ducked.left[i] * gain[i];
        mix.dry.right[i] += mix.ducked.right[i] * gain[i];
    }
}

// Ping-pong delay of a dotted eighth: left feeds right and back.
void ApplyEcho(Mix& mix)
{
    const size_t delay = static_cast<size_t>(Eighth * 3 / 2) * FramesPerClockUnit;
    StereoSignal& send = mix.echoSend;
    for (size_t i = delay; i < send.left.size(); ++i) {
        send.left[i] += 0.4f * send.right[i - delay];
        send.right[i] += 0.4f * send.left[i - delay];
    }
    for (size_t i = delay; i < send.left.size(); ++i) {
        mix.dry.left[i] += send.right[i - delay];
        mix.dry.right[i] += send.left[i - delay];
    }
}

void NormaliseStereo(StereoSignal& signal, float peak)
{
    float largest = 0.0f;
    for (size_t i = 0; i < signal.left.size(); ++i)
        largest = std::max({largest, std::fabs(signal.left[i]), std::fabs(signal.right[i])});
    if (largest <= 0.0f)
        return;
    for (size_t i = 0; i < signal.left.size(); ++i) {
        signal.left[i] *= peak / largest;
        signal.right[i] *= peak / largest;
    }
}

} // namespace

StereoSignal ComposeIntro()
{
    const size_t frames = static_cast<size_t>(IntroLengthUnits) * FramesPerClockUnit;
    Mix mix;
    mix.dry.left.assign(frames, 0.0f);
    mix.dry.right.assign(frames, 0.0f);
    mix.ducked = mix.dry;
    mix.echoSend = mix.dry;
    const Kit kit = MakeKit();
    AddOpening(mix, kit);
    AddStrobeStabs(mix, kit);
    for (const GrooveSection& section : GrooveSections)
        AddGroove(mix, kit, section);
    AddImpacts(mix, kit);
    AddOutro(mix);
    ApplyDucking(mix);
    ApplyEcho(mix);
    NormaliseStereo(mix.dry, 0.89f);
    return mix.dry;
}

#include "tools/soundgen/song_composer.h"

#include "tools/soundgen/synth.h"

#include <algorithm>
#include <string>

namespace {

constexpr int DrumRate = 22050;
constexpr int TonePeriodFrames = 64;  // samples per cycle of the tonal samples
constexpr double MiddleCHz = 261.6255653;
// Tonal samples sound middle C at C-5; one tracker note is one semitone.
constexpr uint32_t ToneC5Speed = static_cast<uint32_t>(MiddleCHz * TonePeriodFrames + 0.5);

constexpr int Channels = 8;
constexpr int RowsPerBar = 16;
constexpr int BarsPerPattern = 4;
constexpr int PatternRows = RowsPerBar * BarsPerPattern;

enum Channel { KickChannel, SnareChannel, HatChannel, BassChannel, ChordChannel, LeadChannel = 7 };
enum SampleNumber { KickSample = 1, SnareSample, HatSample, CrashSample, BassSample, ChordSample, LeadSample };

// Rhythms are 16 bits, one per row of a bar, row 0 in the highest bit.
struct SongPlan {
    const char* title;
    int tempo;
    int bassRootMidi;         // tonic of the key, in the bass octave
    int progression[4];       // chord roots as degrees of the natural minor scale, one per bar
    uint16_t kickRhythm;
    uint16_t snareRhythm;
    uint16_t hatRhythm;
    uint16_t bassRhythm;
    bool chordStabs;          // short off-beat chords instead of held ones
    float leadOddness;        // 0 saw-like lead .. 1 square-like (odd harmonics only)
    uint32_t seed;
    const char* arrangement;  // I intro, A main, B main with lead, K break, O outro
};

constexpr SongPlan SongPlans[SongCount] = {
    {"orrin-tb15b", 125, 45, {0, 5, 2, 6}, 0x8888, 0x0808, 0xAAAA, 0x9292, false, 0.8f, 0x0A11CEu, "IAABBKABBO"},
    {"Zanthe", 138, 38, {0, 3, 6, 4}, 0x8A22, 0x0808, 0xFFFF, 0xB6B6, true, 0.3f, 0x2A47Eu, "IIAABBKKAABBO"},
    {"orn-tb15", 112, 43, {0, 6, 5, 4}, 0x8880, 0x0809, 0xAAAA, 0x8A8A, false, 1.0f, 0x0B15u, "IABBKABO"},
    {"fourth place", 130, 40, {5, 6, 0, 0}, 0x8888, 0x0808, 0x2222, 0xEEEE, true, 0.5f, 0x4F4Bu, "IAABBKBBAO"},
};

uint8_t TrackerNote(int midi)
{
    return static_cast<uint8_t>(std::clamp(midi + 1, 1, static_cast<int>(HighestNote)));
}

bool RhythmHit(uint16_t rhythm, int row)
{
    return (rhythm >> (RowsPerBar - 1 - row % RowsPerBar)) & 1;
}

std::vector<int16_t> ToPcm16(const Signal& signal)
{
    std::vector<int16_t> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        pcm[i] = FloatToPcm16(signal[i]);
    return pcm;
}

TrackerSample OneShot(const char* name, Signal signal, uint8_t volume, uint16_t pan)
{
    Normalise(signal, 0.95f);
    TrackerSample sample;
    sample.name = name;
    sample.pcm = ToPcm16(signal);
    sample.c5Speed = DrumRate;
    sample.volume = volume;
    sample.pan = pan;
    return sample;
}

TrackerSample Tone(const char* name, const std::vector<float>& harmonics, float attackBrightness, uint8_t volume,
                   uint16_t pan)
{
    LoopedTone tone = RenderLoopedTone(harmonics, TonePeriodFrames, 12, 16, attackBrightness);
    Normalise(tone.samples, 0.95f);
    TrackerSample sample;
    sample.name = name;
    sample.pcm = ToPcm16(tone.samples);
    sample.c5Speed = ToneC5Speed;
    sample.volume = volume;
    sample.pan = pan;
    sample.loop = true;
    sample.loopStart = tone.loopStart;
    sample.loopEnd = tone.loopEnd;
    return sample;
}

// Harmonic k + 1 of a saw is 1/(k + 1); `oddness` fades out the even ones
// towards a square, `rolloff` is where a gentle low-pass starts.
std::vector<float> Harmonics(int count, float oddness, float rolloff)
{
    std::vector<float> levels(count);
    for (int k = 0; k < count; ++k) {
        const int harmonic = k + 1;
        const float evenScale = harmonic % 2 == 0 ? 1.0f - oddness : 1.0f;
        levels[k] = evenScale / harmonic / (1.0f + (harmonic / rolloff) * (harmonic / rolloff));
    }
    return levels;
}

std::vector<TrackerSample> MakeSamples(const SongPlan& plan)
{
    std::vector<float> bass = Harmonics(24, 0.2f, 5.0f);
    bass[0] *= 2.0f;  // a strong fundamental for the low end
    return {
        OneShot("kick", RenderKick(DrumRate, 0.3f, 160.0f, 50.0f), 64, 128),
        OneShot("snare", RenderSnare(DrumRate, 0.22f, plan.seed | 1u), 48, 140),
        OneShot("hat", RenderHat(DrumRate, 0.05f, (plan.seed >> 1) | 1u), 26, 176),
        OneShot("crash", RenderCrash(DrumRate, 1.5f, (plan.seed >> 2) | 1u), 34, 96),
        Tone("bass", bass, 4.0f, 52, 128),
        Tone("chord", Harmonics(14, 0.0f, 6.0f), 1.0f, 16, 128),
        Tone("lead", Harmonics(16, plan.leadOddness, 9.0f), 2.0f, 26, 108),
    };
}

TrackerCell& Cell(TrackerPattern& pattern, int row, int channel)
{
    return CellAt(pattern, Channels, row, channel);
}

void SetNote(TrackerPattern& pattern, int row, int channel, uint8_t note, uint8_t sample, uint8_t volume = NoVolume)
{
    if (row < 0 || row >= pattern.rows)
        return;
    TrackerCell& cell = Cell(pattern, row, channel);
    cell.note = note;
    cell.sample = sample;
    cell.volume = volume;
}

void CutNote(TrackerPattern& pattern, int row, int channel)
{
    if (row < pattern.rows && Cell(pattern, row, channel).note == NoNote)
        Cell(pattern, row, channel).note = NoteCut;
}

int ChordRoot(const SongPlan& plan, int bar)
{
    return plan.progression[bar % 4];
}

void AddDrums(TrackerPattern& pattern, const SongPlan& plan, int firstRow, int endRow, bool withKick)
{
    for (int row = firstRow; row < endRow; ++row) {
        if (withKick && RhythmHit(plan.kickRhythm, row))
            SetNote(pattern, row, KickChannel, NoteC5, KickSample);
        if (withKick && RhythmHit(plan.snareRhythm, row))
            SetNote(pattern, row, SnareChannel, NoteC5, SnareSample);
        if (RhythmHit(plan.hatRhythm, row))
            SetNote(pattern, row, HatChannel, NoteC5, HatSample, row % 4 == 2 ? 34 : 22);
    }
}

void AddBass(TrackerPattern& pattern, const SongPlan& plan, int firstRow, int endRow, bool longNotes)
{
    for (int row = firstRow; row < endRow; ++row) {
        const int root = MinorScaleNote(plan.bassRootMidi, ChordRoot(plan, row / RowsPerBar));
        if (longNotes) {
            if (row % RowsPerBar == 0)
                SetNote(pattern, row, BassChannel, TrackerNote(root), BassSample);
            continue;
        }
        if (!RhythmHit(plan.bassRhythm, row))
            continue;
        const bool octaveUp = row % 8 == 6;
        SetNote(pattern, row, BassChannel, TrackerNote(root + (octaveUp ? 12 : 0)), BassSample);
        if (!RhythmHit(plan.bassRhythm, row + 1))
            CutNote(pattern, row + 2 < endRow ? row + 2 : row + 1, BassChannel);
    }
}

void AddChordTones(TrackerPattern& pattern, const SongPlan& plan, int row, int degree)
{
    const int tonic = plan.bassRootMidi + 12;  // chords sit an octave above the bass
    for (int voice = 0; voice < 3; ++voice)
        SetNote(pattern, row, ChordChannel + voice, TrackerNote(MinorScaleNote(tonic, degree + 2 * voice)), ChordSample);
}

void AddChords(TrackerPattern& pattern, const SongPlan& plan, int firstBar, int endBar)
{
    for (int bar = firstBar; bar < endBar; ++bar) {
        const int degree = ChordRoot(plan, bar);
        if (!plan.chordStabs) {
            AddChordTones(pattern, plan, bar * RowsPerBar, degree);
            continue;
        }
        for (int beat = 0; beat < 4; ++beat) {
            const int row = bar * RowsPerBar + beat * 4 + 2;
            AddChordTones(pattern, plan, row, degree);
            for (int voice = 0; voice < 3; ++voice)
                CutNote(pattern, row + 1, ChordChannel + voice);
        }
    }
}

// A random walk over the scale, pulled to chord tones on the beats; notes
// fall on eighths and are cut before a rest so the looped sample stops.
void AddLead(TrackerPattern& pattern, const SongPlan& plan, uint32_t seed)
{
    uint32_t state = seed | 1u;
    int degree = 7;
    const int tonic = plan.bassRootMidi + 12;  // degrees 7..16: the octave above the chords
    for (int row = 0; row < pattern.rows; row += 2) {
        const uint32_t roll = NextRandom(state) % 100;
        if (roll < 35) {
            CutNote(pattern, row, LeadChannel);
            continue;
        }
        degree = std::clamp(degree + static_cast<int>(NextRandom(state) % 5) - 2, 4, 12);
        if (row % 4 == 0) {
            const int chordRoot = ChordRoot(plan, row / RowsPerBar);
            degree = chordRoot + 7 + 2 * static_cast<int>(NextRandom(state) % 3);
        }
        SetNote(pattern, row, LeadChannel, TrackerNote(MinorScaleNote(tonic, degree)), LeadSample);
    }
}

void CutEverything(TrackerPattern& pattern, int row)
{
    for (int channel = 0; channel < Channels; ++channel)
        CutNote(pattern, row, channel);
}

TrackerPattern BuildPattern(const SongPlan& plan, char kind, uint32_t seed)
{
    TrackerPattern pattern;
    pattern.rows = PatternRows;
    pattern.cells.assign(static_cast<size_t>(PatternRows) * Channels, TrackerCell{});
    switch (kind) {
    case 'I':
        AddDrums(pattern, plan, 0, PatternRows, false);
        AddChords(pattern, plan, 0, BarsPerPattern);
        AddBass(pattern, plan, 2 * RowsPerBar, PatternRows, true);
        break;
    case 'A':
    case 'B':
        AddDrums(pattern, plan, 0, PatternRows, true);
        SetNote(pattern, 0, HatChannel, NoteC5, CrashSample);
        AddBass(pattern, plan, 0, PatternRows, false);
        AddChords(pattern, plan, 0, BarsPerPattern);
        if (kind == 'B')
            AddLead(pattern, plan, seed);
        break;
    case 'K':
        AddDrums(pattern, plan, 0, PatternRows, false);
        AddBass(pattern, plan, 0, PatternRows, true);
        AddChords(pattern, plan, 0, BarsPerPattern);
        AddLead(pattern, plan, seed ^ 0x5A5Au);
        break;
    default:  // 'O': two bars of groove, a last tonic chord, silence
        AddDrums(pattern, plan, 0, 2 * RowsPerBar, true);
        AddBass(pattern, plan, 0, 2 * RowsPerBar, false);
        AddChords(pattern, plan, 0, 2);
        CutEverything(pattern, 2 * RowsPerBar);
        SetNote(pattern, 2 * RowsPerBar, KickChannel, NoteC5, KickSample);
        SetNote(pattern, 2 * RowsPerBar, HatChannel, NoteC5, CrashSample);
        SetNote(pattern, 2 * RowsPerBar, BassChannel, TrackerNote(plan.bassRootMidi), BassSample);
        AddChordTones(pattern, plan, 2 * RowsPerBar, 0);
        CutEverything(pattern, PatternRows - 4);
        break;
    }
    return pattern;
}

} // namespace

TrackerSong ComposeSong(int index)
{
    const SongPlan& plan = SongPlans[std::clamp(index, 0, SongCount - 1)];
    TrackerSong song;
    song.title = plan.title;
    song.channels = Channels;
    song.speed = 6;
    song.tempo = plan.tempo;
    song.samples = MakeSamples(plan);
    std::string kinds;  // pattern n is built from kinds[n]
    for (const char* step = plan.arrangement; *step; ++step) {
        size_t pattern = kinds.find(*step);
        if (pattern == std::string::npos) {
            pattern = kinds.size();
            kinds += *step;
            song.patterns.push_back(BuildPattern(plan, *step, plan.seed * 31u + static_cast<uint32_t>(pattern)));
        }
        song.orders.push_back(static_cast<uint8_t>(pattern));
    }
    return song;
}

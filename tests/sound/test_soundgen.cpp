// The sound generator's files read back as the program's libraries read
// them: the MO3 writer through libopenmpt (what it decodes from our bytes
// must be exactly the song we wrote), then the composed modules and the
// intro soundtrack, which must be the bytes the build shipped.
#include "tests/audio/sound_fixtures.h"
#include "tools/soundgen/intro_score.h"
#include "tools/soundgen/mo3_writer.h"
#include "tools/soundgen/mp3_encoder.h"
#include "tools/soundgen/song_composer.h"
#include "tools/soundgen/sound_files.h"

#include <fftw3.h>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <numeric>

namespace {

using Module = std::unique_ptr<openmpt_module, decltype(&openmpt_module_destroy)>;

Module Load(const std::vector<uint8_t>& bytes) {
    return Module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                     nullptr, nullptr, nullptr, nullptr),
                  openmpt_module_destroy);
}

// Cells (and pattern lengths) the module reads back differently from the song.
int CellMismatches(openmpt_module* module, const TrackerSong& song) {
    int mismatches = 0;
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const TrackerPattern& pattern = song.patterns[p];
        if (openmpt_module_get_pattern_num_rows(module, p) != pattern.rows) {
            ++mismatches;
            continue;
        }
        for (int i = 0; i < pattern.rows * song.channels; ++i) {
            const TrackerCell& cell = pattern.cells[static_cast<size_t>(i)];
            auto read = [&](int what) {
                return openmpt_module_get_pattern_row_channel_command(module, p, i / song.channels, i % song.channels,
                                                                      what);
            };
            mismatches += read(OPENMPT_MODULE_COMMAND_NOTE) != cell.note ||
                          read(OPENMPT_MODULE_COMMAND_INSTRUMENT) != cell.sample ||
                          (cell.volume != NoVolume && read(OPENMPT_MODULE_COMMAND_VOLUME) != cell.volume);
        }
    }
    return mismatches;
}

// Rendered with nearest-sample interpolation until it stops.
struct Rendered {
    size_t frames = 0;
    size_t crossings = 0;  // zero crossings of the left channel
    float peak = 0.0f;     // of both channels
};

Rendered RenderToEnd(openmpt_module* module, int rate) {
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
    Rendered figures;
    std::vector<float> left(4096), right(4096);
    float previous = 0.0f;
    while (size_t got = openmpt_module_read_float_stereo(module, rate, left.size(), left.data(), right.data())) {
        for (size_t i = 0; i < got; ++i) {
            figures.crossings += (left[i] < 0.0f) != (previous < 0.0f) && std::fabs(left[i] - previous) > 1e-4f;
            figures.peak = std::max({figures.peak, std::fabs(left[i]), std::fabs(right[i])});
            previous = left[i];
        }
        figures.frames += got;
    }
    return figures;
}

// Two empty patterns of `rows` rows played as 0, 1, 0; sample 1 is a looped
// 441 Hz sine at C-5 (C5 speed 22050), sample 2 a one-shot of 200 frames.
TrackerSong SmallSong(int channels, int rows) {
    TrackerSong song;
    song.channels = channels;
    song.samples = {SineSample(50, 4, true), SineSample(25, 8, false)};
    TrackerPattern pattern{rows, std::vector<TrackerCell>(static_cast<size_t>(rows) * channels)};
    song.patterns = {pattern, pattern};
    song.orders = {0, 1, 0};
    return song;
}

std::vector<uint8_t> Shipped(int n) {
    std::ifstream in(std::string(TB_ISSUE_SOUND_DIR "/") + SoundFileNames[n], std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The mean magnitude of the 10 lowest of 512 bins of 1024-frame Hann-windowed
// FFTs of the left+right average, as the noise flicker reads it, one value
// per intro clock unit. A full-scale sine puts 1.0 into its bin.
std::vector<float> BassTrace(const StereoSignal& audio) {
    constexpr int FftFrames = 1024, BassBins = 10;
    std::vector<float> trace;
    std::vector<float> input(FftFrames);
    std::vector<fftwf_complex> spectrum(FftFrames / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(FftFrames, input.data(), spectrum.data(), FFTW_ESTIMATE);
    for (size_t start = 0; start + FftFrames <= audio.left.size(); start += FramesPerClockUnit) {
        for (int i = 0; i < FftFrames; ++i) {
            const float hann = 0.5f - 0.5f * std::cos(6.2831853f * i / FftFrames);
            input[i] = hann * 0.5f * (audio.left[start + i] + audio.right[start + i]);
        }
        fftwf_execute(plan);
        float sum = 0.0f;
        for (int bin = 0; bin < BassBins; ++bin) sum += std::hypot(spectrum[bin][0], spectrum[bin][1]) * 4 / FftFrames;
        trace.push_back(sum / BassBins);
    }
    fftwf_destroy_plan(plan);
    return trace;
}

}  // namespace

// Long empty runs (more than one entry can cover), notes at the first and
// last row, cuts, volumes, every channel busy on one row, two patterns that
// share tracks, and patterns of one row and of the most rows.
TEST(Mo3Writer, SongSurvivesTheRoundTrip) {
    TrackerSong song = SmallSong(5, 64);
    song.speed = 4;
    song.tempo = 150;
    TrackerPattern& first = song.patterns[0];
    CellAt(first, 5, 0, 0) = {NoteC5, 1, 64};
    CellAt(first, 5, 1, 0).note = NoteCut;
    CellAt(first, 5, 63, 4) = {HighestNote, 2, 0};
    CellAt(first, 5, 40, 1) = {1, 2, NoVolume};
    for (int channel = 0; channel < 5; ++channel)
        CellAt(first, 5, 20, channel) = {static_cast<uint8_t>(30 + channel), 1, static_cast<uint8_t>(channel * 10)};
    CellAt(first, 5, 21, 2).volume = 33;  // a volume alone
    song.patterns[1] = first;
    CellAt(song.patterns[1], 5, 5, 2) = {50, 2, NoVolume};
    Module module = Load(WriteMo3(song));
    ASSERT_TRUE(module);
    EXPECT_EQ(openmpt_module_get_num_channels(module.get()), 5);
    EXPECT_EQ(openmpt_module_get_order_pattern(module.get(), 1), 1);
    // 3 orders × 64 rows × 4 ticks at 2.5 / 150 s per tick.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(module.get()), 3 * 64 * 4 * 2.5 / 150, 1e-3);
    EXPECT_EQ(CellMismatches(module.get(), song), 0);

    TrackerSong extremes = SmallSong(1, 1);
    extremes.patterns[0].cells[0] = {NoteC5, 1, NoVolume};
    extremes.patterns[1] = {MaxPatternRows, std::vector<TrackerCell>(MaxPatternRows)};
    extremes.patterns[1].cells[MaxPatternRows - 1] = {NoteC5, 2, NoVolume};
    Module reloaded = Load(WriteMo3(extremes));
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(CellMismatches(reloaded.get(), extremes), 0);
}

// The looped sample sounds at 441 Hz for the whole pattern while the
// one-shot falls silent after 9 ms.
TEST(Mo3Writer, SamplesPlayAtTheirC5SpeedAndLoop) {
    TrackerSong song = SmallSong(1, 64);
    song.orders = {0};
    song.patterns[0].cells[0] = {NoteC5, 1, NoVolume};
    Module looped = Load(WriteMo3(song));
    song.patterns[0].cells[0].sample = 2;
    Module oneShot = Load(WriteMo3(song));
    ASSERT_TRUE(looped && oneShot);
    const Rendered loop = RenderToEnd(looped.get(), 44100), shot = RenderToEnd(oneShot.get(), 44100);
    EXPECT_NEAR(loop.crossings * 44100.0 / loop.frames / 2, 441.0, 441.0 * 0.02);
    EXPECT_LT(shot.crossings, loop.crossings / 20);
    EXPECT_GT(shot.peak, 0.05f);
}

TEST(Mo3Writer, IllFormedSongsAreRefused) {
    const TrackerSong good = SmallSong(2, 16);
    ASSERT_TRUE(ValidateTrackerSong(good));
    const std::pair<const char*, std::function<void(TrackerSong&)>> faults[] = {
        {"no channels", [](TrackerSong& s) { s.channels = 0; }},
        {"too many channels", [](TrackerSong& s) { s.channels = MaxSongChannels + 1; }},
        {"order of a missing pattern", [](TrackerSong& s) { s.orders.push_back(2); }},
        {"no orders", [](TrackerSong& s) { s.orders.clear(); }},
        {"missing sample", [](TrackerSong& s) { s.patterns[0].cells[3].sample = 3; }},
        {"volume above 64", [](TrackerSong& s) { s.patterns[0].cells[3].volume = 65; }},
        {"note above B-9", [](TrackerSong& s) { s.patterns[0].cells[3].note = HighestNote + 1; }},
        {"pattern of no rows", [](TrackerSong& s) { s.patterns[1] = {0, {}}; }},
        {"cells short of rows × channels", [](TrackerSong& s) { s.patterns[1].cells.pop_back(); }},
        {"loop past the sample end", [](TrackerSong& s) { s.samples[0].loopEnd = s.samples[0].pcm.size() + 1; }},
        {"empty sample", [](TrackerSong& s) { s.samples[1].pcm.clear(); }},
        {"pan beyond right", [](TrackerSong& s) { s.samples[1].pan = 257; }},
    };
    for (const auto& [what, fault] : faults) {
        TrackerSong song = good;
        fault(song);
        EXPECT_FALSE(ValidateTrackerSong(song)) << what;
        EXPECT_TRUE(WriteMo3(song).empty()) << what;
    }
}

// The music frame moves on only once a module stops; one that looped would
// hold its slot for ever. The packed music data of the composed songs (long,
// with many copies) reads back cell for cell.
TEST(SoundFiles, ModulesAsShippedReadBackCellForCellAndPlayOnceToAnEnd) {
    constexpr int rate = 8000;  // plenty to find the end, cheap to mix
    for (int n = 1; n < SoundFileCount; ++n) {
        SCOPED_TRACE(SoundFileNames[n]);
        const std::vector<uint8_t> bytes = GenerateSoundFile(n);
        EXPECT_TRUE(bytes == Shipped(n)) << "the build wrote other bytes";
        Module module = Load(bytes);
        ASSERT_TRUE(module);
        EXPECT_EQ(CellMismatches(module.get(), ComposeSong(n - 1)), 0);
        const Rendered figures = RenderToEnd(module.get(), rate);
        EXPECT_GE(figures.frames, 60u * rate);
        EXPECT_LE(figures.frames, 150u * rate);
        EXPECT_GT(figures.peak, 0.2f);
        EXPECT_LT(figures.peak, 1.0f);
    }
}

// The intro ends at clock 10700, so the soundtrack must reach that position.
// The noise flicker follows the bass: the heartbeat (one pulse per 200 units)
// and the groove (kick and off-beat bass, one pulse per 50 units) must make
// it rise and fall within every such stretch, and the groove must be louder
// in the bass than the heartbeat. (The engine tests and the whole-program
// run decode MP3s of this encoder.)
TEST(SoundFiles, IntroSoundtrackAsShippedIsLongEnoughAndItsBassPulses) {
    const StereoSignal audio = ComposeIntro();
    EXPECT_TRUE(EncodeMp3(audio, IntroSampleRate, IntroMp3KilobitsPerSecond) == Shipped(0)) << "other bytes";
    const std::vector<float> trace = BassTrace(audio);
    ASSERT_GE(trace.size(), static_cast<size_t>(IntroEndCue));
    EXPECT_LE(audio.left.size(), 66u * 44100);
    const struct { int from, to, window; float leastDepth; } stretches[] = {
        {100, 2300, 200, 3.0f},                // heartbeat
        {OpeningCue, IntroEndCue, 100, 2.0f},  // groove and outro
    };
    for (const auto& s : stretches) {
        for (int unit = s.from; unit + s.window <= s.to; unit += s.window) {
            const auto [low, high] = std::minmax_element(trace.begin() + unit, trace.begin() + unit + s.window);
            EXPECT_GT(*high / std::max(*low, 1e-6f), s.leastDepth) << "clock " << unit;
        }
    }
    auto mean = [&](int from, int to) { return std::accumulate(&trace[from], &trace[to], 0.0f) / (to - from); };
    EXPECT_GT(mean(OpeningCue, PictureFadeCue), mean(100, 2300));
}

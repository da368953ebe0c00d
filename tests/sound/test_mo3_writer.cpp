// The MO3 writer, checked through libopenmpt as the reader: what it decodes
// from our bytes must be exactly the song we wrote.
#include "tests/sound/sound_decode.h"
#include "tools/soundgen/mo3_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

TrackerSample SineSample(int periodFrames, int cycles, bool loop)
{
    TrackerSample sample;
    sample.name = "sine";
    for (int i = 0; i < periodFrames * cycles; ++i)
        sample.pcm.push_back(static_cast<int16_t>(20000 * std::sin(6.2831853 * i / periodFrames)));
    sample.c5Speed = 22050;
    sample.loop = loop;
    sample.loopEnd = loop ? sample.pcm.size() : 0;
    return sample;
}

TrackerSong SmallSong(int channels, int rows)
{
    TrackerSong song;
    song.title = "Writer test";
    song.channels = channels;
    song.samples = {SineSample(50, 4, true), SineSample(25, 8, false)};
    TrackerPattern pattern;
    pattern.rows = rows;
    pattern.cells.assign(static_cast<size_t>(rows) * channels, TrackerCell{});
    song.patterns = {pattern, pattern};
    song.orders = {0, 1, 0};
    return song;
}

ModuleHandle Reload(const TrackerSong& song)
{
    const std::vector<uint8_t> bytes = WriteMo3(song);
    EXPECT_FALSE(bytes.empty());
    return LoadModule(bytes);
}

uint8_t Command(openmpt_module* module, int pattern, int row, int channel, int what)
{
    return openmpt_module_get_pattern_row_channel_command(module, pattern, row, channel, what);
}

void ExpectPatternsMatch(openmpt_module* module, const TrackerSong& song)
{
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const TrackerPattern& pattern = song.patterns[p];
        ASSERT_EQ(openmpt_module_get_pattern_num_rows(module, p), pattern.rows);
        for (int row = 0; row < pattern.rows; ++row) {
            for (int channel = 0; channel < song.channels; ++channel) {
                const TrackerCell& cell = pattern.cells[static_cast<size_t>(row) * song.channels + channel];
                SCOPED_TRACE("pattern " + std::to_string(p) + " row " + std::to_string(row) + " channel "
                             + std::to_string(channel));
                EXPECT_EQ(Command(module, p, row, channel, OPENMPT_MODULE_COMMAND_NOTE), cell.note);
                EXPECT_EQ(Command(module, p, row, channel, OPENMPT_MODULE_COMMAND_INSTRUMENT), cell.sample);
                if (cell.volume != NoVolume) {
                    EXPECT_EQ(Command(module, p, row, channel, OPENMPT_MODULE_COMMAND_VOLUME), cell.volume);
                }
            }
        }
    }
}

// Frames rendered until the module stops, and the zero crossings in them.
struct RenderFigures {
    size_t frames = 0;
    size_t crossings = 0;
    float peak = 0.0f;
};

RenderFigures RenderToEnd(openmpt_module* module, int rate)
{
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
    RenderFigures figures;
    std::vector<float> left(4096), right(4096);
    float previous = 0.0f;
    size_t got;
    while ((got = openmpt_module_read_float_stereo(module, rate, left.size(), left.data(), right.data())) > 0) {
        for (size_t i = 0; i < got; ++i) {
            figures.crossings += (left[i] < 0.0f) != (previous < 0.0f) && std::fabs(left[i] - previous) > 1e-4f;
            previous = left[i];
            figures.peak = std::max(figures.peak, std::fabs(left[i]));
        }
        figures.frames += got;
    }
    return figures;
}

} // namespace

TEST(Mo3Writer, SongHeaderSurvivesTheRoundTrip)
{
    TrackerSong song = SmallSong(5, 32);
    song.speed = 4;
    song.tempo = 150;
    ModuleHandle module = Reload(song);
    ASSERT_TRUE(module);
    EXPECT_EQ(ModuleMetadata(module.get(), "type"), "mo3");
    EXPECT_EQ(ModuleMetadata(module.get(), "originaltype"), "it");
    EXPECT_EQ(ModuleMetadata(module.get(), "title"), "Writer test");
    EXPECT_EQ(openmpt_module_get_num_channels(module.get()), 5);
    EXPECT_EQ(openmpt_module_get_num_orders(module.get()), 3);
    EXPECT_EQ(openmpt_module_get_num_patterns(module.get()), 2);
    EXPECT_EQ(openmpt_module_get_num_samples(module.get()), 2);
    EXPECT_EQ(openmpt_module_get_num_instruments(module.get()), 0);
    EXPECT_EQ(openmpt_module_get_order_pattern(module.get(), 1), 1);
    // 3 orders × 32 rows × 4 ticks at 2.5 / 150 s per tick.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(module.get()), 3 * 32 * 4 * 2.5 / 150, 1e-3);
}

// Long empty runs (more than one entry can cover), notes at the first and
// last row, cuts, volumes, every channel busy on one row, and two patterns
// that share tracks.
TEST(Mo3Writer, EveryCellSurvivesTheRoundTrip)
{
    TrackerSong song = SmallSong(4, 64);
    TrackerPattern& first = song.patterns[0];
    CellAt(first, 4, 0, 0) = {NoteC5, 1, 64};
    CellAt(first, 4, 1, 0).note = NoteCut;
    CellAt(first, 4, 63, 3) = {HighestNote, 2, 0};
    CellAt(first, 4, 40, 1) = {1, 2, NoVolume};
    for (int channel = 0; channel < 4; ++channel)
        CellAt(first, 4, 20, channel) = {static_cast<uint8_t>(30 + channel), 1, static_cast<uint8_t>(channel * 10)};
    CellAt(first, 4, 21, 2).volume = 33;
    song.patterns[1] = first;
    CellAt(song.patterns[1], 4, 5, 2) = {50, 2, NoVolume};
    ModuleHandle module = Reload(song);
    ASSERT_TRUE(module);
    ExpectPatternsMatch(module.get(), song);
}

TEST(Mo3Writer, PatternsOfOneRowAndOfTheMostRows)
{
    TrackerSong song = SmallSong(1, 1);
    song.patterns[0].cells[0] = {NoteC5, 1, NoVolume};
    song.patterns[1].rows = MaxPatternRows;
    song.patterns[1].cells.assign(MaxPatternRows, TrackerCell{});
    song.patterns[1].cells[MaxPatternRows - 1] = {NoteC5, 2, NoVolume};
    ModuleHandle module = Reload(song);
    ASSERT_TRUE(module);
    ExpectPatternsMatch(module.get(), song);
}

// C-5 plays a sample at its C5 speed: a 50-frame period at 22050 Hz is a
// 441 Hz tone, and the looped sample keeps sounding for the whole row span
// while the one-shot falls silent.
TEST(Mo3Writer, SamplesPlayAtTheirC5SpeedAndLoop)
{
    TrackerSong song = SmallSong(1, 64);
    song.orders = {0};
    song.patterns[0].cells[0] = {NoteC5, 1, NoVolume};
    ModuleHandle looped = Reload(song);
    ASSERT_TRUE(looped);
    const RenderFigures loopedFigures = RenderToEnd(looped.get(), 44100);
    const double seconds = static_cast<double>(loopedFigures.frames) / 44100;
    EXPECT_NEAR(loopedFigures.crossings / seconds / 2.0, 441.0, 441.0 * 0.02);

    song.patterns[0].cells[0].sample = 2;  // 200 frames: gone after 9 ms
    ModuleHandle oneShot = Reload(song);
    ASSERT_TRUE(oneShot);
    const RenderFigures shotFigures = RenderToEnd(oneShot.get(), 44100);
    EXPECT_LT(shotFigures.crossings, loopedFigures.crossings / 20);
    EXPECT_GT(shotFigures.peak, 0.05f);
}

TEST(Mo3Writer, IllFormedSongsAreRefused)
{
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
        {"pattern of no rows", [](TrackerSong& s) { s.patterns[1].rows = 0; s.patterns[1].cells.clear(); }},
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

namespace {

// An unpacker written from the scheme's description, for the distances and
// codes our packer uses; empty on a malformed stream.
struct BitSource {
    const std::vector<uint8_t>& in;
    size_t next = 0;
    uint32_t bits = 0;  // 8-bit register with a marker bit behind the data
    bool failed = false;
};

bool TakeBit(BitSource& source)
{
    source.bits = (source.bits << 1) & 0x1FF;
    if ((source.bits & 0xFF) == 0) {
        if (source.next >= source.in.size()) {
            source.failed = true;
            return false;
        }
        source.bits = (static_cast<uint32_t>(source.in[source.next++]) << 1) | 1;
    }
    return source.bits & 0x100;
}

uint32_t TakeGamma(BitSource& source)
{
    uint32_t value = 1;
    do {
        value = (value << 1) | TakeBit(source);
    } while (TakeBit(source) && !source.failed && value < (1u << 24));
    return value;
}

std::vector<uint8_t> Unpack(const std::vector<uint8_t>& packed, size_t size)
{
    std::vector<uint8_t> out;
    if (packed.empty())
        return out;
    BitSource source{packed, 1};
    out.push_back(packed[0]);
    while (out.size() < size && !source.failed) {
        if (!TakeBit(source)) {
            if (source.next >= packed.size())
                return {};
            out.push_back(packed[source.next++]);
            continue;
        }
        const uint32_t high = TakeGamma(source);
        if (high < 3 || source.next >= packed.size())
            return {};  // previous-distance reuse: never written by our packer
        const size_t distance = (((high - 3) << 8) | packed[source.next++]) + 1;
        uint32_t code = TakeBit(source) << 1;
        code |= TakeBit(source);
        if (code == 0)
            code = TakeGamma(source) + 2;
        if (distance > out.size())
            return {};
        for (uint32_t i = 0; i <= code; ++i)
            out.push_back(out[out.size() - distance]);
    }
    return source.failed ? std::vector<uint8_t>{} : out;
}

void ExpectRoundTrip(const std::vector<uint8_t>& plain)
{
    const std::vector<uint8_t> packed = PackMo3MusicData(plain);
    EXPECT_EQ(Unpack(packed, plain.size()), plain);
}

} // namespace

TEST(Mo3Packer, ShortInputs)
{
    EXPECT_TRUE(PackMo3MusicData({}).empty());
    EXPECT_EQ(PackMo3MusicData({7}), (std::vector<uint8_t>{7}));
    // One literal: a control byte with a 0 bit, then the byte.
    EXPECT_EQ(PackMo3MusicData({7, 9}), (std::vector<uint8_t>{7, 0x00, 9}));
    ExpectRoundTrip({1, 2});
    ExpectRoundTrip({5, 5, 5});
}

TEST(Mo3Packer, RunsRepeatsAndNoiseSurviveTheRoundTrip)
{
    const std::vector<uint8_t> zeros(5000, 0);
    ExpectRoundTrip(zeros);
    EXPECT_LT(PackMo3MusicData(zeros).size(), 40u);

    std::vector<uint8_t> noise(3000);
    uint32_t state = 0x1234567u;
    for (uint8_t& value : noise) {
        state = state * 1103515245u + 12345u;
        value = static_cast<uint8_t>(state >> 23);
    }
    ExpectRoundTrip(noise);
    EXPECT_LT(PackMo3MusicData(noise).size(), noise.size() + noise.size() / 8 + 2);

    // A block repeated at exactly the copy reach shrinks to one block and a
    // few long copies; repeated just beyond it, the data still round-trips.
    std::vector<uint8_t> near;
    for (int copy = 0; copy < 3; ++copy)
        near.insert(near.end(), noise.begin(), noise.begin() + 1024);
    ExpectRoundTrip(near);
    EXPECT_LT(PackMo3MusicData(near).size(), 1024u + 1024u / 8 + 40u);
    std::vector<uint8_t> far;
    for (int copy = 0; copy < 3; ++copy)
        far.insert(far.end(), noise.begin(), noise.begin() + 1025);
    ExpectRoundTrip(far);
}

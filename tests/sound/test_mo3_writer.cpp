// The MO3 writer, checked through libopenmpt as the reader: what it decodes
// from our bytes must be exactly the song we wrote.
#include "tests/sound/sound_decode.h"
#include "tools/soundgen/mo3_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>

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

// Two empty patterns of `rows` rows played as 0, 1, 0; sample 1 is a looped
// 441 Hz sine at C-5, sample 2 a one-shot of 200 frames.
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

} // namespace

// Long empty runs (more than one entry can cover), notes at the first and
// last row, cuts, volumes, every channel busy on one row, and two patterns
// that share tracks.
TEST(Mo3Writer, SongSurvivesTheRoundTrip)
{
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
    ModuleHandle module = Reload(song);
    ASSERT_TRUE(module);
    EXPECT_EQ(ModuleMetadata(module.get(), "title"), "Writer test");
    EXPECT_EQ(openmpt_module_get_num_channels(module.get()), 5);
    EXPECT_EQ(openmpt_module_get_order_pattern(module.get(), 1), 1);
    // 3 orders × 64 rows × 4 ticks at 2.5 / 150 s per tick.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(module.get()), 3 * 64 * 4 * 2.5 / 150, 1e-3);
    EXPECT_EQ(CellMismatches(module.get(), song), 0);

    // Patterns of one row and of the most rows.
    TrackerSong extremes = SmallSong(1, 1);
    extremes.patterns[0].cells[0] = {NoteC5, 1, NoVolume};
    extremes.patterns[1].rows = MaxPatternRows;
    extremes.patterns[1].cells.assign(MaxPatternRows, TrackerCell{});
    extremes.patterns[1].cells[MaxPatternRows - 1] = {NoteC5, 2, NoVolume};
    ModuleHandle reloaded = Reload(extremes);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(CellMismatches(reloaded.get(), extremes), 0);
}

// The looped sample sounds at 441 Hz for the whole pattern while the
// one-shot falls silent after 9 ms.
TEST(Mo3Writer, SamplesPlayAtTheirC5SpeedAndLoop)
{
    TrackerSong song = SmallSong(1, 64);
    song.orders = {0};
    song.patterns[0].cells[0] = {NoteC5, 1, NoVolume};
    ModuleHandle looped = Reload(song);
    ASSERT_TRUE(looped);
    const RenderFigures loopedFigures = RenderToEnd(looped.get(), 44100, SIZE_MAX);
    const double seconds = static_cast<double>(loopedFigures.frames) / 44100;
    EXPECT_NEAR(loopedFigures.crossings / seconds / 2.0, 441.0, 441.0 * 0.02);

    song.patterns[0].cells[0].sample = 2;
    ModuleHandle oneShot = Reload(song);
    ASSERT_TRUE(oneShot);
    const RenderFigures shotFigures = RenderToEnd(oneShot.get(), 44100, SIZE_MAX);
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
std::vector<uint8_t> Unpack(const std::vector<uint8_t>& packed, size_t size)
{
    if (packed.empty())
        return {};
    std::vector<uint8_t> out{packed[0]};
    size_t next = 1;
    uint32_t bits = 0;  // 8-bit register with a marker bit behind the data
    bool failed = false;
    auto bit = [&]() -> uint32_t {
        bits = (bits << 1) & 0x1FF;
        if ((bits & 0xFF) == 0) {
            if (next >= packed.size()) {
                failed = true;
                return 0;
            }
            bits = (static_cast<uint32_t>(packed[next++]) << 1) | 1;
        }
        return (bits >> 8) & 1;
    };
    auto gamma = [&] {
        uint32_t value = 1;
        do
            value = (value << 1) | bit();
        while (bit() && !failed && value < (1u << 24));
        return value;
    };
    while (out.size() < size && !failed) {
        if (!bit()) {
            if (next >= packed.size())
                return {};
            out.push_back(packed[next++]);
            continue;
        }
        const uint32_t high = gamma();
        if (high < 3 || next >= packed.size())
            return {};  // previous-distance reuse: never written by our packer
        const size_t distance = (((high - 3) << 8) | packed[next++]) + 1;
        uint32_t code = bit() << 1;
        code |= bit();
        if (code == 0)
            code = gamma() + 2;
        if (distance > out.size())
            return {};
        for (uint32_t i = 0; i <= code; ++i)
            out.push_back(out[out.size() - distance]);
    }
    return failed ? std::vector<uint8_t>{} : out;
}

} // namespace

// A block repeated at exactly the copy reach (1024) shrinks to one block and
// a few long copies; repeated just beyond it, the data still round-trips.
TEST(Mo3Packer, ShortInputsRunsRepeatsAndNoiseSurviveTheRoundTrip)
{
    // One literal: a control byte with a 0 bit, then the byte.
    EXPECT_EQ(PackMo3MusicData({7, 9}), (std::vector<uint8_t>{7, 0x00, 9}));
    std::vector<uint8_t> noise(3000);
    uint32_t state = 0x1234567u;
    for (uint8_t& value : noise) {
        state = state * 1103515245u + 12345u;
        value = static_cast<uint8_t>(state >> 23);
    }
    std::vector<uint8_t> near, far;
    for (int copy = 0; copy < 3; ++copy) {
        near.insert(near.end(), noise.begin(), noise.begin() + 1024);
        far.insert(far.end(), noise.begin(), noise.begin() + 1025);
    }
    const struct {
        const char* what;
        std::vector<uint8_t> plain;
        size_t packedBelow;
    } cases[] = {
        {"empty", {}, 1},
        {"one byte", {7}, 2},
        {"two bytes", {1, 2}, 4},
        {"a short run", {5, 5, 5}, 5},
        {"zeros", std::vector<uint8_t>(5000, 0), 40},
        {"noise", noise, noise.size() + noise.size() / 8 + 2},
        {"repeats at the reach", near, 1024 + 1024 / 8 + 40},
        {"repeats beyond it", far, SIZE_MAX},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> packed = PackMo3MusicData(c.plain);
        EXPECT_LT(packed.size(), c.packedBelow) << c.what;
        EXPECT_EQ(Unpack(packed, c.plain.size()), c.plain) << c.what;
    }
}

// The generated sound files as the program will meet them: the modules load
// as MO3 and play once to an end, the intro soundtrack is a long enough
// 44.1 kHz stereo MP3 whose bass pulses, and every run gives the same bytes.
#include "tests/sound/sound_decode.h"
#include "tools/soundgen/intro_score.h"
#include "tools/soundgen/song_composer.h"
#include "tools/soundgen/sound_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

// The music frame moves on only once a module stops; one that looped would
// hold its slot for ever. The packed music data of the composed songs (long,
// with many copies) reads back cell for cell.
TEST(SoundFiles, ModulesLoadAsMo3ReadBackCellForCellAndPlayOnceToAnEnd)
{
    constexpr int rate = 8000;  // plenty to find the end, cheap to mix
    for (int n = 1; n < SoundFileCount; ++n) {
        SCOPED_TRACE(SoundFileNames[n]);
        ModuleHandle module = LoadModule(GenerateSoundFile(n));
        ASSERT_TRUE(module);
        EXPECT_EQ(ModuleMetadata(module.get(), "type"), "mo3");
        EXPECT_EQ(CellMismatches(module.get(), ComposeSong(n - 1)), 0);
        const RenderFigures figures = RenderToEnd(module.get(), rate, rate * 180);
        const double seconds = static_cast<double>(figures.frames) / rate;
        EXPECT_GE(seconds, 60.0);
        EXPECT_LE(seconds, 150.0);
        EXPECT_GT(figures.peak, 0.2f);
        EXPECT_LT(figures.peak, 1.0f);
        // Stopped for good: no more frames, and the position no longer moves.
        const double endPosition = openmpt_module_get_position_seconds(module.get());
        std::vector<float> left(1024), right(1024);
        for (int read = 0; read < 2; ++read)
            EXPECT_EQ(openmpt_module_read_float_stereo(module.get(), rate, 1024, left.data(), right.data()), 0u);
        EXPECT_EQ(openmpt_module_get_position_seconds(module.get()), endPosition);
    }
}

// The intro ends at clock 10700, so the stream must reach that position. The
// noise flicker follows the mean of the lowest spectrum bins: the heartbeat
// (one pulse per 200 units) and the groove (kick and off-beat bass, one pulse
// per 50 units) must make it rise and fall within every such stretch, and
// the drop must be louder in the bass than the opening.
TEST(SoundFiles, IntroSoundtrackIsLongEnoughStereoAndItsBassPulses)
{
    const DecodedAudio audio = DecodeMp3(GenerateSoundFile(0));
    ASSERT_EQ(audio.rate, 44100);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_GE(audio.left.size(), 61u * 44100);
    EXPECT_LE(audio.left.size(), 66u * 44100);

    const std::vector<float> trace = BassTrace(audio, FramesPerClockUnit);  // one value per clock unit
    ASSERT_GE(trace.size(), static_cast<size_t>(IntroEndCue));
    const struct { int from, to, window; float leastDepth; } stretches[] = {
        {100, 2300, 200, 3.0f},                   // heartbeat
        {OpeningCue, PictureFadeCue, 100, 2.0f},  // groove
        {PictureFadeCue, IntroEndCue, 100, 2.0f}, // outro
    };
    for (const auto& s : stretches) {
        for (int unit = s.from; unit + s.window <= s.to; unit += s.window) {
            const auto [low, high] = std::minmax_element(trace.begin() + unit, trace.begin() + unit + s.window);
            EXPECT_GT(*high / std::max(*low, 1e-6f), s.leastDepth) << "clock " << unit;
        }
    }
    auto mean = [&](int from, int to) {
        float sum = 0.0f;
        for (int i = from; i < to; ++i)
            sum += trace[i];
        return sum / (to - from);
    };
    EXPECT_GT(mean(OpeningCue, PictureFadeCue), mean(100, 2300));
}

TEST(SoundFiles, WritesEveryFileWithTheSameBytesEveryRunAndNothingWithoutItsDirectory)
{
    EXPECT_FALSE(WriteSoundFiles("/nonexistent-tallyboard-dir"));
    char pattern[] = "/tmp/tb_soundgen_XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    ASSERT_TRUE(WriteSoundFiles(dir));
    for (int n = 0; n < SoundFileCount; ++n) {
        SCOPED_TRACE(SoundFileNames[n]);
        const std::string path = std::string(dir) + "/" + SoundFileNames[n];
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_FALSE(written.empty());
        EXPECT_TRUE(written == GenerateSoundFile(n));
        std::remove(path.c_str());
    }
    rmdir(dir);
}

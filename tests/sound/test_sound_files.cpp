// The generated sound files as the program will meet them: the modules load
// as MO3 and play once to an end, the intro soundtrack is a long enough
// 44.1 kHz stereo MP3 whose bass pulses, and every run gives the same bytes.
#include "tests/sound/sound_decode.h"
#include "tools/soundgen/intro_score.h"
#include "tools/soundgen/mo3_writer.h"
#include "tools/soundgen/song_composer.h"
#include "tools/soundgen/sound_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int RenderRate = 8000;  // plenty to find the end, cheap to mix
constexpr double ShortestSongSeconds = 60.0;
constexpr double LongestSongSeconds = 150.0;

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double RenderUntilStopped(openmpt_module* module, float& peak)
{
    std::vector<float> left(RenderRate), right(RenderRate);
    size_t frames = 0;
    size_t got;
    while ((got = openmpt_module_read_float_stereo(module, RenderRate, left.size(), left.data(), right.data())) > 0) {
        frames += got;
        for (size_t i = 0; i < got; ++i)
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        if (frames > RenderRate * (LongestSongSeconds + 30))
            break;  // a looping song: fail below instead of spinning
    }
    return static_cast<double>(frames) / RenderRate;
}

// Largest over smallest bass value within each window of `windowUnits`
// clock units from `from` to `to`: how strongly the bass pulses there.
std::vector<float> PulseDepths(const std::vector<float>& trace, int from, int to, int windowUnits)
{
    std::vector<float> depths;
    for (int unit = from; unit + windowUnits <= to && unit + windowUnits <= static_cast<int>(trace.size());
         unit += windowUnits) {
        const auto [low, high] = std::minmax_element(trace.begin() + unit, trace.begin() + unit + windowUnits);
        depths.push_back(*high / std::max(*low, 1e-6f));
    }
    return depths;
}

float Mean(const std::vector<float>& values, size_t from, size_t to)
{
    float sum = 0.0f;
    for (size_t i = from; i < to && i < values.size(); ++i)
        sum += values[i];
    return to > from ? sum / (to - from) : 0.0f;
}

} // namespace

TEST(SoundFiles, ModulesLoadAsMo3AndPlayOnceToAnEnd)
{
    for (int n = 1; n < SoundFileCount; ++n) {
        SCOPED_TRACE(SoundFileNames[n]);
        ModuleHandle module = LoadModule(GenerateSoundFile(n));
        ASSERT_TRUE(module);
        EXPECT_EQ(ModuleMetadata(module.get(), "type"), "mo3");
        ASSERT_EQ(openmpt_module_ctl_set_text(module.get(), "play.at_end", "stop"), 1);
        float peak = 0.0f;
        const double seconds = RenderUntilStopped(module.get(), peak);
        std::printf("%s: %.1f s, peak %.2f\n", SoundFileNames[n], seconds, peak);
        EXPECT_GE(seconds, ShortestSongSeconds);
        EXPECT_LE(seconds, LongestSongSeconds);
        EXPECT_GT(peak, 0.2f);
        EXPECT_LT(peak, 1.0f);
        // Stopped for good: no more frames, and the position no longer moves.
        const double endPosition = openmpt_module_get_position_seconds(module.get());
        std::vector<float> left(1024), right(1024);
        EXPECT_EQ(openmpt_module_read_float_stereo(module.get(), RenderRate, 1024, left.data(), right.data()), 0u);
        EXPECT_EQ(openmpt_module_read_float_stereo(module.get(), RenderRate, 1024, left.data(), right.data()), 0u);
        EXPECT_EQ(openmpt_module_get_position_seconds(module.get()), endPosition);
    }
}

// Every cell of every composed song reads back as composed, so the packed
// music data (long, with many copies) unpacks exactly in the reader.
TEST(SoundFiles, ComposedSongsReadBackCellForCell)
{
    for (int n = 0; n < SongCount; ++n) {
        const TrackerSong song = ComposeSong(n);
        ModuleHandle module = LoadModule(WriteMo3(song));
        ASSERT_TRUE(module);
        ASSERT_EQ(openmpt_module_get_num_patterns(module.get()), static_cast<int>(song.patterns.size()));
        ASSERT_EQ(openmpt_module_get_num_orders(module.get()), static_cast<int>(song.orders.size()));
        int mismatches = 0;
        for (size_t p = 0; p < song.patterns.size(); ++p) {
            for (int row = 0; row < song.patterns[p].rows; ++row) {
                for (int channel = 0; channel < song.channels; ++channel) {
                    const TrackerCell& cell = song.patterns[p].cells[static_cast<size_t>(row) * song.channels + channel];
                    mismatches += openmpt_module_get_pattern_row_channel_command(module.get(), p, row, channel,
                                                                                 OPENMPT_MODULE_COMMAND_NOTE) != cell.note;
                    mismatches += openmpt_module_get_pattern_row_channel_command(module.get(), p, row, channel,
                                                                                 OPENMPT_MODULE_COMMAND_INSTRUMENT) != cell.sample;
                }
            }
        }
        EXPECT_EQ(mismatches, 0) << song.title;
    }
}

TEST(SoundFiles, IntroSoundtrackIs44kStereoOfAtLeast61Seconds)
{
    const DecodedAudio audio = DecodeMp3(GenerateSoundFile(0));
    EXPECT_EQ(audio.rate, 44100);
    EXPECT_EQ(audio.channels, 2);
    const double seconds = static_cast<double>(audio.left.size()) / 44100;
    std::printf("intro: %.2f s\n", seconds);
    EXPECT_GE(seconds, 61.0);
    EXPECT_LE(seconds, 66.0);
    // The intro ends at clock 10700: the stream must reach that position.
    EXPECT_GT(audio.left.size(), static_cast<size_t>(IntroEndCue) * FramesPerClockUnit);
}

// The noise flicker follows the mean of the lowest spectrum bins. The
// heartbeat (one pulse per 200 units) and the groove (kick and off-beat bass,
// one pulse per 50 units) must make that mean rise and fall within every
// such stretch, and the drop must be louder in the bass than the opening.
TEST(SoundFiles, IntroBassPulsesWithTheMusic)
{
    const DecodedAudio audio = DecodeMp3(GenerateSoundFile(0));
    ASSERT_EQ(audio.rate, 44100);
    const std::vector<float> trace = BassTrace(audio, FramesPerClockUnit);  // one value per clock unit
    const std::vector<float> heartbeat = PulseDepths(trace, 100, 2300, 200);
    const std::vector<float> groove = PulseDepths(trace, OpeningCue, PictureFadeCue, 100);
    const std::vector<float> outro = PulseDepths(trace, PictureFadeCue, IntroEndCue, 100);
    ASSERT_FALSE(heartbeat.empty());
    ASSERT_FALSE(groove.empty());
    std::printf("bass mean: opening %.3f, groove %.3f, outro %.3f\n", Mean(trace, 100, 2300),
                Mean(trace, OpeningCue, PictureFadeCue), Mean(trace, PictureFadeCue, IntroEndCue));
    std::printf("weakest pulse (max/min): heartbeat %.1f, groove %.1f, outro %.1f\n",
                *std::min_element(heartbeat.begin(), heartbeat.end()),
                *std::min_element(groove.begin(), groove.end()), *std::min_element(outro.begin(), outro.end()));
    for (float depth : heartbeat)
        EXPECT_GT(depth, 3.0f);
    for (float depth : groove)
        EXPECT_GT(depth, 2.0f);
    for (float depth : outro)
        EXPECT_GT(depth, 2.0f);
    EXPECT_GT(Mean(trace, OpeningCue, PictureFadeCue), Mean(trace, 100, 2300));
}

TEST(SoundFiles, WritesEveryFileUnderItsNameWithTheSameBytesEveryRun)
{
    char pattern[] = "/tmp/tb_soundgen_XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    ASSERT_TRUE(WriteSoundFiles(dir));
    for (int n = 0; n < SoundFileCount; ++n) {
        SCOPED_TRACE(SoundFileNames[n]);
        const std::string path = std::string(dir) + "/" + SoundFileNames[n];
        const std::vector<uint8_t> written = ReadWholeFile(path);
        EXPECT_FALSE(written.empty());
        EXPECT_TRUE(written == GenerateSoundFile(n));
        std::remove(path.c_str());
    }
    rmdir(dir);
}

TEST(SoundFiles, MissingDirectoryFailsWithoutWriting)
{
    EXPECT_FALSE(WriteSoundFiles("/nonexistent-tallyboard-dir"));
}

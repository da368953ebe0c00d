// The real sound engine on SDL's dummy driver, which consumes sound in real
// time, with sound files the tests write themselves.
#include "app/frame.h"
#include "audio/audio.h"
#include "audio/engine.h"
#include "sound_fixtures.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const double BinHertz = 44100.0 / 1024;

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

int PeakBin(const float* spectrum) {
    return static_cast<int>(std::max_element(spectrum, spectrum + SpectrumBins) - spectrum);
}

bool AllZero(const float* spectrum) {
    return std::all_of(spectrum, spectrum + SpectrumBins, [](float v) { return v == 0.0f; });
}

class EngineTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);  // a fall-back in an earlier test overrides it
        previousDirectory = std::filesystem::current_path();
        const char* scratch = EnterScratchDirectory();
        ASSERT_NE(scratch, nullptr);
        scratchDirectory = scratch;
    }

    void TearDown() override {
        CloseSoundOutput();
        std::filesystem::current_path(previousDirectory);
        std::filesystem::remove_all(scratchDirectory);
    }

    // Waits until the module's position stops changing (its end), at most limit seconds.
    static uint32_t WaitForEnd(uint32_t module, double limit) {
        uint32_t last = ChannelPosition(module);
        for (double waited = 0; waited < limit; waited += 0.25) {
            Wait(0.25);
            uint32_t now = ChannelPosition(module);
            if (now == last) return now;
            last = now;
        }
        return NoPosition;
    }

    // Opens the output and plays a new stream or module from its start.
    static uint32_t PlayStream(const char* path) {
        EXPECT_TRUE(OpenSoundOutput());
        uint32_t stream = CreateFileStream(path);
        EXPECT_NE(stream, 0u) << path;
        StartOutput();
        PlayFromStart(stream);
        return stream;
    }

    static uint32_t PlayModule(const char* path) {
        EXPECT_TRUE(OpenSoundOutput());
        uint32_t module = LoadModuleFile(path);
        EXPECT_NE(module, 0u) << path;
        SetModulePositionScaler(module, 10);
        StartOutput();
        PlayFromStart(module);
        return module;
    }

    std::filesystem::path previousDirectory;
    std::filesystem::path scratchDirectory;
};

TEST_F(EngineTest, StreamPositionCountsOutputBytesInRealTime) {
    ASSERT_TRUE(WriteSineMp3("data/sine.mp3", 3.0, 440.0, 0.5));
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t stream = CreateFileStream("Data/sine.mp3");
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(ChannelPosition(stream), 0u);
    StartOutput();
    ASSERT_TRUE(PlayFromStart(stream));
    EXPECT_EQ(ChannelPosition(stream), 0u);
    auto start = std::chrono::steady_clock::now();
    Wait(1.0);
    uint32_t position = ChannelPosition(stream);
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double expected = elapsed * OutputBytesPerSecond;
    // The dummy driver sleeps a buffer's length per buffer, so a loaded
    // machine can only make it late, never early by more than a buffer.
    EXPECT_GT(position, 0.75 * expected);
    EXPECT_LT(position, 1.08 * expected);
    EXPECT_EQ(position % 4, 0u);  // whole stereo frames
}

TEST_F(EngineTest, StreamKeepsPlayingAfterItsFileIsDeleted) {
    ASSERT_TRUE(WriteSineMp3("data/TB15Intro.mp3", 2.0, 440.0, 0.5));
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t stream = CreateFileStream("Data/TB15Intro.mp3");
    ASSERT_NE(stream, 0u);
    ASSERT_EQ(remove("data/TB15Intro.mp3"), 0);
    StartOutput();
    PlayFromStart(stream);
    Wait(0.3);
    EXPECT_GT(ChannelPosition(stream), OutputBytesPerSecond / 10);
    float spectrum[SpectrumBins];
    ReadSpectrum(stream, spectrum);
    EXPECT_GT(spectrum[PeakBin(spectrum)], 0.2f);
}

TEST_F(EngineTest, SineGivesItsPeakInTheRightBinAtItsAmplitude) {
    const int bin = 40;
    ASSERT_TRUE(WriteSineMp3("data/sine.mp3", 2.0, bin * BinHertz, 0.5));
    uint32_t stream = PlayStream("data/sine.mp3");
    Wait(0.3);
    float spectrum[SpectrumBins];
    ReadSpectrum(stream, spectrum);
    EXPECT_EQ(PeakBin(spectrum), bin);
    EXPECT_NEAR(spectrum[bin], 0.5f, 0.08f);
    EXPECT_LT(spectrum[bin + 5], 0.01f);  // the window keeps the leak local
    EXPECT_LT(spectrum[0], 0.01f);
}

TEST_F(EngineTest, SpectrumIsZeroForChannelsNotPlaying) {
    ASSERT_TRUE(WriteSineMp3("data/sine.mp3", 2.0, 1000.0, 0.5));
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t stream = CreateFileStream("data/sine.mp3");
    float spectrum[SpectrumBins];
    std::fill(spectrum, spectrum + SpectrumBins, 7.0f);
    ReadSpectrum(stream, spectrum);  // created, never played
    EXPECT_TRUE(AllZero(spectrum));
    StartOutput();
    PlayFromStart(stream);
    Wait(0.2);
    StopChannel(stream);
    ReadSpectrum(stream, spectrum);
    EXPECT_TRUE(AllZero(spectrum));
    std::fill(spectrum, spectrum + SpectrumBins, 7.0f);
    ReadSpectrum(0, spectrum);
    EXPECT_TRUE(AllZero(spectrum));
}

TEST_F(EngineTest, StreamEndsAndKeepsItsPosition) {
    ASSERT_TRUE(WriteSineMp3("data/short.mp3", 0.3, 440.0, 0.5));
    uint32_t stream = PlayStream("data/short.mp3");
    Wait(0.8);
    uint32_t end = ChannelPosition(stream);
    EXPECT_NEAR(end, 0.3 * OutputBytesPerSecond, 0.05 * OutputBytesPerSecond);
    Wait(0.2);
    EXPECT_EQ(ChannelPosition(stream), end);
}

TEST_F(EngineTest, TruncatedStreamPlaysWhatItHasThenEndsQuietly) {
    ASSERT_TRUE(WriteSineMp3("data/whole.mp3", 2.0, 440.0, 0.5));
    auto size = std::filesystem::file_size("data/whole.mp3");
    std::filesystem::copy_file("data/whole.mp3", "data/cut.mp3");
    std::filesystem::resize_file("data/cut.mp3", size / 8 + 37);  // ends inside a frame
    uint32_t stream = PlayStream("data/cut.mp3");
    Wait(0.8);
    uint32_t end = ChannelPosition(stream);
    EXPECT_GT(end, OutputBytesPerSecond / 10);
    EXPECT_LT(end, OutputBytesPerSecond / 2);
    float spectrum[SpectrumBins];
    ReadSpectrum(stream, spectrum);
    EXPECT_TRUE(AllZero(spectrum));
}

TEST_F(EngineTest, BadSoundFilesGiveNoChannel) {
    ASSERT_TRUE(OpenSoundOutput());
    FILE* junk = fopen("data/junk.bin", "wb");
    for (int i = 0; i < 20000; ++i) fputc((i * 7919) & 0xFF, junk);
    fclose(junk);
    fclose(fopen("data/empty.bin", "wb"));
    std::filesystem::create_directory("data/folder.mo3");
    fclose(fopen("data/huge.mp3", "wb"));
    std::filesystem::resize_file("data/huge.mp3", MaxSoundFileBytes + 1);  // sparse: costs no disk
    for (const char* path :
         {"data/missing.mp3", "data/junk.bin", "data/empty.bin", "data/folder.mo3", "data/huge.mp3"}) {
        EXPECT_EQ(CreateFileStream(path), 0u) << path;
        EXPECT_EQ(LoadModuleFile(path), 0u) << path;
    }
}

TEST_F(EngineTest, ModulePositionMovesThenStaysAtItsEnd) {
    ASSERT_TRUE(WriteTestModule("data/song.mod", 2, 8, 3));  // 16 rows of 60 ms
    uint32_t module = PlayModule("data/song.mod");
    EXPECT_EQ(ChannelPosition(module), 0u);
    Wait(0.1);
    uint32_t early = ChannelPosition(module);
    Wait(0.1);
    uint32_t later = ChannelPosition(module);
    EXPECT_NE(early, later);
    EXPECT_EQ(early & 0xFFFF, 0u);  // still in order 0
    EXPECT_LT(later >> 16, 8u * 10);

    uint32_t end = WaitForEnd(module, 3.0);
    ASSERT_NE(end, NoPosition);
    EXPECT_EQ(end & 0xFFFF, 1u);         // stopped in the last order,
    EXPECT_GE(end >> 16, 7u * 10);       // on its last row, not back at 0
    Wait(0.3);
    EXPECT_EQ(ChannelPosition(module), end);
    float spectrum[SpectrumBins];
    ReadSpectrum(module, spectrum);
    EXPECT_TRUE(AllZero(spectrum));
}

TEST_F(EngineTest, FineStepsDivideEachRow) {
    ASSERT_TRUE(WriteTestModule("data/slow.mod", 1, 4, 31));  // rows of 620 ms
    uint32_t module = PlayModule("data/slow.mod");
    Wait(0.45);
    uint32_t high = ChannelPosition(module) >> 16;
    EXPECT_GE(high, 2u);  // row 0, well into it
    EXPECT_LE(high, 9u);  // but never the next row's value
}

TEST_F(EngineTest, RestartAfterTheEndBeginsAtOrderZeroRowZero) {
    ASSERT_TRUE(WriteTestModule("data/song.mod", 2, 4, 3));
    uint32_t module = PlayModule("data/song.mod");
    ASSERT_NE(WaitForEnd(module, 3.0), NoPosition);
    ASSERT_TRUE(PlayFromStart(module));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Wait(0.1);
    uint32_t position = ChannelPosition(module);
    EXPECT_EQ(position & 0xFFFF, 0u);
    EXPECT_GT(position >> 16, 0u);  // playing again
    EXPECT_LT(position >> 16, 4u * 10);
}

TEST_F(EngineTest, StopOutputStopsEveryChannelAndFreedHandlesAreInert) {
    ASSERT_TRUE(WriteTestModule("data/song.mod", 8, 64, 6));
    uint32_t module = PlayModule("data/song.mod");
    Wait(0.15);
    StopOutput();
    uint32_t held = ChannelPosition(module);
    Wait(0.15);
    EXPECT_EQ(ChannelPosition(module), held);
    FreeChannel(module);
    EXPECT_EQ(ChannelPosition(module), NoPosition);
    EXPECT_FALSE(PlayFromStart(module));
    uint32_t reused = LoadModuleFile("data/song.mod");
    EXPECT_NE(reused, module);  // the slot's next channel gets a new handle
    EXPECT_EQ(ChannelPosition(module), NoPosition);
}

TEST_F(EngineTest, ChannelTableFullGivesNoChannel) {
    ASSERT_TRUE(WriteTestModule("data/song.mod", 1, 4, 3));
    uint32_t handles[EngineChannelLimit];
    for (uint32_t& handle : handles) {
        handle = LoadModuleFile("data/song.mod");
        ASSERT_NE(handle, 0u);
    }
    EXPECT_EQ(LoadModuleFile("data/song.mod"), 0u);
}

// The audio set-up on the real engine: a machine whose device does not open.
TEST_F(EngineTest, NoDeviceReportsAndTheIntroClockStillAdvances) {
    setenv("SDL_AUDIODRIVER", "alsa", 1);  // present on Debian, but this device is not
    setenv("AUDIODEV", "tallyboard_no_such_device", 1);
    ASSERT_TRUE(WriteSineMp3("data/TB15Intro.mp3", 2.0, 440.0, 0.5));
    testing::internal::CaptureStdout();
    AudioInit();
    CreateIntroStream();
    std::string messages = testing::internal::GetCapturedStdout();
    unsetenv("AUDIODEV");
    EXPECT_EQ(messages.substr(0, 19), "Couldn't init BASS\n");
    EXPECT_EQ(messages.find("Can't create stream"), std::string::npos);
    StartIntroStream();
    Wait(0.3);
    ReadIntroClock();
    EXPECT_GT(IntroClock, 10u);
    IntroAudioFrame();
    EXPECT_GT(Spectrum[PeakBin(Spectrum)], 0.2f);
    AudioShutdown();
}

// The magazine's music on the real engine: four short modules in turn, the
// gap, then the first again, with a check period shortened to 20 frames.
TEST_F(EngineTest, SlotsPlayInTurnWithTheGap) {
    const char* files[] = {"data/01-orrin-tb15b.mo3", "data/02-Zanthe.mo3", "data/03-orn-tb15.mo3",
                           "data/04-fourth place.mo3"};
    for (const char* file : files) ASSERT_TRUE(WriteTestModule(file, 1, 8, 3));  // 0.48 s each
    testing::internal::CaptureStdout();
    AudioInit();
    LoadModules();
    SetModuleScalers();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    SongSelection = FirstSongSlot;
    MusicMode = MusicOn;
    std::fill(SongNeedsStart, SongNeedsStart + 5, uint8_t{1});
    SongCheckFrames = 0;
    AverageFrameStep = 10.0f;
    std::vector<int32_t> slots{SongSelection};
    auto start = std::chrono::steady_clock::now();
    double gapStart = 0, gapLength = 0;
    for (int frame = 0; frame < 1500 && slots.size() < 7; ++frame) {
        MusicFrame();
        if (SongSelection != slots.back()) {
            double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (SongSelection == GapSongSlot) gapStart = now;
            if (slots.back() == GapSongSlot) gapLength = now - gapStart;
            slots.push_back(SongSelection);
        }
        Wait(0.01);
    }
    EXPECT_EQ(slots, (std::vector<int32_t>{8, 9, 10, 11, 12, 8, 9}));
    EXPECT_GT(gapLength, 0.15);  // one check period of 21 frames of at least 10 ms
    EXPECT_LT(gapLength, 1.5);
    AudioShutdown();
}

}  // namespace

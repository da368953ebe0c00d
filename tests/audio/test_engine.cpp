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
#include <vector>

namespace {

void Wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

int PeakBin(const float* spectrum) {
    return static_cast<int>(std::max_element(spectrum, spectrum + SpectrumBins) - spectrum);
}

// Fills with a marker first, so a read that writes nothing does not pass.
bool SpectrumIsZero(uint32_t channel) {
    float spectrum[SpectrumBins];
    std::fill(spectrum, spectrum + SpectrumBins, 7.0f);
    ReadSpectrum(channel, spectrum);
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

    // Starts the output and plays a new channel from its start (a module in tenths of a row).
    static uint32_t Play(uint32_t channel) {
        EXPECT_NE(channel, 0u);
        SetModulePositionScaler(channel, 10);
        StartOutput();
        PlayFromStart(channel);
        return channel;
    }

    std::filesystem::path previousDirectory;
    std::filesystem::path scratchDirectory;
};

// The intro's clock and its noise flicker: bytes counted in real time, the
// sine's own bin at its amplitude, from a file deleted once it is read.
// Beside it, a short stream and one cut inside a frame end, keep their last
// position and go quiet.
TEST_F(EngineTest, StreamsClockRealTimeShowTheirSineAndEndEvenWhenCut) {
    const int bin = 40;
    ASSERT_TRUE(WriteSineMp3("data/sine.mp3", 3.0, bin * 44100.0 / 1024, 0.5));
    ASSERT_TRUE(WriteSineMp3("data/short.mp3", 0.3, 440.0, 0.5));
    ASSERT_TRUE(WriteSineMp3("data/cut.mp3", 2.0, 440.0, 0.5));
    std::filesystem::resize_file("data/cut.mp3", std::filesystem::file_size("data/cut.mp3") / 8 + 37);
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t stream = CreateFileStream("Data/sine.mp3");  // names match in any case
    ASSERT_NE(stream, 0u);
    ASSERT_EQ(remove("data/sine.mp3"), 0);
    EXPECT_EQ(ChannelPosition(stream), 0u);
    EXPECT_TRUE(SpectrumIsZero(stream));  // created, never played
    const struct { const char* what; uint32_t handle; double low, high; } ending[] = {
        {"short", Play(CreateFileStream("data/short.mp3")), 0.25, 0.35},
        {"cut", Play(CreateFileStream("data/cut.mp3")), 0.1, 0.5},
    };
    Play(stream);
    auto start = std::chrono::steady_clock::now();
    Wait(1.0);
    uint32_t position = ChannelPosition(stream);
    double expected = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() *
                      OutputBytesPerSecond;
    // The dummy driver sleeps a buffer's length per buffer, so a loaded
    // machine can only make it late, never early by more than a buffer.
    EXPECT_GT(position, 0.75 * expected);
    EXPECT_LT(position, 1.08 * expected);
    EXPECT_EQ(position % 4, 0u);  // whole stereo frames
    float spectrum[SpectrumBins];
    ReadSpectrum(stream, spectrum);
    EXPECT_EQ(PeakBin(spectrum), bin);
    EXPECT_NEAR(spectrum[bin], 0.5f, 0.08f);
    EXPECT_LT(spectrum[bin + 5], 0.01f);  // the window keeps the leak local
    EXPECT_LT(spectrum[0], 0.01f);
    StopChannel(stream);
    EXPECT_TRUE(SpectrumIsZero(stream));
    EXPECT_TRUE(SpectrumIsZero(0));
    for (const auto& ended : ending) {
        EXPECT_GT(ChannelPosition(ended.handle), ended.low * OutputBytesPerSecond) << ended.what;
        EXPECT_LT(ChannelPosition(ended.handle), ended.high * OutputBytesPerSecond) << ended.what;
        EXPECT_TRUE(SpectrumIsZero(ended.handle)) << ended.what;
    }
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

// A module's whole life: the music frame's end check relies on it stopping
// for good on its last row and restarting at order 0, row 0. Rows of 620 ms
// show the fine steps within a row. A freed handle stays dead even once its
// slot holds a new channel.
TEST_F(EngineTest, ModuleEndsRestartsStopsAndIsFreed) {
    ASSERT_TRUE(WriteTestModule("data/song.mod", 2, 2, 31));
    ASSERT_TRUE(OpenSoundOutput());
    uint32_t module = Play(LoadModuleFile("data/song.mod"));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Wait(0.45);
    uint32_t early = ChannelPosition(module);
    EXPECT_EQ(early & 0xFFFF, 0u);  // order 0, row 0 well into it,
    EXPECT_GE(early >> 16, 2u);
    EXPECT_LE(early >> 16, 9u);  // but never the next row's value

    uint32_t end = ChannelPosition(module);
    for (int tries = 0; tries < 20; ++tries) {  // until the position stops changing
        Wait(0.25);
        uint32_t now = ChannelPosition(module);
        if (now == end) break;
        end = now;
    }
    EXPECT_EQ(end & 0xFFFF, 1u);  // stopped in the last order,
    EXPECT_GE(end >> 16, 10u);    // on its last row, not back at 0
    EXPECT_TRUE(SpectrumIsZero(module));

    ASSERT_TRUE(PlayFromStart(module));
    EXPECT_EQ(ChannelPosition(module), 0u);
    Wait(0.2);
    uint32_t again = ChannelPosition(module);
    EXPECT_EQ(again & 0xFFFF, 0u);
    EXPECT_GT(again >> 16, 0u);
    EXPECT_LT(again >> 16, 10u);
    StopOutput();
    again = ChannelPosition(module);
    Wait(0.15);
    EXPECT_EQ(ChannelPosition(module), again);

    for (int i = 1; i < EngineChannelLimit; ++i) EXPECT_NE(LoadModuleFile("data/song.mod"), 0u);
    EXPECT_EQ(LoadModuleFile("data/song.mod"), 0u);  // the table is full
    FreeChannel(module);
    EXPECT_EQ(ChannelPosition(module), NoPosition);
    EXPECT_FALSE(PlayFromStart(module));
    uint32_t reused = LoadModuleFile("data/song.mod");
    EXPECT_NE(reused, 0u);
    EXPECT_NE(reused, module);
    EXPECT_EQ(ChannelPosition(module), NoPosition);
}

// The whole audio side on the real engine, on a machine whose device does
// not open: the intro clock still advances, then four short modules whose
// ends the music frame finds play in turn, the gap, then the first again,
// with a check period shortened to 21 frames.
TEST_F(EngineTest, WithoutADeviceTheIntroAndTheSongsStillRun) {
    setenv("SDL_AUDIODRIVER", "alsa", 1);  // present on Debian, but this device is not
    setenv("AUDIODEV", "tallyboard_no_such_device", 1);
    ASSERT_TRUE(WriteSineMp3("data/TB15Intro.mp3", 2.0, 440.0, 0.5));
    for (const char* file : {"data/01-orrin-tb15b.mo3", "data/02-Zanthe.mo3", "data/03-orn-tb15.mo3",
                             "data/04-fourth place.mo3"})
        ASSERT_TRUE(WriteTestModule(file, 1, 8, 3));  // 0.48 s each
    testing::internal::CaptureStdout();
    AudioInit();
    CreateIntroStream();
    LoadModules();
    SetModuleScalers();
    std::string messages = testing::internal::GetCapturedStdout();
    unsetenv("AUDIODEV");
    EXPECT_EQ(messages.substr(0, 19), "Couldn't init BASS\n");
    EXPECT_EQ(messages.find("Can't"), std::string::npos);
    StartIntroStream();
    Wait(0.3);
    ReadIntroClock();
    EXPECT_GT(IntroClock, 10u);
    IntroAudioFrame();
    EXPECT_GT(Spectrum[PeakBin(Spectrum)], 0.2f);
    SkipIntroAudio();

    SongSelection = FirstSongSlot;
    MusicMode = MusicOn;
    std::fill(SongNeedsStart, SongNeedsStart + 5, uint8_t{1});
    SongCheckFrames = 0;
    Frame.AverageFrameStep = 10.0f;
    std::vector<int32_t> slots{SongSelection};
    for (int frame = 0; frame < 1500 && slots.size() < 7; ++frame) {
        MusicFrame();
        Wait(0.01);
        if (SongSelection != slots.back()) slots.push_back(SongSelection);
    }
    EXPECT_EQ(slots, (std::vector<int32_t>{8, 9, 10, 11, 12, 8, 9}));
    AudioShutdown();
}

}  // namespace

// The song slots, the music switch, the automatic advance and the intro
// stream, against a sound engine that records the calls that start, stop and
// free, linked in place of the real one.
#include "audio/audio.h"
#include "audio/engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using testing::ElementsAre;

namespace {

constexpr uint32_t IntroHandle = 50;
constexpr uint32_t M1 = 101, M2 = 102, M3 = 103, M4 = 104;  // modules in load order

struct FakeEngineState {
    std::vector<std::string> calls;
    uint32_t failingModule = 0;  // handle whose load fails, 0 for none
    uint32_t nextModule = M1;
    uint32_t volume = 80;
    std::map<uint32_t, uint32_t> positions;  // handles not listed read NoPosition
} FakeEngine;

std::string Call(const char* name, uint32_t handle) { return std::string(name) + " " + std::to_string(handle); }
std::string Stop(uint32_t h) { return Call("StopChannel", h); }
std::string Play(uint32_t h) { return Call("PlayFromStart", h); }

}  // namespace

bool OpenSoundOutput() { return true; }
bool OpenSilentOutput() { return true; }
bool WatchSoundOutput() { return false; }
void CloseSoundOutput() { FakeEngine.calls.push_back("CloseSoundOutput"); }
void StartOutput() { FakeEngine.calls.push_back("StartOutput"); }
void StopOutput() { FakeEngine.calls.push_back("StopOutput"); }
uint32_t OutputVolume() { return FakeEngine.volume; }
void SetOutputVolume(uint32_t percent) { FakeEngine.volume = percent; }
uint32_t CreateFileStream(const char*) { return IntroHandle; }
void SetModulePositionScaler(uint32_t, uint32_t) {}
void StopChannel(uint32_t handle) { FakeEngine.calls.push_back(Stop(handle)); }
void FreeChannel(uint32_t handle) { FakeEngine.calls.push_back(Call("FreeChannel", handle)); }

uint32_t LoadModuleFile(const char*) {
    uint32_t handle = FakeEngine.nextModule++;
    return FakeEngine.failingModule == handle ? 0 : handle;
}

bool PlayFromStart(uint32_t handle) {
    FakeEngine.calls.push_back(Play(handle));
    return handle != 0;
}

uint32_t ChannelPosition(uint32_t handle) {
    auto found = FakeEngine.positions.find(handle);
    return found == FakeEngine.positions.end() ? NoPosition : found->second;
}

void ReadSpectrum(uint32_t handle, float* out) { std::fill(out, out + SpectrumBins, handle == 0 ? 0.0f : 0.25f); }

namespace {

class MusicFrameTest : public testing::Test {
protected:
    void SetUp() override {
        FakeEngine = FakeEngineState{};
        SongSelection = FirstSongSlot;
        MusicMode = MusicOn;
        std::fill(Spectrum, Spectrum + SpectrumSize, 0.0f);
        Audio = AudioStart;
        for (int i = 0; i < ModuleCount; ++i) Audio.MusicModules[i] = M1 + i;
    }

    // Runs frames (by default at 75 per second: a check every 201) until
    // SongSelection changes; returns how many it took, -1 for never.
    static int FramesUntilAdvance(int limit, float averageFrameStep = 1.0f) {
        int32_t start = SongSelection;
        for (int frame = 1; frame <= limit; ++frame) {
            MusicFrame(averageFrameStep);
            if (SongSelection != start) return frame;
        }
        return -1;
    }

    static int Plays(uint32_t handle) {
        return static_cast<int>(std::count(FakeEngine.calls.begin(), FakeEngine.calls.end(), Play(handle)));
    }
};

// Each song slot stops the other modules before it starts the output and
// plays its own; the gap only stops them all, and no other value does a thing.
TEST_F(MusicFrameTest, EachSlotStopsTheOthersThenStartsItsOwn) {
    for (int32_t slot = FirstSongSlot; slot <= GapSongSlot; ++slot) {
        SetUp();
        SongSelection = slot;
        MusicFrame(1.0f);
        const auto& calls = FakeEngine.calls;
        auto started = std::find(calls.begin(), calls.end(), "StartOutput");
        for (uint32_t module : {M1, M2, M3, M4}) {
            bool own = module == M1 + static_cast<uint32_t>(slot - FirstSongSlot);
            EXPECT_EQ(std::count(calls.begin(), started, Stop(module)), own ? 0 : 1) << slot << " " << module;
            EXPECT_EQ(std::count(started, calls.end(), Play(module)), own ? 1 : 0) << slot << " " << module;
        }
    }
    SetUp();
    SongSelection = 3;  // the Introduction's pick
    MusicFrame(1.0f);
    EXPECT_TRUE(FakeEngine.calls.empty());
}

// A song starts from the top only when it becomes the playing one: picking it
// again does nothing, coming back to it or switching the music on restarts it.
TEST_F(MusicFrameTest, MusicOffSilencesAndHoldsTheAdvanceAndOnRestarts) {
    MusicFrame(1.0f);
    MusicFrame(1.0f);  // the button bar writes the same value again
    EXPECT_EQ(Plays(M1), 1);
    SongSelection = 9;
    MusicFrame(1.0f);
    SongSelection = 8;
    MusicFrame(1.0f);
    EXPECT_EQ(Plays(M1), 2);

    Spectrum[7] = 0.9f;
    MusicMode = MusicOff;
    FakeEngine.calls.clear();
    MusicFrame(1.0f);
    EXPECT_THAT(FakeEngine.calls, ElementsAre(Stop(M1), Stop(M2), Stop(M3), Stop(M4)));
    EXPECT_TRUE(std::all_of(Spectrum, Spectrum + SpectrumSize, [](float v) { return v == 0.0f; }));
    Audio.IntroClock = 0x00100002;  // a position that never moves
    EXPECT_EQ(FramesUntilAdvance(20 * 201), -1);
    MusicMode = MusicOn;
    MusicFrame(1.0f);
    EXPECT_EQ(Plays(M1), 1);
}

// A moving position holds the song however long; a still one advances it
// within two checks, as does a module that failed to load, and the gap
// lasts exactly one check period. No check comes before the frame rate is
// measured.
TEST_F(MusicFrameTest, EndedSongsAdvanceInTurnWithOneCheckPeriodOfGap) {
    FakeEngine.failingModule = M2;
    testing::internal::CaptureStdout();
    LoadModules();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open MOD file\n");
    EXPECT_EQ(Audio.MusicModules[1], 0u);
    EXPECT_EQ(FramesUntilAdvance(5000, 0.0f), -1);
    for (int frame = 0; frame < 10 * 201; ++frame) {
        FakeEngine.positions[M1] = static_cast<uint32_t>(frame) << 16;  // a new row every frame
        MusicFrame(1.0f);
    }
    EXPECT_EQ(SongSelection, 8);
    for (uint32_t module : {M3, M4}) FakeEngine.positions[module] = 0x00300000u + module;
    std::vector<int32_t> order;
    int gapFrames = -1;
    testing::internal::CaptureStdout();
    for (int step = 0; step < 6; ++step) {
        int frames = FramesUntilAdvance(3 * 202);
        EXPECT_GT(frames, 0);
        EXPECT_LE(frames, 2 * 202);
        if (SongSelection == FirstSongSlot) gapFrames = frames;
        order.push_back(SongSelection);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't play MOD\n");
    EXPECT_THAT(order, ElementsAre(9, 10, 11, 12, 8, 9));
    EXPECT_GE(gapFrames, 201);  // more than 200 / Frame.AverageFrameStep frames, no more than one beyond
    EXPECT_LE(gapFrames, 202);
}

// A skip frees the stream at once; the magazine's first frame must not free
// it again. Shutdown puts back the volume found at start. (A missing stream
// is the whole-program tour's: its magazine begins at once.)
TEST_F(MusicFrameTest, IntroStreamSkippedIsFreedOnceAndShutdownRestoresTheVolume) {
    AudioInit();
    CreateIntroStream();
    SkipIntroAudio();
    ReleaseIntroStream();
    const auto& calls = FakeEngine.calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), Call("FreeChannel", IntroHandle)), 1);
    FakeEngine.volume = 30;
    AudioShutdown();
    EXPECT_EQ(FakeEngine.volume, 80u);
    EXPECT_EQ(calls.back(), "CloseSoundOutput");
}

}  // namespace

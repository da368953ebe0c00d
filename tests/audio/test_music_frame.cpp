// The song slots, the music switch, the automatic advance and the intro
// stream's calls, against a sound engine that records what it is asked.
#include "app/frame.h"
#include "audio/audio.h"
#include "audio/engine.h"
#include "fake_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

const uint32_t M1 = FakeModuleHandle(0), M2 = FakeModuleHandle(1), M3 = FakeModuleHandle(2),
               M4 = FakeModuleHandle(3);

std::string Stop(uint32_t h) { return "StopChannel " + std::to_string(h); }
std::string Play(uint32_t h) { return "PlayFromStart " + std::to_string(h); }
std::string SpectrumRead(uint32_t h) { return "ReadSpectrum " + std::to_string(h); }
std::string Pos(uint32_t h) { return "ChannelPosition " + std::to_string(h); }

class MusicFrameTest : public testing::Test {
protected:
    void SetUp() override {
        ResetFakeEngine();
        SongSelection = FirstSongSlot;
        MusicMode = MusicOn;
        std::fill(Spectrum, Spectrum + SpectrumSize, 0.0f);
        std::fill(SongNeedsStart, SongNeedsStart + 5, uint8_t{1});
        LastModuleOrder = LastModuleRow = 9929;
        SongCheckFrames = 0;
        IntroClock = 0;
        AverageFrameStep = 1.0f;  // 75 frames per second: a check every 201 frames
        for (int i = 0; i < ModuleCount; ++i) MusicModules[i] = FakeModuleHandle(i);
    }

    // Runs frames until SongSelection changes; returns how many it took.
    int FramesUntilAdvance(int limit) {
        int32_t start = SongSelection;
        for (int frame = 1; frame <= limit; ++frame) {
            MusicFrame();
            if (SongSelection != start) return frame;
        }
        return -1;
    }

    // A module that plays: its position changes every frame.
    void KeepModuleMoving(uint32_t handle, int frame) {
        FakeEngine.positions[handle] = static_cast<uint32_t>(frame) << 16;
    }
};

TEST_F(MusicFrameTest, EachSlotStopsTheOthersInItsOrderThenStartsAndReads) {
    struct Row {
        int32_t slot;
        std::vector<std::string> calls;
    } rows[] = {
        {8, {Stop(M2), Stop(M3), Stop(M4), "StartOutput", Play(M1), SpectrumRead(M1), Pos(M1)}},
        {9, {Stop(M4), Stop(M3), Stop(M1), "StartOutput", Play(M2), SpectrumRead(M2), Pos(M2)}},
        {10, {Stop(M1), Stop(M2), Stop(M4), "StartOutput", Play(M3), SpectrumRead(M3), Pos(M3)}},
        {11, {Stop(M1), Stop(M2), Stop(M3), "StartOutput", Play(M4), SpectrumRead(M4), Pos(M4)}},
        {12, {Stop(M1), Stop(M2), Stop(M3), Stop(M4), "StartOutput"}},
    };
    for (const Row& row : rows) {
        SetUp();
        SongSelection = row.slot;
        MusicFrame();
        EXPECT_THAT(FakeEngine.calls, ElementsAreArray(row.calls)) << "slot " << row.slot;
        for (int s = 0; s < 5; ++s)
            EXPECT_EQ(SongNeedsStart[s], s == row.slot - FirstSongSlot ? 0 : 1) << "slot " << row.slot;
    }
}

TEST_F(MusicFrameTest, ModuleReadsSetSpectrumAndRawPosition) {
    FakeEngine.positions[M3] = 0x00500007;
    SongSelection = 10;
    MusicFrame();
    EXPECT_EQ(IntroClock, 0x00500007u);
    EXPECT_FLOAT_EQ(Spectrum[0], 0.25f);
    EXPECT_FLOAT_EQ(Spectrum[SpectrumSize - 1], 0.25f);
}

TEST_F(MusicFrameTest, GapSlotKeepsSpectrumAndClock) {
    Spectrum[3] = 0.5f;
    IntroClock = 1234;
    SongSelection = GapSongSlot;
    MusicFrame();
    EXPECT_FLOAT_EQ(Spectrum[3], 0.5f);
    EXPECT_EQ(IntroClock, 1234u);
}

TEST_F(MusicFrameTest, PickingThePlayingSongChangesNothing) {
    MusicFrame();
    FakeEngine.calls.clear();
    SongSelection = 8;  // the button bar writes the same value again
    MusicFrame();
    EXPECT_THAT(FakeEngine.calls, ElementsAre(Stop(M2), Stop(M3), Stop(M4), SpectrumRead(M1), Pos(M1)));
}

TEST_F(MusicFrameTest, ReturningToAnInterruptedSongRestartsIt) {
    MusicFrame();
    SongSelection = 9;
    MusicFrame();
    SongSelection = 8;
    FakeEngine.calls.clear();
    MusicFrame();
    EXPECT_EQ(std::count(FakeEngine.calls.begin(), FakeEngine.calls.end(), Play(M1)), 1);
}

TEST_F(MusicFrameTest, MusicOffStopsAllZeroesSpectrumAndArmsEverySlot) {
    MusicFrame();
    Spectrum[7] = 0.9f;
    MusicMode = MusicOff;
    FakeEngine.calls.clear();
    MusicFrame();
    EXPECT_THAT(FakeEngine.calls, ElementsAre(Stop(M1), Stop(M2), Stop(M3), Stop(M4)));
    EXPECT_TRUE(std::all_of(Spectrum, Spectrum + SpectrumSize, [](float v) { return v == 0.0f; }));
    EXPECT_TRUE(std::all_of(SongNeedsStart, SongNeedsStart + 5, [](uint8_t f) { return f == 1; }));
}

TEST_F(MusicFrameTest, MusicOffHoldsTheAdvanceHoweverLong) {
    MusicMode = MusicOff;
    IntroClock = 0x00100002;
    EXPECT_EQ(FramesUntilAdvance(20 * 201), -1);
    EXPECT_EQ(SongSelection, 8);
}

TEST_F(MusicFrameTest, OffThenOnRestartsTheSelectedSong) {
    SongSelection = 10;
    MusicFrame();
    MusicMode = MusicOff;
    MusicFrame();
    MusicMode = MusicOn;
    FakeEngine.calls.clear();
    MusicFrame();
    EXPECT_THAT(FakeEngine.calls, ElementsAre(Stop(M1), Stop(M2), Stop(M4), "StartOutput", Play(M3),
                                              SpectrumRead(M3), Pos(M3)));
}

TEST_F(MusicFrameTest, PlayingSongIsNotAdvanced) {
    int frame = 0;
    for (; frame < 10 * 201; ++frame) {
        KeepModuleMoving(M1, frame);
        MusicFrame();
    }
    EXPECT_EQ(SongSelection, 8);
}

TEST_F(MusicFrameTest, EndedSongAdvancesWithinTwoCheckPeriods) {
    // Module 1 plays for a while, then stops at its end and keeps its position.
    for (int frame = 0; frame < 300; ++frame) {
        KeepModuleMoving(M1, frame);
        MusicFrame();
    }
    int frames = FramesUntilAdvance(3 * 202);
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 2 * 202);
    EXPECT_EQ(SongSelection, 9);
}

TEST_F(MusicFrameTest, SongsRunInTurnWithOneCheckPeriodOfGap) {
    // Every module ends at once (its position never moves).
    for (int i = 0; i < ModuleCount; ++i) FakeEngine.positions[FakeModuleHandle(i)] = 0x00300000u + i;
    std::vector<int32_t> order;
    int gapFrames = -1;
    for (int step = 0; step < 6; ++step) {
        int frames = FramesUntilAdvance(3 * 202);
        if (SongSelection == FirstSongSlot) gapFrames = frames;
        order.push_back(SongSelection);
    }
    EXPECT_THAT(order, ElementsAre(9, 10, 11, 12, 8, 9));
    // One check period: more than 200 / AverageFrameStep frames, no more than one beyond.
    EXPECT_GE(gapFrames, 201);
    EXPECT_LE(gapFrames, 202);
}

TEST_F(MusicFrameTest, CheckPeriodFollowsTheAverageFrameStep) {
    AverageFrameStep = 2.0f;  // 37.5 frames per second: 100 frames make 200/75 s
    FakeEngine.positions[M1] = 5;
    MusicFrame();  // the first check period ends on frame 102, finding a fresh position
    int frames = FramesUntilAdvance(1000);
    EXPECT_GE(frames, 100);
    EXPECT_LE(frames, 2 * 102);
}

TEST_F(MusicFrameTest, NoCheckBeforeTheFrameRateIsMeasured) {
    AverageFrameStep = 0.0f;
    FakeEngine.positions[M1] = 5;
    EXPECT_EQ(FramesUntilAdvance(5000), -1);
}

TEST_F(MusicFrameTest, ModuleThatFailedToLoadIsPassedOver) {
    FakeEngine.failingModule = M2;
    testing::internal::CaptureStdout();
    LoadModules();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open MOD file\n");
    EXPECT_EQ(MusicModules[1], 0u);

    SongSelection = 9;
    testing::internal::CaptureStdout();
    MusicFrame();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't play MOD\n");
    EXPECT_EQ(IntroClock, NoPosition);
    EXPECT_EQ(Spectrum[0], 0.0f);
    int frames = FramesUntilAdvance(3 * 202);
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 2 * 202);
    EXPECT_EQ(SongSelection, 10);
}

TEST_F(MusicFrameTest, SelectionOutsideTheSlotsPlaysNothing) {
    SongSelection = 3;
    MusicFrame();
    EXPECT_TRUE(FakeEngine.calls.empty());
}

class AudioSetUpTest : public MusicFrameTest {};

TEST_F(AudioSetUpTest, InitWithDeviceKeepsQuietAndSavesVolume) {
    testing::internal::CaptureStdout();
    AudioInit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_THAT(FakeEngine.calls, ElementsAre("OpenSoundOutput"));
    EXPECT_EQ(SavedVolume, 80u);
}

TEST_F(AudioSetUpTest, InitWithoutDeviceFallsBackToSilentOutput) {
    FakeEngine.deviceOpens = false;
    testing::internal::CaptureStdout();
    AudioInit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Couldn't init BASS\n");
    EXPECT_THAT(FakeEngine.calls, ElementsAre("OpenSoundOutput", "OpenSilentOutput"));
}

TEST_F(AudioSetUpTest, FilesAndScalersInOrder) {
    CreateIntroStream();
    LoadModules();
    SetModuleScalers();
    EXPECT_THAT(FakeEngine.calls,
                ElementsAre("CreateFileStream Data/TB15Intro.mp3", "LoadModuleFile data/01-orrin-tb15b.mo3",
                            "LoadModuleFile data/02-Zanthe.mo3", "LoadModuleFile data/03-orn-tb15.mo3",
                            "LoadModuleFile data/04-fourth place.mo3", "SetModulePositionScaler 101 10",
                            "SetModulePositionScaler 102 10", "SetModulePositionScaler 103 10",
                            "SetModulePositionScaler 104 10"));
}

TEST_F(AudioSetUpTest, IntroStreamPlaysFromStartAndClocksInThousandsOfBytes) {
    CreateIntroStream();
    StartIntroStream();
    EXPECT_THAT(FakeEngine.calls, ElementsAre("CreateFileStream Data/TB15Intro.mp3", "StartOutput",
                                              Play(FakeIntroHandle)));
    FakeEngine.positions[FakeIntroHandle] = 1764999;
    IntroAudioFrame();
    EXPECT_FLOAT_EQ(Spectrum[100], 0.25f);
    ReadIntroClock();
    EXPECT_EQ(IntroClock, 1764u);
}

TEST_F(AudioSetUpTest, MissingIntroStreamReportsAndEndsTheIntroAtOnce) {
    FakeEngine.streamLoads = false;
    testing::internal::CaptureStdout();
    CreateIntroStream();
    StartIntroStream();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't create stream\nCan't play stream\n");
    ReadIntroClock();
    EXPECT_EQ(IntroClock, 4294967u);
}

TEST_F(AudioSetUpTest, SkipStopsOutputAndFreesTheStreamOnce) {
    CreateIntroStream();
    FakeEngine.calls.clear();
    SkipIntroAudio();
    ReleaseIntroStream();  // the first magazine frame after the skip
    EXPECT_THAT(FakeEngine.calls,
                ElementsAre("StopOutput", "FreeChannel 50", "StopChannel 0", "FreeChannel 0"));
}

TEST_F(AudioSetUpTest, ShutdownRestoresVolumeAndReleasesEverything) {
    AudioInit();
    FakeEngine.volume = 30;
    FakeEngine.calls.clear();
    AudioShutdown();
    EXPECT_THAT(FakeEngine.calls, ElementsAre("SetOutputVolume 80", "StopOutput", "FreeChannel 101",
                                              "FreeChannel 102", "FreeChannel 103", "FreeChannel 104",
                                              "CloseSoundOutput"));
}

}  // namespace

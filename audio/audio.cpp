// The intro stream, the four song slots and the automatic advance, on the
// sound engine. Runs on the GLUT thread.
#include "audio/audio.h"

#include "app/frame.h"
#include "audio/engine.h"

#include <algorithm>
#include <cstdio>

// ReadSpectrum fills SpectrumBins floats straight into Spectrum.
static_assert(SpectrumSize == SpectrumBins, "the spectrum array must hold what the engine writes");

static const char IntroStreamFile[] = "Data/TB15Intro.mp3";
static const char* const ModuleFiles[ModuleCount] = {
    "data/01-orrin-tb15b.mo3",
    "data/02-Zanthe.mo3",
    "data/03-orn-tb15.mo3",
    "data/04-fourth place.mo3",
};

void AudioInit() {
    if (!OpenSoundOutput()) {
        OpenSilentOutput();
        fputs("Couldn't init BASS\n", stdout);
    }
    SavedVolume = OutputVolume();
}

void CreateIntroStream() {
    IntroStream = CreateFileStream(IntroStreamFile);
    if (!IntroStream) fputs("Can't create stream\n", stdout);
}

void LoadModules() {
    for (int i = 0; i < ModuleCount; ++i) {
        MusicModules[i] = LoadModuleFile(ModuleFiles[i]);
        if (!MusicModules[i]) fputs("Can't open MOD file\n", stdout);
    }
}

void SetModuleScalers() {
    for (uint32_t module : MusicModules) SetModulePositionScaler(module, ModulePositionScaler);
}

void StartIntroStream() {
    StartOutput();
    if (!PlayFromStart(IntroStream)) fputs("Can't play stream\n", stdout);
}

void IntroAudioFrame() {
    ReadSpectrum(IntroStream, Spectrum);
}

void ReadIntroClock() {
    // A stream that could not be created reads NoPosition: 4294967 is past
    // the intro's end, so the magazine begins at once.
    IntroClock = ChannelPosition(IntroStream) / 1000;
}

void ReleaseIntroStream() {
    StopChannel(IntroStream);
    FreeChannel(IntroStream);
    IntroStream = 0;
}

void SkipIntroAudio() {
    StopOutput();
    FreeChannel(IntroStream);
    IntroStream = 0;
}

void PlaySlot(int n) {
    StartOutput();
    if (n < 0 || n >= ModuleCount) return;  // the gap slot: output on, nothing plays
    if (!PlayFromStart(MusicModules[n])) fputs("Can't play MOD\n", stdout);
}

// What selecting each slot 8..12 does: the modules stopped (in this order),
// then the module whose spectrum and position are read (-1: none, the gap).
struct SlotPlan {
    int8_t stopped[ModuleCount];
    int8_t stoppedCount;
    int8_t module;
};

static const SlotPlan SlotPlans[5] = {
    {{1, 2, 3}, 3, 0},
    {{3, 2, 0}, 3, 1},
    {{0, 1, 3}, 3, 2},
    {{0, 1, 2}, 3, 3},
    {{0, 1, 2, 3}, 4, -1},
};

static void PlaySelectedSong() {
    int slot = SongSelection - FirstSongSlot;
    if (slot < 0 || slot > GapSongSlot - FirstSongSlot) return;
    const SlotPlan& plan = SlotPlans[slot];
    for (int i = 0; i < plan.stoppedCount; ++i) StopChannel(MusicModules[plan.stopped[i]]);
    // A slot starts from its beginning when it becomes the playing one; the
    // others must start afresh the next time they are picked.
    if (SongNeedsStart[slot]) {
        PlaySlot(slot);
        std::fill(SongNeedsStart, SongNeedsStart + 5, uint8_t{1});
        SongNeedsStart[slot] = 0;
    }
    if (plan.module < 0) return;  // the gap keeps Spectrum and IntroClock as they are
    uint32_t module = MusicModules[plan.module];
    ReadSpectrum(module, Spectrum);
    IntroClock = ChannelPosition(module);
}

static void SilenceMusic() {
    for (uint32_t module : MusicModules) StopChannel(module);
    std::fill(Spectrum, Spectrum + SpectrumSize, 0.0f);
    std::fill(SongNeedsStart, SongNeedsStart + 5, uint8_t{1});
}

static int32_t NextSongSlot(int32_t slot) {
    return (slot >= FirstSongSlot && slot < GapSongSlot) ? slot + 1 : FirstSongSlot;
}

// About every 200/75 s: a position unchanged since the previous check means
// the song has ended (or is the gap, or never started), so the next slot
// follows. AverageFrameStep is 0 until it has been measured: no check then.
static void CheckSongEnd() {
    uint32_t order = IntroClock & 0xFFFF;
    uint32_t row = IntroClock >> 16;
    if (Frame.AverageFrameStep > 0.0f && 200.0 / Frame.AverageFrameStep < SongCheckFrames) {
        if (order == LastModuleOrder && row == LastModuleRow && MusicMode != MusicOff)
            SongSelection = NextSongSlot(SongSelection);
        LastModuleOrder = order;
        LastModuleRow = row;
        SongCheckFrames = 0;
    }
    SongCheckFrames += 1;
}

void MusicFrame() {
    if (MusicMode == MusicOn) PlaySelectedSong();
    if (MusicMode == MusicOff) SilenceMusic();
    CheckSongEnd();
}

void AudioShutdown() {
    SetOutputVolume(SavedVolume);
    StopOutput();
    for (uint32_t& module : MusicModules) {
        FreeChannel(module);
        module = 0;
    }
    CloseSoundOutput();
    IntroStream = 0;
}

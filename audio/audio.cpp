// The intro stream, the four song slots and the automatic advance, on the
// sound engine. Runs on the GLUT thread.
#include "audio/audio.h"

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
    Audio.SavedVolume = OutputVolume();
}

void CreateIntroStream() {
    Audio.IntroStream = CreateFileStream(IntroStreamFile);
    if (!Audio.IntroStream) fputs("Can't create stream\n", stdout);
}

void LoadModules() {
    for (int i = 0; i < ModuleCount; ++i) {
        Audio.MusicModules[i] = LoadModuleFile(ModuleFiles[i]);
        if (!Audio.MusicModules[i]) fputs("Can't open MOD file\n", stdout);
    }
}

void SetModuleScalers() {
    for (uint32_t module : Audio.MusicModules) SetModulePositionScaler(module, ModulePositionScaler);
}

void StartIntroStream() {
    StartOutput();
    if (!PlayFromStart(Audio.IntroStream)) fputs("Can't play stream\n", stdout);
}

void IntroAudioFrame() {
    WatchSoundOutput();
    ReadSpectrum(Audio.IntroStream, Spectrum);
}

void ReadIntroClock() {
    // A stream that could not be created reads NoPosition: 4294967 is past
    // the intro's end, so the magazine begins at once.
    Audio.IntroClock = ChannelPosition(Audio.IntroStream) / 1000;
}

void ReleaseIntroStream() {
    StopChannel(Audio.IntroStream);
    FreeChannel(Audio.IntroStream);
    Audio.IntroStream = 0;
}

void SkipIntroAudio() {
    StopOutput();
    FreeChannel(Audio.IntroStream);
    Audio.IntroStream = 0;
}

void PlaySlot(int n) {
    StartOutput();
    if (n < 0 || n >= ModuleCount) return;  // the gap slot: output on, nothing plays
    if (!PlayFromStart(Audio.MusicModules[n])) fputs("Can't play MOD\n", stdout);
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
    for (int i = 0; i < plan.stoppedCount; ++i) StopChannel(Audio.MusicModules[plan.stopped[i]]);
    // A slot starts from its beginning when it becomes the playing one; the
    // others must start afresh the next time they are picked.
    if (Audio.SongNeedsStart[slot]) {
        PlaySlot(slot);
        std::fill(Audio.SongNeedsStart, Audio.SongNeedsStart + 5, uint8_t{1});
        Audio.SongNeedsStart[slot] = 0;
    }
    if (plan.module < 0) return;  // the gap keeps Spectrum and IntroClock as they are
    uint32_t module = Audio.MusicModules[plan.module];
    ReadSpectrum(module, Spectrum);
    Audio.IntroClock = ChannelPosition(module);
}

static void SilenceMusic() {
    for (uint32_t module : Audio.MusicModules) StopChannel(module);
    std::fill(Spectrum, Spectrum + SpectrumSize, 0.0f);
    std::fill(Audio.SongNeedsStart, Audio.SongNeedsStart + 5, uint8_t{1});
}

static int32_t NextSongSlot(int32_t slot) {
    return (slot >= FirstSongSlot && slot < GapSongSlot) ? slot + 1 : FirstSongSlot;
}

// About every 200/75 s: a position unchanged since the previous check means
// the song has ended (or is the gap, or never started), so the next slot
// follows. The average frame step is 0 until it has been measured: no check then.
static void CheckSongEnd(float averageFrameStep) {
    uint32_t order = Audio.IntroClock & 0xFFFF;
    uint32_t row = Audio.IntroClock >> 16;
    if (averageFrameStep > 0.0f && 200.0 / averageFrameStep < Audio.SongCheckFrames) {
        if (order == Audio.LastModuleOrder && row == Audio.LastModuleRow && MusicMode != MusicOff)
            SongSelection = NextSongSlot(SongSelection);
        Audio.LastModuleOrder = order;
        Audio.LastModuleRow = row;
        Audio.SongCheckFrames = 0;
    }
    Audio.SongCheckFrames += 1;
}

void MusicFrame(float averageFrameStep) {
    WatchSoundOutput();
    if (MusicMode == MusicOn) PlaySelectedSong();
    if (MusicMode == MusicOff) SilenceMusic();
    CheckSongEnd(averageFrameStep);
}

void AudioShutdown() {
    SetOutputVolume(Audio.SavedVolume);
    StopOutput();
    for (uint32_t& module : Audio.MusicModules) {
        FreeChannel(module);
        module = 0;
    }
    CloseSoundOutput();
    Audio.IntroStream = 0;
}

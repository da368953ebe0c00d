// Audio: the intro stream, the four song slots and the spectrum.
//
// Everything here runs on the GLUT thread. The sound engine (audio/engine.h)
// decodes and mixes on SDL's callback thread; these functions only start,
// stop and release sound and read positions and spectra, so none of them
// waits longer than a short copy. Every call is safe whether or not a sound
// device, the intro stream or any module could be opened.
#pragma once
#include <cstdint>

constexpr int SpectrumSize = 512;       // magnitudes, lowest frequency first
constexpr int32_t FirstSongSlot = 8;    // slots 8..11 play modules 1..4
constexpr int32_t GapSongSlot = 12;     // the silent gap after the fourth song
constexpr int32_t MusicOn = 13;
constexpr int32_t MusicOff = 14;
constexpr int ModuleCount = 4;
constexpr uint32_t ModulePositionScaler = 10;  // fine steps per module row

extern int32_t SongSelection;          // 8..12, written by the button bar and the advance
extern int32_t MusicMode;              // MusicOn or MusicOff, written by the button bar
extern float Spectrum[SpectrumSize];   // read by the noise flicker and the spectrum trace

// Engine handles, 0 for none: the intro stream and the modules of slots 8..11.
extern uint32_t IntroStream;
extern uint32_t MusicModules[ModuleCount];
extern uint32_t SavedVolume;
extern uint8_t SongNeedsStart[5];      // slots 8..12; 1 = start from the beginning
extern uint32_t LastModuleOrder;       // position seen at the previous song-end check
extern uint32_t LastModuleRow;
extern int32_t SongCheckFrames;        // frames since the previous song-end check

// Set-up, once, in this order, during resource initialisation.
void AudioInit();          // opens the output; "Couldn't init BASS\n" and silence without a device
void CreateIntroStream();  // reads "Data/TB15Intro.mp3" now: the file may be deleted afterwards
void LoadModules();        // the four modules, "Can't open MOD file\n" for each that fails
void SetModuleScalers();   // ModulePositionScaler fine steps per row for the four modules

// The intro, on the stream's clock.
void StartIntroStream();   // first intro frame: starts output, plays the stream from 0
// First half of an intro frame's audio step: Spectrum = the intro stream's spectrum.
void IntroAudioFrame();
// Second half, at the end of the intro frame: IntroClock = stream position in bytes / 1000.
void ReadIntroClock();
void ReleaseIntroStream(); // first magazine frame: stops and frees the stream
void SkipIntroAudio();     // Escape/Space in the intro: all output stops, the stream is freed

// The magazine's music.
// Starts output and restarts slot n's module (n = 0..3) from its beginning;
// n = 4 is the gap slot, which only starts the output.
void PlaySlot(int n);
// Once per magazine frame: turns SongSelection and MusicMode into playback,
// refreshes Spectrum and IntroClock (the module's raw position) and advances
// to the next song once the playing one has ended.
void MusicFrame();

// At exit: restores the saved output volume and releases everything.
void AudioShutdown();

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

// What the audio side keeps between frames.
struct AudioState {
    // Engine handles, 0 for none: the intro stream and the modules of slots 8..11.
    uint32_t IntroStream;
    uint32_t MusicModules[ModuleCount];
    uint32_t SavedVolume;
    uint8_t SongNeedsStart[5];  // slots 8..12; 1 = start from the beginning
    // The music position as heard. In the intro: the stream's position in
    // bytes / 1000, the intro timeline's clock. In the magazine: the selected
    // module's position, order in the low 16 bits, row in the high 16 bits.
    uint32_t IntroClock;
    uint32_t LastModuleOrder;   // position seen at the previous song-end check
    uint32_t LastModuleRow;
    int32_t SongCheckFrames;    // frames since the previous song-end check
};

// The start values of the previous check match no real position, so the
// first check never mistakes the start for an ended song.
inline constexpr AudioState AudioStart{0, {}, 0, {1, 1, 1, 1, 1}, 0, 9929, 9929, 0};
extern AudioState Audio;

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
// to the next song once the playing one has ended. averageFrameStep is the
// frame driver's Frame.AverageFrameStep: a check comes every 200 / 75 s, and none
// before it has been measured (0).
void MusicFrame(float averageFrameStep);

// At exit: restores the saved output volume and releases everything.
void AudioShutdown();

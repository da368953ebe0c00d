// The sound engine: SDL2 output, MP3 streams (libmpg123), tracker modules
// (libopenmpt) and spectra (FFTW).
//
// Output is 44,100 Hz, 16-bit stereo. Decoding and mixing run in SDL's
// callback thread; every function here is called from the GLUT thread and
// holds the engine lock only for a copy, except FreeChannel, CloseSoundOutput
// and WatchSoundOutput when it reopens, which wait for a running callback to
// finish.
//
// Channels are named by handles: 0 is never a channel, and a freed channel's
// handle stays invalid even after its slot is reused. Every function accepts
// any handle; an invalid one does nothing and reads as "no channel".
//
// Limits: at most EngineChannelLimit channels at a time; a sound file is read
// whole into memory when its channel is created (the file may be deleted right
// after) and may be at most MaxSoundFileBytes long.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int OutputRate = 44100;
constexpr uint32_t OutputBytesPerSecond = OutputRate * 4;  // 16-bit stereo
constexpr int EngineChannelLimit = 8;
constexpr size_t MaxSoundFileBytes = 64u << 20;
constexpr int SpectrumBins = 512;
constexpr uint32_t NoPosition = 0xFFFFFFFFu;  // the position of an invalid handle
constexpr uint32_t FullVolume = 100;

// Opens the default output device; false when none opens.
bool OpenSoundOutput();
// Opens SDL's "dummy" driver, which consumes sound in real time without a
// device, so positions still advance on a silent machine.
bool OpenSilentOutput();
// Stops output and frees every channel and the device.
void CloseSoundOutput();
// Once a frame: when the device has been lost (unplugged, its sound server
// gone), reopens the output on the dummy driver with every channel where it
// was, running if it ran; true when it did so.
bool WatchSoundOutput();

// Starts the output (channels marked playing are heard from now on).
void StartOutput();
// Stops the output and every channel; positions keep their values.
void StopOutput();
// Master volume in percent, 0..FullVolume, applied when mixing.
uint32_t OutputVolume();
void SetOutputVolume(uint32_t percent);

// Creates an MP3 stream from the file at path (through OpenDataFile); 0 on failure.
uint32_t CreateFileStream(const char* path);
// Loads a module in any format libopenmpt reads, set to play once and stop; 0 on failure.
uint32_t LoadModuleFile(const char* path);
// Fine steps per row in a module's position (1 when never set).
void SetModulePositionScaler(uint32_t handle, uint32_t scaler);

// Plays a channel from its very beginning with fresh playback state; false
// for an invalid handle.
bool PlayFromStart(uint32_t handle);
void StopChannel(uint32_t handle);
void FreeChannel(uint32_t handle);

// The position being heard now: what went out less what the device still
// holds, run on by the wall clock between the callback's calls; it never runs
// backwards, and a stopped channel keeps the position it was stopped at.
// A stream: bytes of 16-bit stereo output (saturating).
// A module: order in the low 16 bits, row x scaler plus the elapsed fine steps
// of the row in the high 16 bits; after the end it keeps its last value.
// NoPosition for an invalid handle.
uint32_t ChannelPosition(uint32_t handle);
// SpectrumBins magnitudes of a Hann-windowed 1024-point FFT of the channel's
// latest output, lowest frequency first; a full-scale sine peaks near 1.0.
// All zeros for a channel that is not playing.
void ReadSpectrum(uint32_t handle, float* out);

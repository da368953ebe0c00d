// The sound engine's shared state, for its own source files only.
//
// Who touches what:
//  - A channel's decoders (file bytes, mpg123 or libopenmpt handle, row
//    tracker) are built on the GLUT thread before the channel is published,
//    then used only by the output callback, and destroyed by FreeChannel
//    while the callback is locked out (SDL_LockAudioDevice).
//  - The control and published fields are guarded by EngineLock, which both
//    sides hold only to copy a few values or one spectrum window.
//  - playSerial counts play and stop requests; the callback publishes what it
//    rendered only if no request came in meanwhile, so a restart is never
//    overwritten by a block rendered before it.
//  - Positions are reported as heard: the callback stamps every block with
//    its place in the output (frames handed to the device since it opened)
//    and publishes HeardClock once per call; the GLUT thread subtracts what
//    the device still holds and runs on by the wall clock between calls.
#pragma once
#include "audio/engine.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include <mutex>

constexpr int SpectrumWindow = 1024;  // samples per FFT, twice SpectrumBins
constexpr int MixBlockFrames = 256;   // frames rendered per channel at a time
// Module positions of the latest blocks, enough to cover the device's buffer
// and one call of the callback (64 x 256 frames, 370 ms).
constexpr int PositionMarkCount = 64;

enum ChannelKind : uint8_t { FreeSlot, StreamChannel, ModuleChannel };

// A sound file read whole; the MP3 decoder reads it through readOffset.
struct SoundFile {
    unsigned char* bytes;
    size_t size;
    size_t readOffset;
};

struct Channel {
    // Decoders (see above).
    SoundFile file;
    mpg123_handle* stream;
    openmpt_module* module;
    int32_t rowOrder;        // order and row of the previous block,
    int32_t rowIndex;        // -1 after a restart
    uint32_t framesIntoRow;  // frames rendered since the row began

    // Control and published state, under EngineLock.
    ChannelKind kind;
    uint16_t generation;  // part of the handle; bumped on free
    bool playing;
    bool restartPending;
    uint32_t playSerial;
    uint32_t positionScaler;
    uint64_t framesPlayed;  // output frames delivered since the start
    int64_t startFrame;     // output frame at which the first frame went out
    // Modules: packed order and row as each block ends, oldest overwritten.
    struct { int64_t endFrame; uint32_t position; } marks[PositionMarkCount];
    int markCount;
    int markHead;           // next mark to overwrite
    bool held;              // stopped: reports heldPosition until played again
    uint32_t heldPosition;
    float history[SpectrumWindow];  // mono ring of the latest output
    int historyHead;                // next sample to overwrite
};

// The output as the callback last saw it, under EngineLock.
struct HeardClock {
    int64_t handedOut;     // output frames handed out before the latest call
    int64_t callFrames;    // frames that call rendered
    int64_t queuedFrames;  // frames the device holds before they are heard
    uint64_t callTicks;    // SDL performance counter at the start of that call
};

extern Channel Channels[EngineChannelLimit];
extern std::mutex EngineLock;
extern SDL_AudioDeviceID OutputDevice;  // 0 while no output is open
extern HeardClock Heard;

// The output frame being heard now; never less than the last one reported.
// The caller holds EngineLock.
int64_t HeardOutputFrame();
// A mixed sample as 16-bit output: clipped, NaN as silence.
Sint16 ToOutputSample(float sample);

// The channel a handle names, or null; the caller holds EngineLock.
Channel* FindChannel(uint32_t handle);
// Stops a channel where it is heard now; it reports that position until it
// plays again. The caller holds EngineLock.
void HoldChannel(Channel* channel);
// Frees every channel (the output callback must not be running).
void FreeAllChannels();

// Decoders.
bool ReadWholeSoundFile(const char* path, SoundFile* file);
bool OpenStreamDecoder(Channel* channel);
bool OpenModuleDecoder(Channel* channel);
void CloseDecoders(Channel* channel);
// Back to the first sample with fresh playback state.
void RewindDecoder(Channel* channel);
// Renders up to frames stereo float frames into out; fewer at the end of the
// sound or on a decoder error, the rest of out is then silence.
int RenderChannel(Channel* channel, float* out, int frames);
// A module's packed position after a fully rendered block of frames.
uint32_t TrackModulePosition(Channel* channel, int frames, uint32_t scaler);

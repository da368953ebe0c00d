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
#pragma once
#include "audio/engine.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include <mutex>

constexpr int SpectrumWindow = 1024;  // samples per FFT, twice SpectrumBins
constexpr int MixBlockFrames = 256;   // frames rendered per channel at a time

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
    uint64_t framesPlayed;  // streams: output frames delivered since the start
    uint32_t position;      // modules: packed order and row
    float history[SpectrumWindow];  // mono ring of the latest output
    int historyHead;                // next sample to overwrite
};

extern Channel Channels[EngineChannelLimit];
extern std::mutex EngineLock;
extern SDL_AudioDeviceID OutputDevice;  // 0 while no output is open

// The channel a handle names, or null; the caller holds EngineLock.
Channel* FindChannel(uint32_t handle);
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

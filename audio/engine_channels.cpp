// The sound engine's channel table: creation, play and stop requests,
// positions and release. Runs on the GLUT thread.
//
// A handle is (generation << 8) | (slot + 1): slot 0..EngineChannelLimit-1,
// generation bumped each time the slot is taken, so a stale handle never
// names the slot's next channel.
#include "audio/engine_internal.h"

#include <algorithm>

Channel Channels[EngineChannelLimit];
std::mutex EngineLock;

Channel* FindChannel(uint32_t handle) {
    uint32_t slot = (handle & 0xFF) - 1;
    if (slot >= EngineChannelLimit) return nullptr;
    Channel* channel = &Channels[slot];
    if (channel->kind == FreeSlot || channel->generation != (handle >> 8)) return nullptr;
    return channel;
}

static void ResetPlayback(Channel* channel) {
    channel->framesPlayed = 0;
    channel->startFrame = 0;
    channel->markCount = 0;
    channel->markHead = 0;
    channel->held = false;
    std::fill(channel->history, channel->history + SpectrumWindow, 0.0f);
    channel->historyHead = 0;
}

// Builds the decoders in a free slot (the callback skips free slots), then
// publishes the channel under the lock.
static uint32_t CreateChannel(const char* path, ChannelKind kind, bool (*openDecoder)(Channel*)) {
    Channel* channel = std::find_if(Channels, Channels + EngineChannelLimit,
                                    [](const Channel& c) { return c.kind == FreeSlot; });
    if (channel == Channels + EngineChannelLimit) return 0;
    if (!ReadWholeSoundFile(path, &channel->file) || !openDecoder(channel)) {
        CloseDecoders(channel);
        return 0;
    }
    RewindDecoder(channel);
    std::lock_guard<std::mutex> hold(EngineLock);
    channel->generation = static_cast<uint16_t>(channel->generation == 0xFFFF ? 1 : channel->generation + 1);
    channel->kind = kind;
    channel->playing = false;
    channel->restartPending = false;
    channel->positionScaler = 1;
    ResetPlayback(channel);
    uint32_t slot = static_cast<uint32_t>(channel - Channels);
    return (uint32_t(channel->generation) << 8) | (slot + 1);
}

uint32_t CreateFileStream(const char* path) {
    return CreateChannel(path, StreamChannel, OpenStreamDecoder);
}

uint32_t LoadModuleFile(const char* path) {
    return CreateChannel(path, ModuleChannel, OpenModuleDecoder);
}

void SetModulePositionScaler(uint32_t handle, uint32_t scaler) {
    std::lock_guard<std::mutex> hold(EngineLock);
    Channel* channel = FindChannel(handle);
    if (channel && channel->kind == ModuleChannel)
        channel->positionScaler = std::clamp<uint32_t>(scaler, 1, 0xFFFF);
}

bool PlayFromStart(uint32_t handle) {
    std::lock_guard<std::mutex> hold(EngineLock);
    Channel* channel = FindChannel(handle);
    if (!channel) return false;
    // The callback rewinds the decoder before its next block; the position
    // reads 0 from now on.
    channel->playing = true;
    channel->restartPending = true;
    channel->playSerial++;
    ResetPlayback(channel);
    return true;
}

// The position of the latest block whose end has been heard, 0 before any.
// When older marks have been overwritten, the oldest kept stands for them.
static uint32_t HeardModulePosition(const Channel* channel, int64_t heard) {
    uint32_t position = 0;
    for (int i = 0; i < channel->markCount; ++i) {
        int slot = (channel->markHead - channel->markCount + i + PositionMarkCount) % PositionMarkCount;
        bool standsForOlder = i == 0 && channel->markCount == PositionMarkCount;
        if (channel->marks[slot].endFrame > heard && !standsForOlder) break;
        position = channel->marks[slot].position;
    }
    return position;
}

static uint32_t HeardPosition(const Channel* channel) {
    int64_t heard = HeardOutputFrame();
    if (channel->kind == ModuleChannel) return HeardModulePosition(channel, heard);
    // Until its first block goes out a restarted channel is at its start.
    int64_t frames = channel->restartPending ? 0 : heard - channel->startFrame;
    uint64_t played = static_cast<uint64_t>(std::clamp<int64_t>(frames, 0, static_cast<int64_t>(channel->framesPlayed)));
    return static_cast<uint32_t>(std::min<uint64_t>(played * 4, NoPosition - 1));
}

void HoldChannel(Channel* channel) {
    if (channel->kind != FreeSlot && !channel->held) {
        channel->heldPosition = HeardPosition(channel);
        channel->held = true;
    }
    channel->playing = false;
    channel->playSerial++;
}

void StopChannel(uint32_t handle) {
    std::lock_guard<std::mutex> hold(EngineLock);
    Channel* channel = FindChannel(handle);
    if (channel) HoldChannel(channel);
}

uint32_t ChannelPosition(uint32_t handle) {
    std::lock_guard<std::mutex> hold(EngineLock);
    Channel* channel = FindChannel(handle);
    if (!channel) return NoPosition;
    return channel->held ? channel->heldPosition : HeardPosition(channel);
}

// Marks the channel's slot free; the callback skips free slots, so once no
// block is in flight its decoders can be closed without the lock.
static Channel* Unpublish(uint32_t handle) {
    std::lock_guard<std::mutex> hold(EngineLock);
    Channel* channel = FindChannel(handle);
    if (!channel) return nullptr;
    channel->kind = FreeSlot;
    channel->playing = false;
    return channel;
}

void FreeChannel(uint32_t handle) {
    // Waits for a callback that may be rendering this channel right now.
    if (OutputDevice) SDL_LockAudioDevice(OutputDevice);
    Channel* channel = Unpublish(handle);
    if (OutputDevice) SDL_UnlockAudioDevice(OutputDevice);
    if (channel) CloseDecoders(channel);
}

void FreeAllChannels() {
    for (Channel& channel : Channels) {
        if (channel.kind == FreeSlot) continue;
        channel.kind = FreeSlot;
        channel.playing = false;
        CloseDecoders(&channel);
    }
}

// The sound engine's output: the SDL device and the callback that renders
// and mixes every playing channel.
//
// The callback works in blocks of MixBlockFrames. For each playing channel it
// copies the control fields under EngineLock, renders without the lock, then
// publishes position and spectrum history under the lock again, each block
// stamped with the output frame it starts at.
#include "audio/engine_internal.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

SDL_AudioDeviceID OutputDevice = 0;
HeardClock Heard{};
static std::atomic<uint32_t> MasterVolume{FullVolume};
static bool OutputRunning = false;  // started and not stopped since
static int64_t HandedOut = 0;       // callback only: output frames handed out
static int64_t LastHeardFrame = 0;  // under EngineLock

// Callback-only scratch: one block of one channel and the mix of all.
static float ChannelBlock[MixBlockFrames * 2];
static float MixBlock[MixBlockFrames * 2];

struct BlockOrder {
    bool playing;
    bool restart;
    uint32_t serial;
    uint32_t scaler;
};

static BlockOrder TakeBlockOrder(Channel* channel) {
    std::lock_guard<std::mutex> hold(EngineLock);
    BlockOrder order{channel->kind != FreeSlot && channel->playing, channel->restartPending,
                     channel->playSerial, channel->positionScaler};
    if (order.playing) channel->restartPending = false;
    return order;
}

static void AppendHistory(Channel* channel, const float* stereo, int frames) {
    for (int i = 0; i < frames; ++i) {
        channel->history[channel->historyHead] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        channel->historyHead = (channel->historyHead + 1) % SpectrumWindow;
    }
}

static void AddPositionMark(Channel* channel, int64_t endFrame, uint32_t position) {
    channel->marks[channel->markHead] = {endFrame, position};
    channel->markHead = (channel->markHead + 1) % PositionMarkCount;
    channel->markCount = std::min(channel->markCount + 1, PositionMarkCount);
}

static void PublishBlock(Channel* channel, const BlockOrder& order, int rendered, int frames,
                         int64_t blockStart, uint32_t modulePosition) {
    std::lock_guard<std::mutex> hold(EngineLock);
    if (channel->playSerial != order.serial) return;  // restarted or stopped meanwhile
    if (order.restart) channel->startFrame = blockStart;
    channel->framesPlayed += static_cast<uint64_t>(rendered);
    AppendHistory(channel, ChannelBlock, rendered);
    // A module reports order 0, row 0 once it has ended, so the position is
    // taken only from blocks rendered in full and keeps its last value.
    if (rendered == frames) {
        if (channel->kind == ModuleChannel) AddPositionMark(channel, blockStart + frames, modulePosition);
    } else {
        channel->playing = false;
    }
}

static void MixChannel(Channel* channel, int frames, int64_t blockStart) {
    BlockOrder order = TakeBlockOrder(channel);
    if (!order.playing) return;
    if (order.restart) RewindDecoder(channel);
    int rendered = RenderChannel(channel, ChannelBlock, frames);
    uint32_t modulePosition = 0;
    if (channel->module && rendered == frames)
        modulePosition = TrackModulePosition(channel, frames, order.scaler);
    PublishBlock(channel, order, rendered, frames, blockStart, modulePosition);
    for (int i = 0; i < frames * 2; ++i) MixBlock[i] += ChannelBlock[i];
}

Sint16 ToOutputSample(float sample) {
    // A NaN passes clamp unchanged and has no integer value.
    if (std::isnan(sample)) return 0;
    return static_cast<Sint16>(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
}

static void FillOutput(void*, Uint8* stream, int length) {
    uint64_t callTicks = SDL_GetPerformanceCounter();
    Sint16* out = reinterpret_cast<Sint16*>(stream);
    int total = length / 4;
    float gain = static_cast<float>(MasterVolume.load(std::memory_order_relaxed)) / FullVolume;
    for (int done = 0; done < total;) {
        int frames = std::min(MixBlockFrames, total - done);
        std::fill(MixBlock, MixBlock + frames * 2, 0.0f);
        for (Channel& channel : Channels) MixChannel(&channel, frames, HandedOut + done);
        for (int i = 0; i < frames * 2; ++i) out[done * 2 + i] = ToOutputSample(MixBlock[i] * gain);
        done += frames;
    }
    std::lock_guard<std::mutex> hold(EngineLock);
    Heard.handedOut = HandedOut;
    Heard.callFrames = total;
    Heard.callTicks = callTicks;
    HandedOut += total;
}

// At a call the device still holds what it was handed before, up to its
// buffer, and what is heard runs on at the output rate until the next call;
// it never passes the frames of the latest call.
int64_t HeardOutputFrame() {
    int64_t frame = Heard.handedOut - Heard.queuedFrames;
    if (Heard.callTicks != 0) {
        double elapsed = static_cast<double>(SDL_GetPerformanceCounter() - Heard.callTicks) /
                         static_cast<double>(SDL_GetPerformanceFrequency());
        frame += std::min(static_cast<int64_t>(elapsed * OutputRate), Heard.callFrames);
    }
    LastHeardFrame = std::max(LastHeardFrame, frame);
    return LastHeardFrame;
}

static bool OpenOutputDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = OutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;  // about 23 ms
    wanted.callback = FillOutput;
    // No changes allowed: SDL converts to what the device takes, so the
    // callback always fills 44,100 Hz 16-bit stereo.
    SDL_AudioSpec obtained{};
    OutputDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (OutputDevice == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // The dummy driver consumes each buffer while it waits for the next call,
    // so nothing is queued there; a real device holds a buffer's worth.
    const char* driver = SDL_GetCurrentAudioDriver();
    bool dummy = driver && strcmp(driver, "dummy") == 0;
    std::lock_guard<std::mutex> hold(EngineLock);
    Heard.queuedFrames = dummy ? 0 : obtained.samples;
    return true;
}

bool OpenSoundOutput() {
    return OutputDevice != 0 || OpenOutputDevice();
}

bool OpenSilentOutput() {
    if (OutputDevice != 0) return true;
    // Overrides SDL_AUDIODRIVER from the environment too: the driver named
    // there is the one that just failed.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    return OpenOutputDevice();
}

static void CloseOutputDevice() {
    if (OutputDevice == 0) return;
    SDL_CloseAudioDevice(OutputDevice);  // waits for the callback thread to end
    OutputDevice = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void CloseSoundOutput() {
    CloseOutputDevice();
    FreeAllChannels();
    OutputRunning = false;
    HandedOut = 0;
    LastHeardFrame = 0;
    Heard = HeardClock{};
}

// SDL marks a device it has lost (unplugged, its sound server gone) as
// stopped; its thread then only waits out each buffer. The channels and the
// output frame count live outside the device, so playback goes on from the
// same places on the dummy driver.
bool WatchSoundOutput() {
    if (OutputDevice == 0 || SDL_GetAudioDeviceStatus(OutputDevice) != SDL_AUDIO_STOPPED) return false;
    CloseOutputDevice();
    if (!OpenSilentOutput()) return false;
    if (OutputRunning) SDL_PauseAudioDevice(OutputDevice, 0);
    return true;
}

void StartOutput() {
    OutputRunning = true;
    if (OutputDevice != 0) SDL_PauseAudioDevice(OutputDevice, 0);
}

void StopOutput() {
    OutputRunning = false;
    if (OutputDevice != 0) SDL_PauseAudioDevice(OutputDevice, 1);
    std::lock_guard<std::mutex> hold(EngineLock);
    for (Channel& channel : Channels) HoldChannel(&channel);
}

uint32_t OutputVolume() {
    return MasterVolume.load();
}

void SetOutputVolume(uint32_t percent) {
    MasterVolume.store(std::min(percent, FullVolume));
}

// The sound engine's output: the SDL device and the callback that renders
// and mixes every playing channel.
//
// The callback works in blocks of MixBlockFrames. For each playing channel it
// copies the control fields under EngineLock, renders without the lock, then
// publishes position and spectrum history under the lock again. Positions are
// therefore counted at the output: a block counts once it has been mixed.
#include "audio/engine_internal.h"

#include <algorithm>
#include <atomic>

SDL_AudioDeviceID OutputDevice = 0;
static std::atomic<uint32_t> MasterVolume{FullVolume};

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

static void PublishBlock(Channel* channel, const BlockOrder& order, int rendered, int frames,
                         uint32_t modulePosition) {
    std::lock_guard<std::mutex> hold(EngineLock);
    if (channel->playSerial != order.serial) return;  // restarted or stopped meanwhile
    channel->framesPlayed += static_cast<uint64_t>(rendered);
    AppendHistory(channel, ChannelBlock, rendered);
    // A module reports order 0, row 0 once it has ended, so the position is
    // taken only from blocks rendered in full and keeps its last value.
    if (rendered == frames) {
        if (channel->kind == ModuleChannel) channel->position = modulePosition;
    } else {
        channel->playing = false;
    }
}

static void MixChannel(Channel* channel, int frames) {
    BlockOrder order = TakeBlockOrder(channel);
    if (!order.playing) return;
    if (order.restart) RewindDecoder(channel);
    int rendered = RenderChannel(channel, ChannelBlock, frames);
    uint32_t modulePosition = 0;
    if (channel->module && rendered == frames)
        modulePosition = TrackModulePosition(channel, frames, order.scaler);
    PublishBlock(channel, order, rendered, frames, modulePosition);
    for (int i = 0; i < frames * 2; ++i) MixBlock[i] += ChannelBlock[i];
}

static void FillOutput(void*, Uint8* stream, int length) {
    Sint16* out = reinterpret_cast<Sint16*>(stream);
    int total = length / 4;
    float gain = static_cast<float>(MasterVolume.load(std::memory_order_relaxed)) / FullVolume;
    for (int done = 0; done < total;) {
        int frames = std::min(MixBlockFrames, total - done);
        std::fill(MixBlock, MixBlock + frames * 2, 0.0f);
        for (Channel& channel : Channels) MixChannel(&channel, frames);
        for (int i = 0; i < frames * 2; ++i) {
            float sample = std::clamp(MixBlock[i] * gain, -1.0f, 1.0f);
            out[done * 2 + i] = static_cast<Sint16>(sample * 32767.0f);
        }
        done += frames;
    }
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
    OutputDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (OutputDevice != 0) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
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

void CloseSoundOutput() {
    if (OutputDevice != 0) {
        SDL_CloseAudioDevice(OutputDevice);  // waits for the callback thread to end
        OutputDevice = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    FreeAllChannels();
}

void StartOutput() {
    if (OutputDevice != 0) SDL_PauseAudioDevice(OutputDevice, 0);
}

void StopOutput() {
    if (OutputDevice != 0) SDL_PauseAudioDevice(OutputDevice, 1);
    std::lock_guard<std::mutex> hold(EngineLock);
    for (Channel& channel : Channels) {
        channel.playing = false;
        channel.playSerial++;
    }
}

uint32_t OutputVolume() {
    return MasterVolume.load();
}

void SetOutputVolume(uint32_t percent) {
    MasterVolume.store(std::min(percent, FullVolume));
}

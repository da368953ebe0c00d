// Audio (multimedia) parse: each byte becomes the difference between the
// channel predictor's guess and the byte, exactly as the decoder will
// predict it, so smooth waveforms turn into small, cheaply coded deltas.
#include <cmath>

#include "pack/encode.h"

void ParseAudio(ParseState& state, const uint8_t* data, uint32_t size, uint32_t channels,
                std::vector<Token>* tokens) {
    uint32_t channel = state.CurrentChannel >= channels ? 0 : state.CurrentChannel;
    for (uint32_t i = 0; i < size; i++) {
        AudioPredictor& v = state.AudioPredictors[channel];
        uint8_t delta = uint8_t(v.LastByte + PredictAudioChange(v, state.ChannelDelta) - data[i]);
        LearnAudioByte(v, state.AudioHistories[channel], state.ChannelDelta, ScaledDelta(delta),
                       int8_t(uint8_t(data[i] - v.LastByte)));
        tokens->push_back({delta, uint16_t(channel), 0, 0, 0, 0});
        if (++channel == channels) channel = 0;
    }
    state.CurrentChannel = channel;
}

// Order-0 entropy of the deltas, in bits, summed over the channels.
static double DeltaEntropy(const std::vector<Token>& tokens, uint32_t channels) {
    double bits = 0;
    for (uint32_t c = 0; c < channels; c++) {
        uint32_t histogram[256] = {};
        uint32_t total = 0;
        for (const Token& t : tokens) {
            if (t.Second != c) continue;
            histogram[t.Main]++;
            total++;
        }
        for (uint32_t n : histogram)
            if (n) bits -= n * std::log2(double(n) / total);
    }
    return bits;
}

uint32_t ChooseAudioChannels(const uint8_t* data, uint32_t size) {
    static constexpr uint32_t SampleBytes = 1 << 18;  // enough to judge, quick to run
    uint32_t sample = size < SampleBytes ? size : SampleBytes;
    uint32_t best = 1;
    double bestBits = 0;
    std::vector<Token> tokens;
    for (uint32_t channels = 1; channels <= 4; channels++) {
        ParseState state = {};
        tokens.clear();
        ParseAudio(state, data, sample, channels, &tokens);
        double bits = DeltaEntropy(tokens, channels);
        if (channels == 1 || bits < bestBits) {
            best = channels;
            bestBits = bits;
        }
    }
    return best;
}

// The adaptive predictor of RAR 2.0 audio blocks. The decoder and the
// writer's encoder run it identically, byte for byte, so that both sides
// always agree on the prediction a delta refers to. Inline: it runs once
// per audio byte in the decoder's inner loop.
#pragma once
#include <cstdint>
#include <cstdlib>

// One audio channel's adaptive predictor.
struct AudioPredictor {
    int32_t K1, K2, K3, K4, K5;
    int32_t D1, D2, D3, D4;
    int32_t LastDelta;
    uint32_t LastByte;
    uint32_t ByteCount;
    uint32_t Err[11];
};

// Starts one audio byte: shifts the past deltas and returns the predicted
// byte; the coded delta is prediction minus actual byte.
inline uint32_t PredictAudioByte(AudioPredictor& v, int32_t channelDelta) {
    v.ByteCount++;
    v.D4 = v.D3;
    v.D3 = v.D2;
    v.D2 = v.LastDelta - v.D1;
    v.D1 = v.LastDelta;
    int32_t sum = 8 * int32_t(v.LastByte) + v.K1 * v.D1 + v.K2 * v.D2 + v.K3 * v.D3 +
                  v.K4 * v.D4 + v.K5 * channelDelta;
    return uint32_t(sum >> 3) & 0xFF;
}

// Err[2k-1] and Err[2k] judge weight k one step down and one step up.
inline void AdjustBestWeight(AudioPredictor& v) {
    uint32_t best = v.Err[0];
    int bestIndex = 0;
    for (int i = 1; i < 11; i++) {
        if (v.Err[i] < best) {
            best = v.Err[i];
            bestIndex = i;
        }
    }
    for (uint32_t& err : v.Err) err = 0;
    if (bestIndex == 0) return;
    int32_t* weights[5] = {&v.K1, &v.K2, &v.K3, &v.K4, &v.K5};
    int32_t& weight = *weights[(bestIndex - 1) / 2];
    if (bestIndex & 1) {
        if (weight >= -16) weight--;
    } else if (weight < 16) {
        weight++;
    }
}

// Finishes the byte: error sums, the last delta and, every 32nd byte, the
// weight that would have predicted best.
inline void LearnAudioByte(AudioPredictor& v, int32_t& channelDelta, uint8_t delta, uint8_t value) {
    // Written out rather than looped: this runs for every audio byte.
    int32_t scaled = int32_t(int8_t(delta)) * 8;
    v.Err[0] += uint32_t(std::abs(scaled));
    v.Err[1] += uint32_t(std::abs(scaled - v.D1));
    v.Err[2] += uint32_t(std::abs(scaled + v.D1));
    v.Err[3] += uint32_t(std::abs(scaled - v.D2));
    v.Err[4] += uint32_t(std::abs(scaled + v.D2));
    v.Err[5] += uint32_t(std::abs(scaled - v.D3));
    v.Err[6] += uint32_t(std::abs(scaled + v.D3));
    v.Err[7] += uint32_t(std::abs(scaled - v.D4));
    v.Err[8] += uint32_t(std::abs(scaled + v.D4));
    v.Err[9] += uint32_t(std::abs(scaled - channelDelta));
    v.Err[10] += uint32_t(std::abs(scaled + channelDelta));
    v.LastDelta = channelDelta = int8_t(uint8_t(value - v.LastByte));
    v.LastByte = value;
    if ((v.ByteCount & 31) == 0) AdjustBestWeight(v);
}

// The adaptive predictor of RAR 2.0 audio blocks. The decoder and the
// writer's encoder run it identically, byte for byte, so that both sides
// always agree on the prediction a delta refers to.
#include <cstdlib>

#include "pack/rar20_tables.h"

uint32_t PredictAudioByte(AudioPredictor& v, int32_t channelDelta) {
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
static void AdjustBestWeight(AudioPredictor& v) {
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

void LearnAudioByte(AudioPredictor& v, int32_t& channelDelta, uint8_t delta, uint8_t value) {
    int32_t scaled = int32_t(int8_t(delta)) * 8;
    const int32_t past[5] = {v.D1, v.D2, v.D3, v.D4, channelDelta};
    v.Err[0] += uint32_t(std::abs(scaled));
    for (int k = 0; k < 5; k++) {
        v.Err[2 * k + 1] += uint32_t(std::abs(scaled - past[k]));
        v.Err[2 * k + 2] += uint32_t(std::abs(scaled + past[k]));
    }
    v.LastDelta = channelDelta = int8_t(uint8_t(value - v.LastByte));
    v.LastByte = value;
    if ((v.ByteCount & 31) == 0) AdjustBestWeight(v);
}

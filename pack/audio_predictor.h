// The adaptive predictor of RAR 2.0 audio blocks. The decoder and the
// writer's encoder run it identically, byte for byte, so that both sides
// always agree on the prediction a delta refers to. Inline: it runs once
// per audio byte in the decoder's inner loop.
#pragma once
#include <cstdint>
#include <cstring>

inline constexpr uint32_t AudioPeriod = 32;  // bytes of a channel between weight adjustments

// One audio channel's adaptive predictor. The format's past deltas are
// differences of the channel's last four changes L0..L3 (D1 = L0,
// D2 = L0 - L1, D3 = L1 - L2, D4 = L2 - L3), so its weighted sum K1 D1 +
// ... + K4 D4 + K5 * channel delta is taken with weights folded onto the
// changes. Only scalars: a decoder keeps them in registers.
struct AudioPredictor {
    int32_t K1, K2, K3, K4, K5;
    int32_t W0, W1, W2, W3;  // K1 + K2, K3 - K2, K4 - K3, -K4
    int32_t L0, L1, L2, L3;
    uint32_t LastByte;
    uint32_t ByteCount;
};

// The eleven error sums that pick a weight to adjust are not kept byte by
// byte: the period's deltas and changes are, and the sums are taken over
// all of them at once when the period ends.
struct AudioHistory {
    // 16 bits wide, as the sums take them.
    int16_t Deltas[AudioPeriod];         // each byte's coded delta, as a signed byte
    int16_t ChannelDeltas[AudioPeriod];  // the channel delta each byte was predicted with
    int16_t Changes[4 + AudioPeriod];    // the four changes before the period, then each byte's
};

// The predicted change from LastByte: the predicted byte is LastByte plus
// this, and the coded delta is that minus the actual byte (modulo 256).
// (8 * LastByte + sum) >> 3 is LastByte + (sum >> 3): the byte drops out.
inline int32_t PredictAudioChange(const AudioPredictor& v, int32_t channelDelta) {
    return (v.W0 * v.L0 + v.W1 * v.L1 + v.W2 * v.L2 + v.W3 * v.L3 + v.K5 * channelDelta) >> 3;
}

// Eight 16-bit lanes for the error sums: a term is at most 1,024 + 255 and
// a period sums 32 of them (at most 40,928), so every partial sum fits,
// the whole one as unsigned.
typedef int16_t Lanes __attribute__((vector_size(16)));
typedef uint32_t PairLanes __attribute__((vector_size(16)));  // the same bits, two lanes a piece

inline Lanes LoadLanes(const int16_t* values) {
    Lanes lanes;
    std::memcpy(&lanes, values, sizeof lanes);
    return lanes;
}

inline Lanes AbsLanes(Lanes x) {
    Lanes negated = -x;
    return x > negated ? x : negated;
}

// The eight lanes added up.
inline uint32_t SumLanes(Lanes x) {
    x += Lanes(__builtin_shufflevector(PairLanes(x), PairLanes(x), 2, 3, 0, 1));
    x += Lanes(__builtin_shufflevector(PairLanes(x), PairLanes(x), 1, 0, 3, 2));
    uint32_t pair = PairLanes(x)[0];
    return ((pair & 0xFFFF) + (pair >> 16)) & 0xFFFF;
}

// Weight k (1..5) one step down when error sum 2k - 1 won, up when 2k did.
inline int32_t NudgedWeight(int32_t weight, int k, int best) {
    if (best == 2 * k - 1 && weight >= -16) return weight - 1;
    if (best == 2 * k && weight < 16) return weight + 1;
    return weight;
}

// The error sums over a period's 32 bytes of |I|, |I -+ D1|, |I -+ D2|,
// |I -+ D3|, |I -+ D4| and |I -+ channel delta|, I being the delta times
// 8, in that order; returns the index of the smallest (the first of equals).
inline int LeastErrorIndex(const AudioHistory& h) {
    Lanes sums[11] = {};
    for (uint32_t at = 0; at < AudioPeriod; at += 8) {
        Lanes scaled = LoadLanes(h.Deltas + at) * 8;
        Lanes c1 = LoadLanes(h.Changes + 3 + at), c2 = LoadLanes(h.Changes + 2 + at);
        Lanes c3 = LoadLanes(h.Changes + 1 + at), c4 = LoadLanes(h.Changes + at);
        const Lanes past[5] = {c1, c1 - c2, c2 - c3, c3 - c4, LoadLanes(h.ChannelDeltas + at)};
        sums[0] += AbsLanes(scaled);
#pragma GCC unroll 5
        for (int k = 0; k < 5; k++) {
            sums[2 * k + 1] += AbsLanes(scaled - past[k]);
            sums[2 * k + 2] += AbsLanes(scaled + past[k]);
        }
    }
    int best = 0;
    uint32_t least = SumLanes(sums[0]);
#pragma GCC unroll 10
    for (int i = 1; i < 11; i++) {
        uint32_t error = SumLanes(sums[i]);
        if (error < least) least = error, best = i;
    }
    return best;
}

// The weight the least error sum judged takes one step.
inline void AdjustWeights(AudioPredictor& v, int best) {
    v.K1 = NudgedWeight(v.K1, 1, best);
    v.K2 = NudgedWeight(v.K2, 2, best);
    v.K3 = NudgedWeight(v.K3, 3, best);
    v.K4 = NudgedWeight(v.K4, 4, best);
    v.K5 = NudgedWeight(v.K5, 5, best);
    v.W0 = v.K1 + v.K2;
    v.W1 = v.K3 - v.K2;
    v.W2 = v.K4 - v.K3;
    v.W3 = -v.K4;
}

// Finishes the byte: change is the actual byte minus LastByte as a signed
// 8-bit value. Records the byte for the period's error sums, takes the
// change as the channel's newest and as the channel delta, and at the
// period's end adjusts a weight.
[[gnu::always_inline]] inline void LearnAudioByte(AudioPredictor& v, AudioHistory& h, int32_t& channelDelta,
                                                 uint8_t delta, int32_t change) {
    uint32_t at = v.ByteCount & (AudioPeriod - 1);
    h.Deltas[at] = int8_t(delta);
    h.ChannelDeltas[at] = int16_t(channelDelta);
    h.Changes[4 + at] = int16_t(change);
    v.L3 = v.L2;
    v.L2 = v.L1;
    v.L1 = v.L0;
    v.L0 = channelDelta = change;
    v.LastByte = (v.LastByte + uint32_t(change)) & 0xFF;
    v.ByteCount++;
    if (at == AudioPeriod - 1) {
        AdjustWeights(v, LeastErrorIndex(h));
        std::memcpy(h.Changes, h.Changes + AudioPeriod, 4 * sizeof h.Changes[0]);
    }
}

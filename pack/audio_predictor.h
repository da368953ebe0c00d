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
// changes: W0 = K1 + K2, W1 = K3 - K2, W2 = K4 - K3, W3 = -K4. The changes
// and the folded weights are each packed into one word as 16-bit fields,
// Changes = L0 + L1 x + L2 x^2 + L3 x^3 and Weights = W3 + W2 x + W1 x^2 +
// W0 x^3 with x = 2^16, modulo 2^64 (a negative field borrows from the one
// above), so that one multiply yields the sum (see FoldedSum).
struct AudioPredictor {
    uint64_t Changes;
    uint64_t Weights;
    int32_t K[6];  // K1..K5 at 1..5; K[0] takes the (unused) step when no weight is judged
    uint32_t ScaledK5;  // K5 << 21, modulo 2^32 (see ScaledAudioChange)
    uint32_t ByteCount;
    uint8_t LastByte;
};

// The eleven error sums that pick a weight to adjust are not kept byte by
// byte: the period's deltas and changes are, and the sums are taken over
// all of them at once when the period ends. The deltas are kept in the
// decoder's scaled form, which it has at hand; the rest are signed bytes.
struct AudioHistory {
    uint32_t ScaledDeltas[AudioPeriod];  // each byte's coded delta, as ScaledDelta gives it
    int8_t ChannelDeltas[AudioPeriod];   // the channel delta each byte was predicted with
    int8_t Changes[4 + AudioPeriod];     // the four changes before the period, then each byte's
};

// L0 W0 + L1 W1 + L2 W2 + L3 W3: the x^3 field of Changes * Weights. It
// lies within +-4 * 128 * 34, inside a signed field; the fields below it
// add up to within +-2^46, so adding 2^47 keeps their borrows out of it.
inline int32_t FoldedSum(const AudioPredictor& v) {
    return int32_t(int64_t(v.Changes * v.Weights + (uint64_t(1) << 47)) >> 48);
}

// The predicted change from LastByte: the predicted byte is LastByte plus
// this, and the coded delta is that minus the actual byte (modulo 256).
// (8 * LastByte + sum) >> 3 is LastByte + (sum >> 3): the byte drops out.
inline int32_t PredictAudioChange(const AudioPredictor& v, int32_t channelDelta) {
    return (FoldedSum(v) + v.K[5] * channelDelta) >> 3;
}

// The decoder takes the change a coded delta stands for, bits 3..10 of
// s - 8 delta + K5 * channel delta (s = FoldedSum), at 2^21 times its size
// modulo 2^32: there the change is the top byte, its sign in place, and the
// chain from one byte's channel delta to the next is a multiply, an add and
// a shift. Changes * Weights shifted right by 27 puts the sum at that scale
// with the fields below it (within +-2^46) as within +-2^19 underneath;
// ScaledDeltaBias lifts those, less anything up to 63 riding below a scaled
// delta, into 0..2^21 - 1, where they never carry into the change.
inline constexpr uint32_t ScaledDeltaBias = 3u << 19;

// A coded delta at that scale, less the bias; the low six bits are free.
inline constexpr uint32_t ScaledDelta(uint32_t delta) { return (delta << 24) - ScaledDeltaBias; }

// Takes the predictor's fields one by one, so that a loop can keep them in
// registers. The empty asm keeps the part known before the channel delta
// apart, so that the compiler cannot put its subtraction on the chain.
[[gnu::always_inline]] inline int32_t ScaledAudioChange(uint64_t changes, uint64_t weights, uint32_t scaledK5,
                                                       int32_t channelDelta, uint32_t scaledDelta) {
    uint32_t known = uint32_t((changes * weights) >> 27) - scaledDelta;
    asm("" : "+r"(known));
    return int32_t(known + scaledK5 * uint32_t(channelDelta)) >> 24;
}

// The error sums over a period's 32 bytes of |I|, |I -+ D1|, |I -+ D2|,
// |I -+ D3|, |I -+ D4| and |I -+ channel delta|, I being the delta times
// 8, in that order; returns the index of the smallest (the first of equals).
int LeastErrorIndex(const AudioHistory& h);

// The weight the least error sum judged takes one step: K[k] down when sum
// 2k - 1 won and it is at least -16, up when sum 2k won and it is below
// 16. Without branches: which sum wins is noise to a branch predictor.
inline void AdjustWeights(AudioPredictor& v, int best) {
    int32_t& k = v.K[(best + 1) >> 1];
    k += best & 1 ? -int32_t(k >= -16) : int32_t(k < 16);
    auto field = [](int32_t w, int place) { return uint64_t(int64_t(w)) << (16 * place); };
    v.Weights = field(-v.K[4], 0) + field(v.K[4] - v.K[3], 1) + field(v.K[3] - v.K[2], 2) + field(v.K[1] + v.K[2], 3);
    v.ScaledK5 = uint32_t(v.K[5]) << 21;
}

// Takes change (the actual byte minus LastByte, as a signed byte) as the
// channel's newest (into its predictor's Changes) and as the channel delta,
// recording the byte at place at of the period for its error sums.
[[gnu::always_inline]] inline void RecordAudioChange(uint64_t& changes, AudioHistory& h, uint32_t at,
                                                    int32_t& channelDelta, uint32_t scaledDelta, int32_t change) {
    h.ScaledDeltas[at] = scaledDelta;
    h.ChannelDeltas[at] = int8_t(channelDelta);
    h.Changes[4 + at] = int8_t(change);
    changes = (changes << 16) + uint64_t(int64_t(change));
    channelDelta = change;
}

// A period's end: one weight adjusted, the last four changes carried over.
inline void EndAudioPeriod(AudioPredictor& v, AudioHistory& h) {
    AdjustWeights(v, LeastErrorIndex(h));
    std::memcpy(h.Changes, h.Changes + AudioPeriod, 4);
}

// Finishes the byte, counting it, and at the period's end adjusts a weight.
[[gnu::always_inline]] inline void LearnAudioByte(AudioPredictor& v, AudioHistory& h, int32_t& channelDelta,
                                                 uint32_t scaledDelta, int32_t change) {
    uint32_t at = v.ByteCount++ & (AudioPeriod - 1);
    RecordAudioChange(v.Changes, h, at, channelDelta, scaledDelta, change);
    v.LastByte = uint8_t(v.LastByte + uint32_t(change));
    if (at == AudioPeriod - 1) EndAudioPeriod(v, h);
}

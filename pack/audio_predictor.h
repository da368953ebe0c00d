// The adaptive predictor of RAR 2.0 audio blocks. The decoder and the
// writer's encoder run it identically, byte for byte, so that both sides
// always agree on the prediction a delta refers to. Inline: it runs once
// per audio byte in the decoder's inner loop, where the few vectors of a
// channel's predictor stay in registers.
#pragma once
#include <cstdint>

// Eight 16-bit lanes. Every value below fits: changes are signed bytes,
// a folded weight times a change stays under 35 * 128, and an error sum
// gains at most 32 terms of at most 1,024 + 255 before it is cleared.
typedef int16_t SignedLanes __attribute__((vector_size(16)));
typedef uint16_t ErrorLanes __attribute__((vector_size(16)));
typedef int32_t PairLanes __attribute__((vector_size(16)));  // the same bits, two lanes per element

// One audio channel's adaptive predictor. The format's past deltas are
// differences of the channel's last changes L0..L3 (D1 = L0, D2 = L0 - L1,
// D3 = L1 - L2, D4 = L2 - L3), so the weighted sum K1 D1 + ... + K4 D4 +
// K5 * channel delta is one dot product of Changes (with the channel delta
// in lane 4) and the folded Weights. The eleven error sums judge each
// weight one step down and one step up against the scaled delta I; see
// AdjustBestWeight for which lane holds which.
struct AudioPredictor {
    SignedLanes Changes;  // L0..L3 newest first, lanes 4..7 zero
    SignedLanes Weights;  // K1 + K2, K3 - K2, K4 - K3, -K4, K5, 0, 0, 0
    ErrorLanes Below, Above;
    int32_t K1, K2, K3, K4, K5;
    uint32_t LastByte;
    uint32_t ByteCount;
};

inline SignedLanes InLane0(int32_t value) { return SignedLanes{int16_t(value), 0, 0, 0, 0, 0, 0, 0}; }
inline SignedLanes InLane4(int32_t value) { return SignedLanes{0, 0, 0, 0, int16_t(value), 0, 0, 0}; }

// The predicted change from LastByte: the predicted byte is LastByte plus
// this, and the coded delta is that minus the actual byte (modulo 256).
// (8 * LastByte + sum) >> 3 is LastByte + (sum >> 3): the byte drops out.
[[gnu::always_inline]] inline int32_t PredictAudioChange(const AudioPredictor& v, int32_t channelDelta) {
    SignedLanes terms = (v.Changes | InLane4(channelDelta)) * v.Weights;
    terms += SignedLanes(__builtin_shufflevector(PairLanes(terms), PairLanes(terms), 2, 3, 0, 1));
    terms += SignedLanes(__builtin_shufflevector(PairLanes(terms), PairLanes(terms), 1, 0, 3, 2));
    int32_t pair = PairLanes(terms)[0];  // lanes 0 and 1 now hold the two halves of the sum
    return (int16_t(pair) + (pair >> 16)) >> 3;
}

// Weight k (1..5) one step down when error sum 2k - 1 won, up when 2k did.
inline int32_t NudgedWeight(int32_t weight, int k, int best) {
    if (best == 2 * k - 1 && weight >= -16) return weight - 1;
    if (best == 2 * k && weight < 16) return weight + 1;
    return weight;
}

// Every 32nd byte: the smallest error sum wins (the first of equals, |I|
// first), all are cleared, and the weight it judged takes its step.
[[gnu::always_inline]] inline void AdjustBestWeight(AudioPredictor& v) {
    const ErrorLanes b = v.Below, a = v.Above;
    // |I|, |I -+ D1|, |I -+ D2|, |I -+ D3|, |I -+ D4|, |I -+ channel delta|
    const uint32_t errors[11] = {b[5], b[0], a[0], a[1], b[1], a[2], b[2], a[3], b[3], b[4], a[4]};
    int best = 0;
    for (int i = 1; i < 11; i++)
        if (errors[i] < errors[best]) best = i;
    v.Below = ErrorLanes{};
    v.Above = ErrorLanes{};
    v.K1 = NudgedWeight(v.K1, 1, best);
    v.K2 = NudgedWeight(v.K2, 2, best);
    v.K3 = NudgedWeight(v.K3, 3, best);
    v.K4 = NudgedWeight(v.K4, 4, best);
    v.K5 = NudgedWeight(v.K5, 5, best);
    v.Weights = SignedLanes{int16_t(v.K1 + v.K2), int16_t(v.K3 - v.K2), int16_t(v.K4 - v.K3),
                            int16_t(-v.K4), int16_t(v.K5), 0, 0, 0};
}

inline SignedLanes LargerLanes(SignedLanes x, SignedLanes y) { return x > y ? x : y; }

// Finishes the byte: change is the actual byte minus LastByte as a signed
// 8-bit value. Adds the error terms, takes the change as the channel's
// newest and as the channel delta, and every 32nd byte adjusts a weight.
[[gnu::always_inline]] inline void LearnAudioByte(AudioPredictor& v, int32_t& channelDelta, uint8_t delta,
                                                 int32_t change) {
    SignedLanes past = v.Changes | InLane4(channelDelta);
    SignedLanes older = __builtin_shufflevector(past, SignedLanes{}, 8, 0, 1, 2, 3, 4, 5, 6) &
                        SignedLanes{0, -1, -1, -1, 0, 0, 0, 0};
    SignedLanes deltas = past - older;  // D1, -D2, -D3, -D4, channel delta, 0, 0, 0
    SignedLanes scaled = SignedLanes{} + int16_t(int8_t(delta) * 8);
    SignedLanes below = scaled - deltas, above = scaled + deltas;
    v.Below += ErrorLanes(LargerLanes(below, -below));
    v.Above += ErrorLanes(LargerLanes(above, -above));
    v.Changes = older | InLane0(change);
    channelDelta = change;
    v.LastByte = (v.LastByte + uint32_t(change)) & 0xFF;
    if ((++v.ByteCount & 31) == 0) AdjustBestWeight(v);
}

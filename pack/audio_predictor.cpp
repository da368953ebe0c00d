// The error sums of the audio predictor, taken at every period's end of
// every channel. The channel's next byte waits for the weight they adjust,
// so a whole period is taken in a few vector operations without branches.
#include "pack/audio_predictor.h"

#include <algorithm>

// The vector helpers below are always inlined, so the calling convention
// for AVX vectors that GCC warns of never comes into play.
#pragma GCC diagnostic ignored "-Wpsabi"

// Sixteen 16-bit lanes, half a period: a term is at most 1,024 + 255 and a
// period sums 32 of them (at most 40,928), so every partial sum fits, the
// whole one as unsigned.
typedef int16_t Lanes __attribute__((vector_size(32)));
typedef int8_t ByteLanes __attribute__((vector_size(16)));

[[gnu::always_inline]] static inline Lanes LoadLanes(const int8_t* values) {
    ByteLanes bytes;
    std::memcpy(&bytes, values, sizeof bytes);
    return __builtin_convertvector(bytes, Lanes);
}

[[gnu::always_inline]] static inline Lanes AbsLanes(const Lanes& x) {
    Lanes negated = -x;
    return x > negated ? x : negated;
}

// Sums of lanes of a and b, each lane of the result holding the sum of two
// lanes of one of them: the low and the high quarters of each 128-bit half
// (Width lanes at a time) interleaved and added, as one unpack each does.
template <int Width>
[[gnu::always_inline]] static inline Lanes FoldPair(const Lanes& a, const Lanes& b) {
    if constexpr (Width == 1) {
        return __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 8, 24, 9, 25, 10, 26, 11, 27) +
               __builtin_shufflevector(a, b, 4, 20, 5, 21, 6, 22, 7, 23, 12, 28, 13, 29, 14, 30, 15, 31);
    } else if constexpr (Width == 2) {
        return __builtin_shufflevector(a, b, 0, 1, 16, 17, 2, 3, 18, 19, 8, 9, 24, 25, 10, 11, 26, 27) +
               __builtin_shufflevector(a, b, 4, 5, 20, 21, 6, 7, 22, 23, 12, 13, 28, 29, 14, 15, 30, 31);
    } else {
        return __builtin_shufflevector(a, b, 0, 1, 2, 3, 16, 17, 18, 19, 8, 9, 10, 11, 24, 25, 26, 27) +
               __builtin_shufflevector(a, b, 4, 5, 6, 7, 20, 21, 22, 23, 12, 13, 14, 15, 28, 29, 30, 31);
    }
}

typedef uint32_t Keys __attribute__((vector_size(64)));

// The index of the least of the first eleven sums (the first of equals):
// the sums are folded pairwise into one vector whose lane i is the total
// of sums[i], and the least of total << 4 | i is found by halving.
[[gnu::always_inline]] static inline int LeastSumIndex(const Lanes (&sums)[11]) {
    const Lanes zero = {};
    Lanes level1[8], level2[4], level3[2];
#pragma GCC unroll 8
    for (int i = 0; i < 8; i++) level1[i] = FoldPair<1>(2 * i < 11 ? sums[2 * i] : zero, 2 * i + 1 < 11 ? sums[2 * i + 1] : zero);
#pragma GCC unroll 4
    for (int i = 0; i < 4; i++) level2[i] = FoldPair<2>(level1[2 * i], level1[2 * i + 1]);
#pragma GCC unroll 2
    for (int i = 0; i < 2; i++) level3[i] = FoldPair<4>(level2[2 * i], level2[2 * i + 1]);
    Lanes totals = __builtin_shufflevector(level3[0], level3[1], 0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21, 22, 23) +
                   __builtin_shufflevector(level3[0], level3[1], 8, 9, 10, 11, 12, 13, 14, 15, 24, 25, 26, 27, 28, 29, 30, 31);
    typedef uint16_t UnsignedLanes __attribute__((vector_size(32)));
    const Keys places = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, ~0u, ~0u, ~0u, ~0u, ~0u};
    Keys keys = __builtin_convertvector(UnsignedLanes(totals), Keys) << 4 | places;
    typedef uint32_t HalfKeys __attribute__((vector_size(32)));
    HalfKeys low = __builtin_shufflevector(keys, keys, 0, 1, 2, 3, 4, 5, 6, 7);
    HalfKeys high = __builtin_shufflevector(keys, keys, 8, 9, 10, 11, 12, 13, 14, 15);
    HalfKeys least = low < high ? low : high;
    HalfKeys swapped = __builtin_shufflevector(least, least, 4, 5, 6, 7, 0, 1, 2, 3);
    least = least < swapped ? least : swapped;
    swapped = __builtin_shufflevector(least, least, 2, 3, 0, 1, 2, 3, 0, 1);
    least = least < swapped ? least : swapped;
    return int(std::min(least[0], least[1]) & 15);
}

// Eight times the deltas, as signed bytes, from their scaled form: the
// delta sits in the top byte above less than 2^21 once the bias is back.
[[gnu::always_inline]] static inline Lanes LoadScaledDeltas(const uint32_t* values) {
    typedef uint32_t WideLanes __attribute__((vector_size(64)));
    typedef int32_t SignedWideLanes __attribute__((vector_size(64)));
    WideLanes wide;
    std::memcpy(&wide, values, sizeof wide);
    // Added unsigned: a delta of -128 lifts its lane past the top of int32,
    // which signed addition may not do; the top byte is read signed after.
    const SignedWideLanes lifted = SignedWideLanes(wide + ScaledDeltaBias);
    return __builtin_convertvector(lifted >> 21, Lanes);
}

// The eleven terms of sixteen bytes of the period, from byte at on.
[[gnu::always_inline]] static inline void AddErrorTerms(const AudioHistory& h, uint32_t at, Lanes (&sums)[11]) {
    Lanes scaled = LoadScaledDeltas(h.ScaledDeltas + at);
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

[[gnu::always_inline]] static inline int LeastErrorIndexOf(const AudioHistory& h) {
    static_assert(AudioPeriod == 32, "a period is two vectors of bytes");
    Lanes sums[11] = {};
    AddErrorTerms(h, 0, sums);
    AddErrorTerms(h, 16, sums);
    return LeastSumIndex(sums);
}

#if defined(__x86_64__)
// Built for AVX2 too (twice the lanes of the baseline's SSE2), picked once.
__attribute__((target("avx2"))) static int LeastErrorIndexAvx2(const AudioHistory& h) { return LeastErrorIndexOf(h); }

int LeastErrorIndex(const AudioHistory& h) {
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return avx2 ? LeastErrorIndexAvx2(h) : LeastErrorIndexOf(h);
}
#else
int LeastErrorIndex(const AudioHistory& h) { return LeastErrorIndexOf(h); }
#endif

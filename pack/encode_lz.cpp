// LZ77 parse for the 2.0 method: hash-chain match finding over the 1 MiB
// window, the four recent distances, the repeat of the last match, short
// distances for two-byte matches, and a one-step lazy choice.
#include <algorithm>
#include <cstring>

#include "pack/encode.h"

static constexpr uint32_t HashBits = 17;
static constexpr uint32_t MaxDistance = WindowSize - 1;
static constexpr uint32_t LongestCode = 255;  // largest length code value (base 224 + 31)

// Rough costs in bits, good enough to rank the ways of coding a position.
static constexpr int LiteralCost = 8;

void InitMatchFinder(MatchFinder& finder, const uint8_t* base, uint32_t baseSize, int effort) {
    finder.Base = base;
    finder.BaseSize = baseSize;
    finder.Effort = effort > 0 ? effort : 48;
    finder.Head.assign(size_t(1) << HashBits, 0);
    finder.Prev.assign(WindowSize, 0);
    finder.PairHead.assign(65536, 0);
    finder.Inserted = 0;
}

static uint32_t Hash3(const uint8_t* p) {
    uint32_t v = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return (v * 2654435761u) >> (32 - HashBits);
}

// Chains every position in front of end (bytes behind end may already be
// in the buffer; a later member of the stream matches against them too).
void InsertPositions(MatchFinder& finder, uint32_t end) {
    const uint32_t limit = finder.BaseSize;
    for (uint32_t p = finder.Inserted; p < end; p++) {
        if (p + 1 < limit) finder.PairHead[uint32_t(finder.Base[p]) << 8 | finder.Base[p + 1]] = p + 1;
        if (p + 2 >= limit) continue;
        uint32_t h = Hash3(finder.Base + p);
        finder.Prev[p & WindowMask] = finder.Head[h];
        finder.Head[h] = p + 1;
    }
    if (end > finder.Inserted) finder.Inserted = end;
}

static uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    uint32_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + uint32_t(__builtin_ctzll(x ^ y) >> 3);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) n++;
    return n;
}

struct Choice {
    uint32_t Length;    // 0 = literal
    uint32_t Distance;
    int Kind;           // which symbol family codes it
    int Savings;        // bits saved against literals
};
enum ChoiceKind { ChooseLiteral, ChooseNew, ChooseRecent, ChooseLast, ChooseShort };

static int BitsForDistance(uint32_t distance) {
    int slot = int(std::upper_bound(DistanceBase, DistanceBase + 48, distance - 1) - DistanceBase) - 1;
    return DistanceBits[slot];
}

static void Consider(Choice& best, uint32_t length, uint32_t distance, int kind, int cost) {
    int savings = int(length) * LiteralCost - cost;
    if (savings > best.Savings) best = {length, distance, kind, savings};
}

static void ConsiderRecent(const MatchFinder& finder, const ParseState& state, uint32_t p,
                           uint32_t end, Choice& best) {
    const uint8_t* base = finder.Base;
    for (uint32_t k = 1; k <= 4; k++) {
        uint32_t d = state.RecentDistances[(state.RecentIndex - k) & 3];
        if (d == 0 || d > p) continue;
        uint32_t bonus = RecentLengthBonus(d);
        uint32_t limit = std::min(end - p, LongestCode + 2 + bonus);
        uint32_t length = MatchLength(base + p, base + p - d, limit);
        if (length >= 2 + bonus) Consider(best, length, d, ChooseRecent, 12);
    }
    uint32_t last = state.LastDistance;
    if (state.LastLength > 0 && last > 0 && last <= p &&
        state.LastLength <= end - p &&
        MatchLength(base + p, base + p - last, state.LastLength) == state.LastLength)
        Consider(best, state.LastLength, last, ChooseLast, 7);
}

static void ConsiderNew(const MatchFinder& finder, uint32_t p, uint32_t end, Choice& best) {
    const uint8_t* base = finder.Base;
    if (end - p < 3) return;
    uint32_t candidate = finder.Head[Hash3(base + p)];
    uint32_t bestLength = 2;
    for (int steps = finder.Effort; candidate && steps > 0; steps--) {
        uint32_t q = candidate - 1;
        if (q >= p || p - q > MaxDistance) break;
        uint32_t d = p - q;
        uint32_t bonus = MatchLengthBonus(d);
        uint32_t limit = std::min(end - p, LongestCode + 3 + bonus);
        if (limit > bestLength && base[q + bestLength] == base[p + bestLength]) {
            uint32_t length = MatchLength(base + p, base + q, limit);
            if (length >= 3 + bonus && length > bestLength) {
                bestLength = length;
                Consider(best, length, d, ChooseNew, 13 + BitsForDistance(d));
                if (length == limit) break;
            }
        }
        uint32_t earlier = finder.Prev[q & WindowMask];
        if (earlier >= candidate) break;
        candidate = earlier;
    }
}

static void ConsiderShort(const MatchFinder& finder, uint32_t p, uint32_t end, Choice& best) {
    if (best.Length >= 2 || end - p < 2) return;
    uint32_t candidate = finder.PairHead[uint32_t(finder.Base[p]) << 8 | finder.Base[p + 1]];
    if (!candidate || candidate - 1 >= p) return;
    uint32_t d = p - (candidate - 1);
    if (d <= 256) Consider(best, 2, d, ChooseShort, 9 + (d > 4) * 4);
}

static Choice BestChoice(MatchFinder& finder, const ParseState& state, uint32_t p, uint32_t end) {
    InsertPositions(finder, p);
    Choice best = {0, 0, ChooseLiteral, 0};
    ConsiderRecent(finder, state, p, end, best);
    ConsiderNew(finder, p, end, best);
    ConsiderShort(finder, p, end, best);
    return best;
}

static uint32_t SlotOf(const uint8_t* base, int count, uint32_t value) {
    return uint32_t(std::upper_bound(base, base + count, value) - base) - 1;
}

static void RememberMatch(ParseState& state, uint32_t length, uint32_t distance) {
    state.RecentDistances[state.RecentIndex & 3] = distance;
    state.RecentIndex++;
    state.LastDistance = distance;
    state.LastLength = length;
}

static Token MatchToken(const ParseState& state, const Choice& c) {
    Token t = {0, NoSecond, 0, 0, 0, 0};
    if (c.Kind == ChooseLast) {
        t.Main = SymbolRepeatLast;
    } else if (c.Kind == ChooseShort) {
        uint32_t slot = SlotOf(ShortDistanceBase, 8, c.Distance - 1);
        t.Main = uint16_t(SymbolFirstShort + slot);
        t.MainExtraBits = ShortDistanceBits[slot];
        t.MainExtra = c.Distance - 1 - ShortDistanceBase[slot];
    } else if (c.Kind == ChooseRecent) {
        uint32_t k = 1;
        while (state.RecentDistances[(state.RecentIndex - k) & 3] != c.Distance) k++;
        uint32_t code = c.Length - 2 - RecentLengthBonus(c.Distance);
        uint32_t slot = SlotOf(LengthBase, 28, code);
        t.Main = uint16_t(SymbolRepeatLast + k);
        t.Second = uint16_t(slot);
        t.SecondExtraBits = LengthBits[slot];
        t.SecondExtra = code - LengthBase[slot];
    } else {
        uint32_t code = c.Length - 3 - MatchLengthBonus(c.Distance);
        uint32_t slot = SlotOf(LengthBase, 28, code);
        uint32_t distSlot = uint32_t(std::upper_bound(DistanceBase, DistanceBase + 48, c.Distance - 1) - DistanceBase) - 1;
        t.Main = uint16_t(SymbolFirstLength + slot);
        t.MainExtraBits = LengthBits[slot];
        t.MainExtra = code - LengthBase[slot];
        t.Second = uint16_t(distSlot);
        t.SecondExtraBits = DistanceBits[distSlot];
        t.SecondExtra = c.Distance - 1 - DistanceBase[distSlot];
    }
    return t;
}

void ParseLz(MatchFinder& finder, ParseState& state, uint32_t begin, uint32_t end,
             std::vector<Token>* tokens) {
    uint32_t p = begin;
    Choice current = p < end ? BestChoice(finder, state, p, end) : Choice{};
    while (p < end) {
        Choice next = p + 1 < end ? BestChoice(finder, state, p + 1, end) : Choice{};
        // A better match one byte later is worth a literal now, unless the
        // current one is a cheap repeat of a recent distance.
        bool deferred = current.Kind == ChooseNew && next.Savings > current.Savings + LiteralCost;
        if (current.Kind == ChooseLiteral || deferred) {
            tokens->push_back({finder.Base[p], NoSecond, 0, 0, 0, 0});
            p++;
            current = next;
            continue;
        }
        tokens->push_back(MatchToken(state, current));
        RememberMatch(state, current.Length, current.Distance);
        p += current.Length;
        current = p < end ? BestChoice(finder, state, p, end) : Choice{};
    }
    InsertPositions(finder, end);
}

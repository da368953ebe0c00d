// The 2.0 decoder on streams laid out bit by bit, for the cases the writer
// never makes, and its one-look-up symbol decoding against the canonical
// rule on arbitrary (also broken) code lengths.
#include <gtest/gtest.h>

#include <random>

#include "pack/crypt.h"
#include "pack/encode.h"
#include "pack/pack.h"
#include "pack/unpack.h"
#include "pack_test_util.h"

namespace {

// The canonical decoding rule written out plainly: the smallest length
// whose limit lies above the peek, the symbol at the peek's offset.
uint32_t CanonicalDecode(const uint8_t* lengths, uint32_t size, uint32_t peek, uint32_t* bits) {
    uint32_t count[16] = {}, limit[16] = {}, first[16] = {};
    for (uint32_t s = 0; s < size; s++) count[lengths[s] & 15]++;
    count[0] = 0;
    uint32_t n = 0;
    for (int i = 1; i < 16; i++) {
        n = 2 * (n + count[i]);
        limit[i] = std::min<uint32_t>(n << (15 - i), 0xFFFF);
        first[i] = first[i - 1] + count[i - 1];
    }
    std::vector<uint32_t> sorted(size, 0);
    uint32_t next[16];
    std::copy(first, first + 16, next);
    for (uint32_t s = 0; s < size; s++)
        if (lengths[s] & 15) sorted[next[lengths[s] & 15]++] = s;
    uint32_t i = 1;
    while (i < 15 && peek >= limit[i]) i++;
    *bits = i;
    uint32_t index = first[i] + ((peek - limit[i - 1]) >> (16 - i));
    return index < size ? sorted[index] : sorted[0];
}

TEST(SymbolDecoding, QuickLookUpAgreesWithTheCanonicalRule) {
    std::mt19937 rng(5);
    for (int round = 0; round < 20; round++) {
        uint32_t size = round % 2 ? MainSymbols : DistSymbols;
        uint8_t lengths[MainSymbols] = {};
        int maxLength = 1 + round % 15;
        for (uint32_t s = 0; s < size; s++) lengths[s] = rng() % 3 ? uint8_t(rng() % (maxLength + 1)) : 0;
        if (round % 5 == 0) {  // a proper code from the writer's own builder
            uint32_t freq[MainSymbols];
            for (uint32_t s = 0; s < size; s++) freq[s] = rng() % 4 ? rng() % 1000 : 0;
            BuildCodeLengths(freq, int(size), lengths);
        }
        DecodeTable table;
        BuildDecodeTable(lengths, table, size);
        for (uint32_t peek = 0; peek < 0x10000; peek += 2) {
            Unpacker.InputBuffer[0] = uint8_t(peek >> 8);
            Unpacker.InputBuffer[1] = uint8_t(peek);
            Unpacker.InputBuffer[2] = Unpacker.InputBuffer[3] = 0;
            Unpacker.InputPos = Unpacker.InputBit = 0;
            uint32_t bits = 0;
            uint32_t expected = CanonicalDecode(lengths, size, peek, &bits);
            ASSERT_EQ(DecodeSymbol(table), expected) << "round " << round << " peek " << peek;
            ASSERT_EQ(Unpacker.InputPos * 8 + Unpacker.InputBit, bits);
        }
    }
}

// Lays out a code-length table: the 19 code-length codes all 5 bits long
// (so symbol k is sent as k), zero runs as 17/18, other lengths as they are
// (the previous set is zero). With overshoot the last zero run is sent as
// one full run of 138 that passes the table's end.
void PutTable(BitWriter& w, const std::vector<uint8_t>& lengths, bool audio = false,
              uint32_t channels = 1, bool overshoot = false) {
    PutBits(w, audio ? 2 : 0, 2);
    if (audio) PutBits(w, channels - 1, 2);
    for (int i = 0; i < LengthSymbols; i++) PutBits(w, 5, 4);
    uint32_t size = uint32_t(lengths.size());
    for (uint32_t i = 0; i < size;) {
        uint32_t zeros = 0;
        while (i + zeros < size && lengths[i + zeros] == 0) zeros++;
        if (zeros > 0 && zeros < 138 && overshoot && i + zeros == size) {
            PutBits(w, RunLongZeros, 5);
            PutBits(w, 127, 7);
            return;
        }
        if (zeros >= 11) {
            uint32_t n = std::min<uint32_t>(zeros, 138);
            PutBits(w, RunLongZeros, 5);
            PutBits(w, n - 11, 7);
            i += n;
        } else if (zeros >= 3) {
            PutBits(w, RunShortZeros, 5);
            PutBits(w, zeros - 3, 3);
            i += zeros;
        } else {
            PutBits(w, lengths[i], 5);
            i++;
        }
    }
}

// Decodes hand-made packed bytes as a one-member archive.
bool DecodeHandMade(const Bytes& packed, const Bytes& expected, Bytes* out) {
    Bytes archive = RawArchiveStart();
    RawMember m = StoredMember("m", expected);
    m.Packed = packed;
    m.Method = 0x33;
    AppendRawMember(archive, m);
    std::string path = ScratchArchive("decoder");
    WriteBytes(path, archive);
    bool ok = Extract(path, "m", out);
    std::remove(path.c_str());
    return ok;
}

std::vector<uint8_t> LzLengths(std::initializer_list<std::pair<int, int>> set) {
    std::vector<uint8_t> lengths(LzTableSize, 0);
    for (auto [symbol, length] : set) lengths[symbol] = uint8_t(length);
    return lengths;
}

TEST(HandMadeStreams, RunPastTheTableSizeStopsAtIt) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    std::vector<uint8_t> lengths = LzLengths({{'Q', 1}, {'R', 1}});
    PutTable(w, lengths, false, 1, true);
    PutBits(w, 0b010, 3);  // Q R Q
    FlushBits(w);
    Bytes out;
    EXPECT_TRUE(DecodeHandMade(packed, {'Q', 'R', 'Q'}, &out));
    EXPECT_EQ(out, (Bytes{'Q', 'R', 'Q'}));
}

TEST(HandMadeStreams, DistanceBeyondTheOutputReadsZeros) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    PutTable(w, LzLengths({{'A', 1}, {SymbolFirstLength, 1}, {MainSymbols + 6, 1}}));
    PutBits(w, 0, 1);     // 'A'
    PutBits(w, 1, 1);     // new match, length code 0: three bytes
    PutBits(w, 0, 1);     // distance slot 6: 9 + two extra bits
    PutBits(w, 1, 2);     // distance 10, far in front of the first byte
    FlushBits(w);
    Bytes out;
    EXPECT_TRUE(DecodeHandMade(packed, {'A', 0, 0, 0}, &out));
}

TEST(HandMadeStreams, RepeatAfterATableSwitchUsesTheMatchFromBefore) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    PutTable(w, LzLengths({{'x', 2}, {'y', 2}, {SymbolTableSwitch, 2}, {SymbolFirstLength, 2},
                           {MainSymbols + 1, 1}}));
    PutBits(w, 0b00, 2);  // x
    PutBits(w, 0b01, 2);  // y
    PutBits(w, 0b11, 2);  // match of 3
    PutBits(w, 0, 1);     // at distance 2
    PutBits(w, 0b10, 2);  // table switch
    PutTable(w, LzLengths({{'z', 1}, {SymbolRepeatLast, 1}}));
    PutBits(w, 1, 1);     // repeat the last match: 3 at distance 2
    FlushBits(w);
    Bytes expected = {'x', 'y', 'x', 'y', 'x', 'y', 'x', 'y'};
    Bytes out;
    EXPECT_TRUE(DecodeHandMade(packed, expected, &out));
}

// Four channels take bytes in turn, each with a predictor of its own: a
// fresh predictor guesses 0, then its own channel's last byte.
TEST(HandMadeStreams, FourAudioChannelsCycle) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    std::vector<uint8_t> lengths(AudioSymbols * 4, 0);
    for (int c = 0; c < 4; c++)
        for (int delta = 1; delta <= 5; delta++) lengths[AudioSymbols * c + delta] = 3;
    PutTable(w, lengths, true, 4);
    for (int delta = 1; delta <= 5; delta++) PutBits(w, delta - 1, 3);
    FlushBits(w);
    Bytes expected = {255, 254, 253, 252, 250};
    Bytes out;
    EXPECT_TRUE(DecodeHandMade(packed, expected, &out));
}

TEST(HandMadeStreams, ZeroSizeMemberReadsOnlyItsTables) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    PutTable(w, LzLengths({{'a', 1}, {'b', 1}}));
    FlushBits(w);
    Bytes out = {1};
    EXPECT_TRUE(DecodeHandMade(packed, {}, &out));
    EXPECT_TRUE(out.empty());
}

TEST(HandMadeStreams, StreamsThatNeverProduceBytesEndWhenTheInputDoes) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    PutTable(w, LzLengths({{SymbolRepeatLast, 1}, {SymbolTableSwitch, 1}}));
    for (int i = 0; i < 500; i++) PutBits(w, 0, 1);  // repeats of a match of length 0
    FlushBits(w);
    Bytes out;
    EXPECT_FALSE(DecodeHandMade(packed, Bytes(1000, 0), &out));
}

TEST(HandMadeStreams, MatchOverrunningTheMemberFails) {
    Bytes packed;
    BitWriter w = {&packed, 0, 0};
    PutTable(w, LzLengths({{'A', 1}, {SymbolFirstLength + 27, 1}, {MainSymbols + 0, 1}}));
    PutBits(w, 0, 1);     // 'A'
    PutBits(w, 1, 1);     // match of 227 + 31 bytes
    PutBits(w, 31, 5);
    PutBits(w, 0, 1);     // distance 1
    FlushBits(w);
    Bytes out;
    EXPECT_FALSE(DecodeHandMade(packed, Bytes(100, 'A'), &out));  // it makes 259
    EXPECT_TRUE(DecodeHandMade(packed, Bytes(259, 'A'), &out));
}

}  // namespace

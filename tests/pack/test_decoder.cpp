// The 2.0 decoder on streams laid out bit by bit, and the cipher and CRC
// against fixed values: what the writer never makes, and what a writer and
// reader sharing one mistake would never notice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "pack/crypt.h"
#include "pack/encode.h"
#include "pack_test_util.h"

namespace {

// The cipher's tables and key after setting up for a password.
std::string CipherState(const char* password) {
    PrepareDecryption(password);
    return std::string(reinterpret_cast<const char*>(SubstTable), 256) +
           std::string(reinterpret_cast<const char*>(CryptKey), sizeof CryptKey);
}

// The key schedule runs on CrcTable. The last pair of an odd password takes
// the terminating zero as its partner ("abc" is "abc\0", nothing behind it
// counts), and the key runs on from block to block, so equal blocks differ.
TEST(Cipher, CrcPasswordPairsAndChainedBlocks) {
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    BuildCrcTable();
    EXPECT_EQ(CrcTable[255], 0x2D02EF8Du);
    char buffer[8] = {'a', 'b', 'c', 0, 'x', 'y', 'z', 0};
    EXPECT_EQ(CipherState(buffer), CipherState("abc"));
    EXPECT_NE(CipherState("abcd"), CipherState("abc"));
    uint8_t a[16] = {}, b[16] = {};
    EncryptBlock(a);
    EncryptBlock(b);
    EXPECT_NE(std::memcmp(a, b, 16), 0);
}

// Lays out a code-length table: all 19 code-length codes 5 bits long (so
// symbol k is sent as k), zero runs as 17/18, other lengths as steps from
// the previous table's when given. channels 0 is an LZ table. With overshoot the last
// zero run is sent as a full run of 138 that passes the table's end.
void PutTable(BitWriter& w, const std::vector<uint8_t>& lengths, uint32_t channels = 0,
              bool overshoot = false, const std::vector<uint8_t>& previous = {}) {
    PutBits(w, (channels ? 2 : 0) | (previous.empty() ? 0 : 1), 2);  // audio, keep the previous lengths
    if (channels) PutBits(w, channels - 1, 2);
    for (int i = 0; i < LengthSymbols; i++) PutBits(w, 5, 4);
    for (uint32_t i = 0, size = uint32_t(lengths.size()); i < size;) {
        uint32_t zeros = 0;
        while (i + zeros < size && lengths[i + zeros] == 0) zeros++;
        if (zeros > 0 && overshoot && i + zeros == size) zeros = 138;
        uint32_t run = std::min<uint32_t>(zeros, 138);
        if (run >= 11) {
            PutBits(w, RunLongZeros, 5);
            PutBits(w, run - 11, 7);
        } else if (run >= 3) {
            PutBits(w, RunShortZeros, 5);
            PutBits(w, run - 3, 3);
        } else {
            PutBits(w, (lengths[i] - (previous.empty() ? 0 : previous[i])) & 15, 5);
            run = 1;
        }
        i += run;
    }
}

std::vector<uint8_t> LzLengths(std::initializer_list<std::pair<int, int>> set) {
    std::vector<uint8_t> lengths(LzTableSize, 0);
    for (auto [symbol, length] : set) lengths[symbol] = uint8_t(length);
    return lengths;
}

struct HandMade {
    const char* What;
    void (*Lay)(BitWriter&);
    Bytes Expected;  // the member's size and CRC come from it
    bool Ok;
};

// 'a' + i coded in i + 1 bits for i < 14, 'o' and 'p' in 15: one code of
// every length, either side of the decoder's one-look-up width.
void EveryCodeLength(BitWriter& w) {
    std::vector<uint8_t> lengths(LzTableSize, 0);
    for (int i = 0; i < 16; i++) lengths['a' + i] = uint8_t(std::min(i + 1, 15));
    PutTable(w, lengths);
    for (int i = 15; i >= 0; i--) PutBits(w, (1u << lengths['a' + i]) - (i < 15 ? 2 : 1), lengths['a' + i]);
}

// One audio channel, delta d coded as d in 9 bits, deltas 1, 2, 3... sent
// until the packed data ends on a byte (three of them). A fresh predictor
// guesses the last byte, so the bytes are 255, 253, 250; a fourth could
// only come from bits past the end (delta 0, byte 250 again).
void NineBitDeltas(BitWriter& w) {
    std::vector<uint8_t> lengths(AudioSymbols, 9);
    lengths[AudioTableSwitch] = 0;
    PutTable(w, lengths, 1);
    for (uint32_t delta = 1; delta == 1 || w.Count != 0; delta++) PutBits(w, delta, 9);
}

// Literal i % 256 in 8 bits, as many as end the packed data in the last
// byte of the input buffer's first fill or first refill: the bytes left in
// its kept tail are still input.
template <uint32_t PackedSize>
void LiteralsFilling(BitWriter& w) {
    std::vector<uint8_t> lengths(LzTableSize, 0);
    std::fill(lengths.begin(), lengths.begin() + 256, 8);
    PutTable(w, lengths);
    for (uint32_t i = 0; (w.Out->size() + 1) * 8 + w.Count <= PackedSize * 8; i++) PutBits(w, i, 8);
}

Bytes Counting(size_t size) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t(0));
    return bytes;
}

void Overrun(BitWriter& w) {
    PutTable(w, LzLengths({{'A', 1}, {SymbolFirstLength + 27, 1}, {MainSymbols + 0, 1}}));
    PutBits(w, 0b01, 2);  // 'A', match of 227 + 31 bytes
    PutBits(w, 31, 5);
    PutBits(w, 0, 1);     // at distance 1
}

TEST(HandMadeStreams, DecodeOrFailCleanly) {
    const HandMade cases[] = {
        {"zero run past the table's end", [](BitWriter& w) {
             PutTable(w, LzLengths({{'Q', 1}, {'R', 1}}), 0, true);
             PutBits(w, 0b010, 3);
         }, {'Q', 'R', 'Q'}, true},
        {"distance in front of the first byte reads zeros", [](BitWriter& w) {
             PutTable(w, LzLengths({{'A', 1}, {SymbolFirstLength, 1}, {MainSymbols + 6, 1}}));
             PutBits(w, 0b010, 3);  // 'A', match of 3, distance slot 6 (9 + two extra bits)
             PutBits(w, 1, 2);      // distance 10
         }, {'A', 0, 0, 0}, true},
        {"repeat after a table switch takes the match from before", [](BitWriter& w) {
             const std::vector<uint8_t> first = LzLengths({{'x', 2}, {'y', 2}, {SymbolTableSwitch, 2},
                                                           {SymbolFirstLength, 2}, {MainSymbols + 1, 1}});
             PutTable(w, first);
             PutBits(w, 0b0001110, 7);  // x y, match of 3 at distance 2
             PutBits(w, 0b10, 2);       // table switch; 'x' steps from 2 to 1
             PutTable(w, LzLengths({{'x', 1}, {SymbolRepeatLast, 1}}), 0, false, first);
             PutBits(w, 1, 1);
         }, {'x', 'y', 'x', 'y', 'x', 'y', 'x', 'y'}, true},
        // Four channels take bytes in turn, each with a predictor of its own:
        // a fresh one guesses 0, then its channel's last byte.
        {"four audio channels", [](BitWriter& w) {
             std::vector<uint8_t> lengths(AudioSymbols * 4, 0);
             for (int c = 0; c < 4; c++)
                 for (int delta = 1; delta <= 5; delta++) lengths[AudioSymbols * c + delta] = 3;
             PutTable(w, lengths, 4);
             for (int delta = 1; delta <= 5; delta++) PutBits(w, delta - 1, 3);
         }, {255, 254, 253, 252, 250}, true},
        {"stream that never makes a byte ends with its input", [](BitWriter& w) {
             PutTable(w, LzLengths({{SymbolRepeatLast, 1}, {SymbolTableSwitch, 1}}));
             for (int i = 0; i < 500; i++) PutBits(w, 0, 1);  // repeats of a match of length 0
         }, Bytes(1000, 0), false},
        {"codes of 1 to 15 bits", EveryCodeLength, Bytes({'p', 'o', 'n', 'm', 'l', 'k', 'j', 'i',
                                                          'h', 'g', 'f', 'e', 'd', 'c', 'b', 'a'}), true},
        {"packed data ending with a symbol", NineBitDeltas, {255, 253, 250}, true},
        {"no symbol made up past the end", NineBitDeltas, {255, 253, 250, 250}, false},
        {"packed data ending at the first refill", LiteralsFilling<8192>, Counting(8020), true},
        {"packed data ending at the second refill", LiteralsFilling<8192 + 8160>, Counting(16180), true},
        {"match overrunning the member", Overrun, Bytes(100, 'A'), false},
        {"the same match in a member of its size", Overrun, Bytes(259, 'A'), true},
    };
    std::string path = ScratchArchive("decoder");
    for (const HandMade& c : cases) {
        Bytes packed;
        BitWriter w = {&packed, 0, 0};
        c.Lay(w);
        FlushBits(w);
        RawMember m = StoredMember("m", c.Expected);
        m.Packed = packed;
        m.Method = 0x33;
        ASSERT_TRUE(WriteBytes(path, RawArchive({m})));
        Bytes out;
        EXPECT_EQ(Extract(path, "m", &out), c.Ok) << c.What;
        EXPECT_EQ(out, c.Ok ? c.Expected : Bytes{}) << c.What;
    }
    std::remove(path.c_str());
}

}  // namespace

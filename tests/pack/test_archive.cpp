// The archive format: the 2.0 decoder on streams laid out bit by bit and the
// cipher and CRC against fixed values (what a writer and reader sharing one
// mistake would never notice); writer to reader round trips; the archive
// walk over damaged layouts and fuzzer finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "pack/crypt.h"
#include "pack/encode.h"
#include "pack/pack.h"
#include "pack/reader_context.h"
#include "pack_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string Save(const Bytes& archive) {
    std::string path = ScratchArchive("archive");
    EXPECT_TRUE(WriteBytes(path, archive));
    return path;
}

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

Bytes Counting(size_t size, size_t period = 256) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; i++) bytes[i] = uint8_t(i % period);
    return bytes;
}

// Literals 0..192 in 9 bits, then symbol 268 (length 2, the last short
// distance slot: base 192, six extra bits) with extra 0, so distance 193.
void LastShortDistanceSlot(BitWriter& w) {
    std::vector<uint8_t> lengths(LzTableSize, 0);
    std::fill(lengths.begin(), lengths.begin() + 256, 9);
    lengths[SymbolFirstShort + 7] = 1;
    PutTable(w, lengths);
    for (uint32_t i = 0; i < 193; i++) PutBits(w, 256 + i, 9);
    PutBits(w, 0, 1 + 6);
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
        {"short distance from the last slot", LastShortDistanceSlot, Counting(195, 193), true},
        {"match overrunning the member", Overrun, Bytes(100, 'A'), false},
        {"the same match in a member of its size", Overrun, Bytes(259, 'A'), true},
    };
    for (const HandMade& c : cases) {
        Bytes packed;
        BitWriter w = {&packed, 0, 0};
        c.Lay(w);
        FlushBits(w);
        RawMember m = StoredMember("m", c.Expected);
        m.Packed = packed;
        m.Method = 0x33;
        Bytes out;
        EXPECT_EQ(Extract(Save(RawArchive({m})), "m", &out), c.Ok) << c.What;
        EXPECT_EQ(out, c.Ok ? c.Expected : Bytes{}) << c.What;
    }
}

// The decoder's scaled change against the format's plain sum where a carry
// out of the fields below would show: every weight and change at its ends,
// with the length bits a quick entry carries below the delta.
TEST(AudioPredictor, ScaledChangeAtTheWeightsAndChangesEnds) {
    const int32_t weights[] = {-17, 0, 16}, changes[] = {-128, 0, 127};
    int failures = 0;
    for (int n = 0; n < 243 * 243; n++) {
        AudioPredictor v = {};
        int32_t l[5];  // the four changes, newest first, then the channel delta
        for (int k = 1, w = n % 243; k <= 5; k++, w /= 3) v.K[k] = weights[w % 3];
        for (int i = 0, c = n / 243; i < 5; i++, c /= 3) l[i] = changes[c % 3];
        AdjustWeights(v, 0);  // packs the weights, stepping only the unused K[0]
        for (int i = 3; i >= 0; i--) v.Changes = (v.Changes << 16) + uint64_t(int64_t(l[i]));
        int32_t sum = v.K[1] * l[0] + v.K[2] * (l[0] - l[1]) + v.K[3] * (l[1] - l[2]) + v.K[4] * (l[2] - l[3]);
        for (int32_t delta : {0, 1, 127, 128, 255})
            failures += ScaledAudioChange(v.Changes, v.Weights, v.ScaledK5, l[4], ScaledDelta(delta) + 63) !=
                        int8_t(uint8_t((sum - 8 * delta + v.K[5] * l[4]) >> 3));
    }
    EXPECT_EQ(failures, 0);
}

struct Case { std::string Name; Bytes Content; PackMethod Method = PackMethodNormal; uint8_t Channels = 0; };

// Reads every member back by name, last first (each call must start from a
// cleared decoder), and all of them in one walk.
void ExpectRoundTrip(const std::vector<Case>& cases, bool solid = false, const char* password = nullptr) {
    std::vector<PackInput> inputs;
    for (const Case& c : cases) inputs.push_back(Input(c.Name.c_str(), c.Content, c.Method, c.Channels));
    Bytes archive = Build(inputs, solid, password);
    ASSERT_FALSE(archive.empty());
    std::string path = Save(archive);
    for (auto c = cases.rbegin(); c != cases.rend(); ++c) {
        Bytes out;
        EXPECT_TRUE(Extract(path, c->Name.c_str(), &out, password)) << c->Name;
        EXPECT_TRUE(out == c->Content) << c->Name << " size " << c->Content.size() << " got " << out.size();
    }
    std::vector<std::pair<std::string, Bytes>> walked, expected;
    for (const Case& c : cases) expected.emplace_back(c.Name, c.Content);
    ExtractEveryMember(path.c_str(), password, [](void* context, const char* name, const uint8_t* data,
                                                  uint32_t size, int ok) {
        static_cast<decltype(walked)*>(context)->emplace_back(ok ? name : "(failed)", Bytes(data, data + size));
    }, &walked);
    EXPECT_TRUE(walked == expected);
}

// Around the 8,192-byte input buffer, its 32-byte kept tail and the cipher's
// 16-byte blocks; stored encrypted members of any size read whole (a mend).
TEST(RoundTrip, SizesAroundBufferAndBlockBoundaries) {
    std::vector<Case> cases;
    for (size_t size : {0, 1, 2, 3, 15, 16, 17, 31, 32, 33, 8159, 8160, 8161, 8191, 8192, 8193, 16353}) {
        std::string tag = std::to_string(size);
        cases.push_back({"text" + tag, TextLike(uint32_t(size), size)});
        cases.push_back({"rand" + tag, RandomBytes(uint32_t(size), size)});
        cases.push_back({"stored" + tag, RandomBytes(uint32_t(size), size), PackMethodStore});
    }
    ExpectRoundTrip(cases);
    ExpectRoundTrip(cases, false, "lark.png");
}

// Past the 1 MiB window, runs that overlap their own match, zeros that
// shrink to next to nothing, content that changes so the tables switch.
TEST(RoundTrip, WindowWrapRunsAndTableSwitches) {
    std::vector<Case> cases;
    for (size_t size : {(1u << 20) - 1, 1u << 20, (1u << 20) + 1, (1u << 20) + 300000})
        cases.push_back({"big" + std::to_string(size), TextLike(7, size)});
    Bytes far = RandomBytes(3, 950000);  // a block that recurs 900 KiB later
    std::copy(far.begin(), far.begin() + 40000, far.begin() + 900000);
    Bytes runs;
    for (int i = 0; i < 15000; i++) runs.push_back(i < 5000 ? 'x' : i < 10000 ? "ab"[i & 1] : "abc"[i % 3]);
    Bytes mixed = TextLike(31, 200000), noise = RandomBytes(32, 200000);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    ExpectRoundTrip(cases);
    ExpectRoundTrip({{"far", far}, {"runs", runs}, {"zeros", Bytes(1u << 20, 0)}, {"mixed", mixed}}, false,
                    "lark.png");
}

// 16-bit waves pass 1 MiB: the window's flush point falls inside runs of
// whole frames, and frames are cut short at every run's end.
TEST(RoundTrip, AudioInOneToFourChannels) {
    std::vector<Case> cases;
    for (int channels = 1; channels <= 4; channels++) {
        for (int bytes = 1; bytes <= 2; bytes++) {
            std::string tag = std::to_string(channels) + "x" + std::to_string(bytes);
            size_t frames = bytes == 2 ? (1u << 19) / channels + 3001 : 7001;
            Bytes wave = Wave(uint32_t(channels * 10 + bytes), frames, channels, bytes);
            cases.push_back({"fixed" + tag, wave, PackMethodAudio, uint8_t(std::min(channels * bytes, 4))});
            cases.push_back({"auto" + tag, wave, PackMethodAudio, 0});
        }
    }
    cases.push_back({"audio-empty", {}, PackMethodAudio, 3});
    cases.push_back({"audio-one", {42}, PackMethodAudio, 4});
    ExpectRoundTrip(cases);
}

TEST(RoundTrip, SolidEncryptedAndMixedArchives) {
    const std::vector<Case> cases = {
        {"a.txt", TextLike(11, 15000)},
        {"b.wav", Wave(11, 6000, 2, 2), PackMethodAudio, 4},
        {"c.raw", RandomBytes(11, 777), PackMethodStore},
        {"d.txt", TextLike(11, 15000)},  // repeats a.txt: solid finds it
        {"e.empty", {}},
        {"f.wav", Wave(12, 3001, 3, 1), PackMethodAudio, 3},
        {"g.bin", RandomBytes(11, 9000), PackMethodBest},
        {"h.txt", TextLike(20, 40000), PackMethodBest},
        {"i.wav", Wave(13, 2000, 1, 1), PackMethodAudio, 1},
    };
    ExpectRoundTrip(cases, true);
    ExpectRoundTrip(cases, true, "lark.png");
    ExpectRoundTrip(cases, false, "odd");
}

TEST(Writer, RefusesNamesItCannotStore) {
    Bytes content = {1, 2, 3}, out;
    std::string longest(259, 'n');
    for (auto [name, built] : {std::pair<std::string, int>{"", 0}, {longest + 'n', 0}, {longest, 1}}) {
        PackInput member[] = {Input(name.c_str(), content)};
        EXPECT_EQ(BuildPack(member, 1, nullptr, &out), built) << name.size();
    }
}

using NameList = std::vector<std::string>;
const Bytes Content = {'p', 'a', 'c', 'k', 'e', 'd', '!'};

NameList Names(const Bytes& archive) {
    MemberRecord* head = nullptr;
    int32_t count = ListMembers(Save(archive).c_str(), &head);
    NameList names;
    for (MemberRecord* r = head; r; r = r->Next) names.push_back(r->Name);
    EXPECT_EQ(count, int32_t(names.size()));
    FreeMemberList(head);
    return names;
}

// Only the RAR marker and the VorlaX one open an archive; comments and
// other blocks are stepped over, also one at the end shorter than a file
// header; the end-of-members block (0x77) and a damaged header end the walk.
// A missing archive lists nothing and unpacks nothing.
TEST(Listing, MarkersBlocksAndDamageSteerTheWalk) {
    const RawMember a = StoredMember("a", Content), good = StoredMember("good", Content);
    Bytes cutHeader = RawArchive();
    cutHeader.resize(15);
    Bytes blocks = RawArchive({}, "Rar!\x1a\x07", Bytes(40, 'c'));  // archive comment
    AppendRawBlock(blocks, 0x75, {1, 2, 3}, Bytes(100, 'x'));        // comment block
    AppendRawMember(blocks, StoredMember("one", Content));
    AppendRawBlock(blocks, 0x7A, Bytes(9, 0));
    AppendRawMember(blocks, StoredMember("two", Content));
    Bytes ended = blocks;
    AppendRawBlock(blocks, 0x7B, {});
    AppendRawBlock(ended, 0x77, {});
    AppendRawMember(ended, StoredMember("three", Content));
    Bytes tiny = RawArchive({good});
    AppendRawBlock(tiny, 0x7A, {});
    tiny[tiny.size() - 6] = 5;  // header size below 7
    AppendRawMember(tiny, StoredMember("behind", Content));
    Bytes cut = RawArchive({good, StoredMember("cut", Content)});
    cut.resize(cut.size() - Content.size() - 10);  // header ends inside the name
    RawMember liar = StoredMember("name", Content);
    liar.NameSize = 200;  // longer than the header that holds it
    const struct { const char* What; Bytes Archive; NameList Names; } rows[] = {
        {"no member", RawArchive(), {}},
        {"archive header cut short", cutHeader, {}},
        {"foreign marker", RawArchive({a}, "NotRar!"), {}},
        {"VorlaX marker", RawArchive({a}, "VorlaX!"), {"a"}},
        {"comments and other blocks", blocks, {"one", "two"}},
        {"end of members", ended, {"one", "two"}},
        {"header size below 7", tiny, {"good"}},
        {"header cut inside the name", cut, {"good"}},
        {"name longer than its header", RawArchive({good, liar, StoredMember("b", Content)}), {"good"}},
    };
    for (const auto& row : rows) EXPECT_EQ(Names(row.Archive), row.Names) << row.What;
    Bytes out;
    EXPECT_FALSE(Extract(Save(ended), "three", &out));
    MemberRecord* head = nullptr;
    EXPECT_EQ(ListMembers("/nonexistent/Data.pak", &head), 0);
    EXPECT_EQ(head, nullptr);
    uint8_t* data = reinterpret_cast<uint8_t*>(1);
    uint32_t size = 5;
    EXPECT_EQ(ExtractMember(&data, &size, "x", "/nonexistent.rar", "lark.png"), 0);
    EXPECT_TRUE(data == nullptr && size == 0);
    // Mend: the password is zeroed on every way out, the early ones too.
    EXPECT_TRUE(std::all_of(std::begin(Reader.Password), std::end(Reader.Password), [](char c) { return !c; }));
}

// Names match whatever their letter case and separators. Versions outside
// 13..20, a CRC that does not match and a size the packed bytes cannot
// produce are refused. Mends: the data starts at block start + header size
// (a header may carry more than the name); a name longer than 259 bytes is
// cut in the listing and in a request alike, and the walk goes on.
TEST(Extraction, WhichRequestsUnpackWhat) {
    RawMember newer = StoredMember("v29", Content), older = StoredMember("v12", Content),
              oldest = StoredMember("v13", Content), badCrc = StoredMember("crc", Content),
              extra = StoredMember("extra", Content), huge = StoredMember("huge", Content);
    newer.Version = 29;
    older.Version = 12;
    oldest.Version = 13;
    badCrc.Crc ^= 1;
    extra.ExtraHeader = Bytes(23, 0xEE);
    huge.UnpackedSize = 0xFFFFFFF0u;
    huge.Method = 0x33;
    std::string longName(300, 'L'), cutName(259, 'L');
    Bytes archive = RawArchive({StoredMember("LOADING.PNG", Content), StoredMember("a/b.png", {1, 2}), newer, older,
                                oldest, badCrc, huge, extra, StoredMember(longName, {9}), StoredMember("after", {7})});
    EXPECT_EQ(Names(archive)[8], cutName);
    std::string path = Save(archive);
    const struct { const char* Request; Bytes Content; } rows[] = {
        {"loading.png", Content}, {"A\\B.PNG", {1, 2}},      {"A/b.PnG", {1, 2}}, {"a_b.png", {1, 2}},
        {"a.b.png", {}},          {"loading.pn", {}},       {"v29", {}},         {"v12", {}},
        {"v13", Content},         {"crc", {}},              {"huge", {}},        {"extra", Content},
        {cutName.c_str(), {9}},   {longName.c_str(), {9}},  {"after", {7}},
    };
    for (const auto& row : rows) {
        Bytes out;
        EXPECT_EQ(Extract(path, row.Request, &out, PackPassword), !row.Content.empty()) << row.Request;
        EXPECT_EQ(out, row.Content) << row.Request;
    }
}

// Every input that once found new behaviour in the fuzzer must still run
// through its entry point without a fault.
TEST(FuzzCorpus, EveryInputRunsThrough) {
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TB_PACK_CORPUS_DIR)) {
        Bytes input = ReadBytes(entry.path().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0) << entry.path();
        inputs++;
    }
    EXPECT_GT(inputs, 0u);
}

}  // namespace

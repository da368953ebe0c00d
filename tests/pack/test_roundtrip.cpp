// Writer to reader: every member comes back byte for byte, whatever its
// content, method, size, solidity or encryption.
#include <gtest/gtest.h>

#include <algorithm>

#include "pack/pack.h"
#include "pack_test_util.h"

namespace {

struct Case {
    std::string Name;
    Bytes Content;
    PackMethod Method = PackMethodNormal;
    uint8_t Channels = 0;
};

// Reads every member back by name, last first (each call must start from a
// cleared decoder), and all of them in one walk.
void ExpectRoundTrip(const std::vector<Case>& cases, bool solid = false, const char* password = nullptr) {
    std::vector<PackInput> inputs;
    for (const Case& c : cases) inputs.push_back(Input(c.Name.c_str(), c.Content, c.Method, c.Channels));
    Bytes archive = Build(inputs, solid, password);
    ASSERT_FALSE(archive.empty());
    std::string path = ScratchArchive("roundtrip");
    ASSERT_TRUE(WriteBytes(path, archive));
    for (auto c = cases.rbegin(); c != cases.rend(); ++c) {
        Bytes out;
        EXPECT_TRUE(Extract(path, c->Name.c_str(), &out, password)) << c->Name;
        EXPECT_TRUE(out == c->Content) << c->Name << " size " << c->Content.size() << " got " << out.size();
    }
    struct Seen { const std::vector<Case>* Cases; size_t Next; int Bad; } seen = {&cases, 0, 0};
    int32_t walked = ExtractEveryMember(path.c_str(), password,
        [](void* context, const char* name, const uint8_t* data, uint32_t size, int ok) {
            Seen& s = *static_cast<Seen*>(context);
            const Case& c = (*s.Cases)[s.Next++];
            if (!ok || c.Name != name || Bytes(data, data + size) != c.Content) s.Bad++;
        }, &seen);
    EXPECT_EQ(walked, int32_t(cases.size()));
    EXPECT_EQ(seen.Bad, 0);
    std::remove(path.c_str());
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
    for (uint32_t seed = 11; seed <= 12; seed++) {
        std::vector<Case> cases = {
            {"a.txt", TextLike(seed, 15000)},
            {"b.wav", Wave(seed, 6000, 2, 2), PackMethodAudio, 4},
            {"c.raw", RandomBytes(seed, 777), PackMethodStore},
            {"d.txt", TextLike(seed, 15000)},  // repeats a.txt: solid finds it
            {"e.empty", {}},
            {"f.wav", Wave(seed + 1, 3001, 3, 1), PackMethodAudio, 3},
            {"g.bin", RandomBytes(seed, 9000), PackMethodBest},
            {"h.txt", TextLike(seed + 9, 40000), PackMethodBest},
            {"i.wav", Wave(seed + 2, 2000, 1, 1), PackMethodAudio, 1},
        };
        ExpectRoundTrip(cases, true);
        ExpectRoundTrip(cases, true, "lark.png");
        ExpectRoundTrip(cases, false, "odd");
    }
}

// Round trips pass for a writer that stores everything: each mode must
// also earn its keep.
TEST(RoundTrip, EachModeShrinksWhatItIsFor) {
    auto packed = [](const Bytes& data, PackMethod method) {
        std::vector<uint8_t> out;
        return CompressMember(data.data(), uint32_t(data.size()), method, 0, 0, &out);
    };
    Bytes wave = Wave(5, 40000, 2, 2);
    EXPECT_LT(packed(wave, PackMethodAudio), packed(wave, PackMethodNormal));
    EXPECT_LT(packed(Bytes(1u << 20, 0), PackMethodNormal), 1000u);
    Bytes text = TextLike(21, 60000);
    std::vector<PackInput> twice = {Input("one", text), Input("two", text)};
    EXPECT_LT(Build(twice, true).size() + 10000, Build(twice, false).size());
}

TEST(Writer, RefusesNamesItCannotStore) {
    Bytes content = {1, 2, 3}, out;
    std::string longest(259, 'n');
    for (auto [name, built] : {std::pair<std::string, int>{"", 0}, {longest + 'n', 0}, {longest, 1}}) {
        PackInput member[] = {Input(name.c_str(), content)};
        EXPECT_EQ(BuildPack(member, 1, nullptr, &out), built) << name.size();
    }
}

}  // namespace


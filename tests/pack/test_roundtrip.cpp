// Writer to reader: every member comes back byte for byte, whatever its
// content, method, size, solidity or encryption.
#include <gtest/gtest.h>

#include "pack/pack.h"
#include "pack_test_util.h"

namespace {

struct Case {
    std::string Name;
    Bytes Content;
    PackMethod Method;
    uint8_t Channels;
};

// Builds, writes and reads back every member; both by name and in one walk.
void ExpectRoundTrip(const std::vector<Case>& cases, bool solid, const char* password) {
    std::vector<PackInput> inputs;
    for (const Case& c : cases) inputs.push_back(Input(c.Name.c_str(), c.Content, c.Method, c.Channels));
    Bytes archive = Build(inputs, solid, password);
    ASSERT_FALSE(archive.empty());
    std::string path = ScratchArchive("roundtrip");
    ASSERT_TRUE(WriteBytes(path, archive));
    for (const Case& c : cases) {
        Bytes out;
        EXPECT_TRUE(Extract(path, c.Name.c_str(), &out, password)) << c.Name;
        EXPECT_TRUE(out == c.Content) << c.Name << " size " << c.Content.size() << " got " << out.size();
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

TEST(RoundTrip, SizesAroundBufferAndWindowBoundaries) {
    const size_t sizes[] = {0, 1, 2, 3, 31, 32, 33, 8159, 8160, 8161, 8162, 8191, 8192, 8193, 16353};
    std::vector<Case> cases;
    for (size_t size : sizes) {
        cases.push_back({"text" + std::to_string(size), TextLike(uint32_t(size), size), PackMethodNormal, 0});
        cases.push_back({"rand" + std::to_string(size), RandomBytes(uint32_t(size), size), PackMethodNormal, 0});
    }
    ExpectRoundTrip(cases, false, nullptr);
}

TEST(RoundTrip, MembersLargerThanTheWindow) {
    const size_t sizes[] = {(1u << 20) - 1, 1u << 20, (1u << 20) + 1, (1u << 20) + 300000};
    std::vector<Case> cases;
    for (size_t size : sizes) cases.push_back({"big" + std::to_string(size), TextLike(7, size), PackMethodNormal, 0});
    // A block that recurs 900 KiB later is found through the long distances.
    Bytes far = RandomBytes(3, 950000);
    std::copy(far.begin(), far.begin() + 40000, far.begin() + 900000);
    cases.push_back({"far", far, PackMethodNormal, 0});
    ExpectRoundTrip(cases, false, nullptr);
}

TEST(RoundTrip, ContentKindsAndMethods) {
    for (uint32_t seed = 1; seed <= 6; seed++) {
        std::vector<Case> cases = {
            {"text.txt", TextLike(seed, 20000 + seed * 997), PackMethodNormal, 0},
            {"deflated.png", Deflated(seed, 30000), PackMethodBest, 0},
            {"random.bin", RandomBytes(seed, 5000 + seed), PackMethodNormal, 0},
            {"stored.txt", TextLike(seed + 50, 3000), PackMethodStore, 0},
            {"best.txt", TextLike(seed + 60, 12345), PackMethodBest, 0},
        };
        ExpectRoundTrip(cases, false, nullptr);
    }
}

TEST(RoundTrip, AudioInOneToFourChannels) {
    std::vector<Case> cases;
    for (int channels = 1; channels <= 4; channels++) {
        for (int bytes = 1; bytes <= 2; bytes++) {
            std::string tag = std::to_string(channels) + "x" + std::to_string(bytes);
            Bytes wave = Wave(uint32_t(channels * 10 + bytes), 7001, channels, bytes);
            cases.push_back({"fixed" + tag, wave, PackMethodAudio, uint8_t(channels * bytes > 4 ? 4 : channels * bytes)});
            cases.push_back({"auto" + tag, wave, PackMethodAudio, 0});
        }
    }
    cases.push_back({"audio-empty", {}, PackMethodAudio, 3});
    cases.push_back({"audio-one", {42}, PackMethodAudio, 4});
    ExpectRoundTrip(cases, false, nullptr);
}

TEST(RoundTrip, AudioBeatsLzOnWaves) {
    Bytes wave = Wave(5, 40000, 2, 2);
    std::vector<uint8_t> audio, normal;
    CompressMember(wave.data(), uint32_t(wave.size()), PackMethodAudio, 0, 0, &audio);
    CompressMember(wave.data(), uint32_t(wave.size()), PackMethodNormal, 0, 0, &normal);
    EXPECT_LT(audio.size(), normal.size());
}

std::vector<Case> MixedCases(uint32_t seed) {
    return {
        {"a.txt", TextLike(seed, 15000), PackMethodNormal, 0},
        {"b.wav", Wave(seed, 6000, 2, 2), PackMethodAudio, 4},
        {"c.raw", RandomBytes(seed, 777), PackMethodStore, 0},
        {"d.txt", TextLike(seed, 15000), PackMethodNormal, 0},  // repeats a.txt: solid finds it
        {"e.empty", {}, PackMethodNormal, 0},
        {"f.wav", Wave(seed + 1, 3001, 3, 1), PackMethodAudio, 3},
        {"g.png", Deflated(seed, 9000), PackMethodBest, 0},
        {"h.txt", TextLike(seed + 9, 40000), PackMethodNormal, 0},
        {"i.wav", Wave(seed + 2, 2000, 1, 1), PackMethodAudio, 1},
    };
}

TEST(RoundTrip, SolidEncryptedAndMixedArchives) {
    for (uint32_t seed = 11; seed <= 14; seed++) {
        std::vector<Case> cases = MixedCases(seed);
        ExpectRoundTrip(cases, true, nullptr);
        ExpectRoundTrip(cases, true, "lark.png");
        ExpectRoundTrip(cases, false, "lark.png");
        ExpectRoundTrip(cases, false, "odd");
    }
}

TEST(RoundTrip, SolidStreamReusesEarlierMembers) {
    Bytes text = TextLike(21, 60000);
    std::vector<PackInput> twice = {Input("one", text), Input("two", text)};
    Bytes solid = Build(twice, true), separate = Build(twice, false);
    EXPECT_LT(solid.size() + 10000, separate.size());  // the second costs next to nothing
}

TEST(RoundTrip, OverlappingMatchesAndRuns) {
    Bytes runs;
    for (int i = 0; i < 5000; i++) runs.push_back('x');
    for (int i = 0; i < 5000; i++) runs.push_back("ab"[i & 1]);
    for (int i = 0; i < 5000; i++) runs.push_back("abc"[i % 3]);
    Bytes zeros(1u << 20, 0);
    ExpectRoundTrip({{"runs", runs, PackMethodNormal, 0}, {"zeros", zeros, PackMethodNormal, 0}}, false, nullptr);
    std::vector<uint8_t> packed;
    CompressMember(zeros.data(), uint32_t(zeros.size()), PackMethodNormal, 0, 0, &packed);
    EXPECT_LT(packed.size(), 1000u);
}

TEST(RoundTrip, TableSwitchesFollowChangingContent) {
    Bytes mixed = TextLike(31, 200000);
    Bytes noise = RandomBytes(32, 200000);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    Bytes more = TextLike(33, 200000);
    mixed.insert(mixed.end(), more.begin(), more.end());
    ExpectRoundTrip({{"mixed", mixed, PackMethodNormal, 0}}, false, "lark.png");
}

// Packed data that ends exactly where the input buffer is refilled: the
// bytes still in the buffer's tail must count as valid input.
TEST(RoundTrip, PackedDataEndingOnARefillBoundary) {
    Bytes noise = RandomBytes(77, 20000);
    auto packedSize = [&](uint32_t size) {
        std::vector<uint8_t> packed;
        return CompressMember(noise.data(), size, PackMethodNormal, 0, 0, &packed);
    };
    for (uint32_t target : {8192u, 8192u + 8160u}) {
        uint32_t low = target - 2000, high = target;  // packed grows about as the input does
        while (low < high) {
            uint32_t middle = (low + high) / 2;
            if (packedSize(middle) < target) low = middle + 1; else high = middle;
        }
        uint32_t size = low;
        while (size < low + 16 && packedSize(size) != target) size++;
        ASSERT_EQ(packedSize(size), target);
        ExpectRoundTrip({{"edge", Bytes(noise.begin(), noise.begin() + size), PackMethodNormal, 0}}, false,
                        nullptr);
    }
}

TEST(Writer, RejectsNamesItCannotStore) {
    Bytes content = {1, 2, 3};
    std::string longName(260, 'n');
    Bytes out;
    PackInput bad[] = {Input(longName.c_str(), content)};
    EXPECT_EQ(BuildPack(bad, 1, nullptr, &out), 0);
    PackInput empty[] = {Input("", content)};
    EXPECT_EQ(BuildPack(empty, 1, nullptr, &out), 0);
    std::string longest(259, 'n');
    PackInput good[] = {Input(longest.c_str(), content)};
    EXPECT_EQ(BuildPack(good, 1, nullptr, &out), 1);
}

}  // namespace

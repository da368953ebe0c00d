// Start-up extraction in a throw-away working directory: which files
// appear in data/, which messages are printed, and that they go again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "pack/pack.h"
#include "pack_test_util.h"
#include "tests/support/test_files.h"

namespace {

using std::filesystem::exists;
const std::string WriteError = "  o Error creating binary output file!\n\n";

template <typename Step> std::string Printed(Step step) {
    testing::internal::CaptureStdout();
    step();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

class StartUp : public testing::Test {
protected:
    void SetUp() override { EnterTempWorkDir(); }
    void TearDown() override { LeaveTempWorkDir(); }
    static void InstallPack(const Bytes& archive) { ASSERT_TRUE(WriteBytes("data/Data.pak", archive)); }
};

// A missing or empty pack prints and writes nothing, and members under
// another password each print the extraction message. The loading picture
// comes first, then every member (a loose copy is overwritten), then none.
// A member above start-up's limit is refused; tbpack's walk has no limit.
TEST_F(StartUp, LoadingImageFirstThenEveryMemberThenNone) {
    auto all = [] { ExtractLoadingImage(); ExtractPack(); DeleteExtractedFiles(); };
    EXPECT_EQ(Printed(all), "");
    InstallPack(RawArchive());
    EXPECT_EQ(Printed(all), "");
    Bytes picture = RandomBytes(1, 3000), other = TextLike(2, 9000);
    InstallPack(Build({Input("a.png", other, PackMethodStore), Input("loading.png", other)}, false, "lark.pnG"));
    EXPECT_EQ(Printed(ExtractLoadingImage), "Error!\n");
    EXPECT_EQ(Printed(ExtractPack), "Error!\nError!\n");
    EXPECT_FALSE(exists("data/a.png") || exists("data/loading.png"));
    InstallPack(Build({Input("other.png", other), Input("LOADING.PNG", picture), Input("empty.png", {})}, true,
                      PackPassword));
    ASSERT_TRUE(WriteBytes("data/other.png", Bytes{1, 2, 3}));
    ASSERT_TRUE(WriteBytes("data/keep.png", Bytes{4}));
    EXPECT_EQ(Printed(ExtractLoadingImage), "");
    EXPECT_EQ(ReadBytes("data/loading.png"), picture);
    EXPECT_EQ(ReadBytes("data/other.png"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Printed(ExtractPack), "");
    EXPECT_EQ(ReadBytes("data/other.png"), other);
    EXPECT_EQ(ReadBytes("data/LOADING.PNG"), picture);
    EXPECT_TRUE(exists("data/empty.png"));
    DeleteExtractedFiles();
    for (const char* gone : {"data/other.png", "data/LOADING.PNG", "data/empty.png"}) EXPECT_FALSE(exists(gone)) << gone;
    for (const char* kept : {"data/keep.png", "data/Data.pak"}) EXPECT_TRUE(exists(kept)) << kept;
    Bytes big(MaxStartupMemberBytes + 1, 'b');
    InstallPack(Build({Input("big.png", big, PackMethodStore), Input("small.png", {1})}));
    EXPECT_EQ(Printed(ExtractPack), "Error!\n");
    EXPECT_FALSE(exists("data/big.png"));
    EXPECT_TRUE(exists("data/small.png"));
    uint32_t unlimited = 0;
    ExtractEveryMember(PackPath, nullptr, [](void* context, const char*, const uint8_t*, uint32_t size, int ok) {
        if (ok) *static_cast<uint32_t*>(context) += size;
    }, &unlimited);
    EXPECT_EQ(unlimited, big.size() + 1);
}

// Extraction in one walk fails the members, and only those, that
// ExtractMember fails: also when a solid stream is cut by a member of
// another version or a member fails its CRC.
TEST_F(StartUp, OneWalkFailsWhatMemberByMemberFails) {
    struct Damage { bool Solid; int Member; size_t Offset; uint8_t Xor; uint32_t Fails; };
    const Damage damages[] = {
        {true, 5, 24, 20 ^ 29, 0xE0},   // version the reader refuses: 5 and all behind it
        {true, 3, 16, 1, 0x08},         // CRC mismatch
        {false, 4, 24, 20 ^ 36, 0x10},  // not solid: only 4
        {false, 4, 3, 0x10, 0},         // "continues" outside a solid archive
    };
    std::string names[8];
    Bytes contents[8];
    std::vector<PackInput> inputs;
    for (int i = 0; i < 8; i++) {
        names[i] = "m" + std::to_string(i) + ".png";
        contents[i] = i % 3 == 2 ? Wave(uint32_t(i), 800, 2, 2) : TextLike(uint32_t(i % 2), 4000 + i);
        inputs.push_back(Input(names[i].c_str(), contents[i], i == 2 ? PackMethodAudio : PackMethodBest));
    }
    for (const Damage& d : damages) {
        Bytes archive = Build(inputs, d.Solid, PackPassword);
        const std::string& name = names[size_t(d.Member)];
        auto at = std::search(archive.begin(), archive.end(), name.begin(), name.end());
        archive[size_t(at - archive.begin()) - 32 + d.Offset] ^= d.Xor;
        InstallPack(archive);
        std::string expected;
        for (uint32_t fails = d.Fails; fails; fails &= fails - 1) expected += "Error!\n";
        EXPECT_EQ(Printed(ExtractPack), expected) << d.Member << " " << d.Offset;
        for (size_t i = 0; i < 8; i++) {
            bool fails = d.Fails >> i & 1;
            EXPECT_EQ(ReadBytes("data/" + names[i]), fails ? Bytes{} : contents[i]) << d.Member << " " << i;
            Bytes out;
            EXPECT_EQ(Extract(PackPath, names[i].c_str(), &out, PackPassword), !fails) << d.Member << " " << i;
        }
        DeleteExtractedFiles();
    }
}

// Mends: a member becomes a new regular file inside data/ or nothing. Names
// that leave the directory, are too long or are the pack's own (any case)
// are refused; links and directories at a member's name stay; a hard link
// is replaced, its other name untouched. The delete step removes only what
// extraction could have written. A missing directory or buffer is reported.
TEST_F(StartUp, OnlyNewRegularFilesInsideAreWritten) {
    ASSERT_TRUE(WriteBytes("victim", Bytes{42}));
    ASSERT_TRUE(WriteBytes("shared", Bytes{43}));
    ASSERT_EQ(symlink("../victim", "data/link.png"), 0);
    ASSERT_EQ(symlink("../nowhere", "data/dangling.png"), 0);
    ASSERT_EQ(link("shared", "data/hard.png"), 0);
    ASSERT_TRUE(std::filesystem::create_directory("data/dir.png"));
    std::string longest(122, 'n');
    const std::vector<std::string> refused = {"../victim", "sub/x.png", "sub\\x.png", "C:x.png", "..", "/abs.png",
                                              longest + 'n', "DATA.PAK", "Data.pak", "link.png", "dangling.png",
                                              "dir.png"};
    Bytes archive = RawArchive();
    for (const std::string& name : refused) AppendRawMember(archive, StoredMember(name, {7}));
    for (const std::string& name : {longest, std::string("hard.png")}) AppendRawMember(archive, StoredMember(name, {7}));
    InstallPack(archive);
    std::string expected;
    for (size_t i = 0; i < refused.size(); i++) expected += WriteError;
    EXPECT_EQ(Printed(ExtractPack), expected);
    EXPECT_EQ(ReadBytes("victim"), Bytes{42});
    EXPECT_EQ(ReadBytes("shared"), Bytes{43});
    for (const char* absent : {"nowhere", "data/sub", "/abs.png"}) EXPECT_FALSE(exists(absent)) << absent;
    EXPECT_EQ(ReadBytes("data/hard.png"), Bytes{7});
    EXPECT_EQ(ReadBytes("data/" + longest), Bytes{7});
    EXPECT_EQ(ReadBytes("data/Data.pak"), archive);
    // Too long for start-up's path, but a safe name for tbpack to extract.
    EXPECT_TRUE(IsSafeMemberName((longest + 'n').c_str()));
    DeleteExtractedFiles();
    EXPECT_FALSE(exists("data/hard.png"));
    EXPECT_FALSE(exists("data/" + longest));
    EXPECT_TRUE(std::filesystem::is_symlink("data/link.png"));
    EXPECT_TRUE(std::filesystem::is_symlink("data/dangling.png"));
    EXPECT_TRUE(std::filesystem::is_directory("data/dir.png"));
    EXPECT_EQ(ReadBytes("data/Data.pak"), archive);
    EXPECT_EQ(ReadBytes("victim"), Bytes{42});
    const auto* x = reinterpret_cast<const uint8_t*>("xy");
    EXPECT_EQ(Printed([&] { WriteOutputFile("Data/missing/x.png", x, 1); }), WriteError);
    EXPECT_EQ(Printed([] { WriteOutputFile("Data\\x.png", nullptr, 0); }), WriteError);
}

}  // namespace

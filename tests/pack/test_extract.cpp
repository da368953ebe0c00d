// Start-up extraction in a throw-away working directory: which files
// appear in data/, which messages are printed, and that they go again.
#include <gtest/gtest.h>

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

TEST_F(StartUp, MissingOrEmptyPackDoesNothingQuietly) {
    auto all = [] { ExtractLoadingImage(); ExtractPack(); DeleteExtractedFiles(); };
    EXPECT_EQ(Printed(all), "");
    InstallPack(RawArchive());
    EXPECT_EQ(Printed(all), "");
    EXPECT_TRUE(exists("data/Data.pak"));
}

TEST_F(StartUp, LoadingImageFirstThenEveryMemberThenNone) {
    Bytes picture = RandomBytes(1, 3000), other = TextLike(2, 9000);
    InstallPack(Build({Input("other.png", other), Input("LOADING.PNG", picture), Input("empty.png", {})}, true,
                      PackPassword));
    ASSERT_TRUE(WriteBytes("data/other.png", Bytes{1, 2, 3}));  // a loose copy is overwritten
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
}

TEST_F(StartUp, MembersUnderAnotherPasswordPrintErrors) {
    Bytes text = TextLike(3, 500);
    InstallPack(Build({Input("a.png", text, PackMethodStore), Input("loading.png", text)}, false, "lark.pnG"));
    EXPECT_EQ(Printed(ExtractLoadingImage), "Error!\n");
    EXPECT_EQ(Printed(ExtractPack), "Error!\nError!\n");
    EXPECT_FALSE(exists("data/a.png"));
    EXPECT_FALSE(exists("data/loading.png"));
}

// Mend: a name that would leave the data directory is never written (nor
// deleted); a name too long for the target path neither.
TEST_F(StartUp, UnsafeNamesAreNeverWritten) {
    ASSERT_TRUE(WriteBytes("evil.png", Bytes{42}));
    std::string longest(122, 'n');
    Bytes archive = RawArchive();
    for (const std::string& name : std::vector<std::string>{"../evil.png", "sub/x.png", "sub\\x.png", "C:x.png",
                                                            "..", "/abs.png", longest + 'n', longest})
        AppendRawMember(archive, StoredMember(name, {7}));
    InstallPack(archive);
    std::string expected;
    for (int i = 0; i < 7; i++) expected += WriteError;
    EXPECT_EQ(Printed(ExtractPack), expected);
    EXPECT_EQ(ReadBytes("evil.png"), Bytes{42});
    EXPECT_FALSE(exists("data/sub"));
    EXPECT_FALSE(exists("/abs.png"));
    EXPECT_TRUE(exists("data/" + longest));
    // Too long for start-up's path, but a safe name for tbpack to extract.
    EXPECT_TRUE(IsSafeMemberName((longest + 'n').c_str()));
    DeleteExtractedFiles();
    EXPECT_TRUE(exists("evil.png"));
    EXPECT_FALSE(exists("data/" + longest));
}

// A missing directory, an empty member and a write that fails after the
// open (a full disk) are all reported.
TEST_F(StartUp, UnwritableTargetIsReported) {
    const auto* x = reinterpret_cast<const uint8_t*>("xy");
    EXPECT_EQ(Printed([&] { WriteOutputFile("Data/missing/x.png", x, 1); }), WriteError);
    EXPECT_EQ(Printed([] { WriteOutputFile("Data\\x.png", nullptr, 0); }), WriteError);
    EXPECT_EQ(Printed([&] { WriteOutputFile("/dev/full", x, 1); }), WriteError);
    EXPECT_EQ(Printed([&] { WriteOutputFile("Data\\x.png", x, 2); }), "");
    EXPECT_EQ(ReadBytes("data/x.png"), (Bytes{'x', 'y'}));
}

// Extraction in one walk fails the members, and only those, that
// ExtractMember fails: also when a solid stream is cut by a member of
// another version or a member fails its CRC.
TEST_F(StartUp, OneWalkFailsWhatMemberByMemberFails) {
    struct Damage { bool Solid; int Member; size_t Offset; uint8_t Xor; uint32_t Fails; };
    const Damage damages[] = {
        {true, 0, 0, 0, 0},
        {true, 5, 24, 20 ^ 29, 0xE0},   // version the reader refuses: 5 and all behind it
        {true, 3, 16, 1, 0x08},         // CRC mismatch
        {false, 4, 24, 20 ^ 36, 0x10},  // not solid: only 4
        {false, 4, 3, 0x10, 0},         // "continues" outside a solid archive
    };
    std::vector<Bytes> contents;
    std::vector<std::string> names;
    for (int i = 0; i < 8; i++) {
        contents.push_back(i % 3 == 2 ? Wave(uint32_t(i), 800, 2, 2) : TextLike(uint32_t(i % 2), 4000 + i));
        names.push_back("m" + std::to_string(i) + ".png");
    }
    std::vector<PackInput> inputs;
    for (int i = 0; i < 8; i++)
        inputs.push_back(Input(names[i].c_str(), contents[i], i == 2 ? PackMethodAudio : PackMethodBest));
    for (const Damage& d : damages) {
        Bytes archive = Build(inputs, d.Solid, PackPassword);
        const std::string& name = names[size_t(d.Member)];
        auto at = std::search(archive.begin(), archive.end(), name.begin(), name.end());
        archive[size_t(at - archive.begin()) - 32 + d.Offset] ^= d.Xor;
        InstallPack(archive);
        std::string expected;
        for (uint32_t fails = d.Fails; fails; fails &= fails - 1) expected += "Error!\n";
        EXPECT_EQ(Printed(ExtractPack), expected) << d.Member << " " << d.Offset;
        for (size_t i = 0; i < names.size(); i++) {
            bool fails = d.Fails >> i & 1;
            EXPECT_EQ(ReadBytes("data/" + names[i]), fails ? Bytes{} : contents[i]) << d.Member << " " << i;
            Bytes out;
            EXPECT_EQ(Extract(PackPath, names[i].c_str(), &out, PackPassword), !fails) << d.Member << " " << i;
        }
        DeleteExtractedFiles();
    }
}

// Twin names make the walk give up; member by member, both files get the
// first twin's bytes.
TEST_F(StartUp, TwinNamesExtractTheFirstTwice) {
    InstallPack(RawArchive({StoredMember("a.png", {1}), StoredMember("A.PNG", {2})}));
    EXPECT_EQ(Printed(ExtractPack), "");
    EXPECT_EQ(ReadBytes("data/a.png"), Bytes{1});
    EXPECT_EQ(ReadBytes("data/A.PNG"), Bytes{1});
}

}  // namespace

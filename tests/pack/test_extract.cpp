// Start-up extraction in a throw-away working directory: which files
// appear in data/, which messages are printed, and that they go again.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "pack/pack.h"
#include "pack_test_util.h"
#include "tests/support/test_files.h"

namespace {

const char* const WriteError = "  o Error creating binary output file!\n\n";

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

class StartUp : public testing::Test {
protected:
    void SetUp() override { EnterTempWorkDir(); }
    void TearDown() override { LeaveTempWorkDir(); }

    static void InstallPack(const Bytes& archive) { ASSERT_TRUE(WriteBytes("data/Data.pak", archive)); }

    template <typename Step> static std::string Printed(Step step) {
        testing::internal::CaptureStdout();
        step();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};

// Points at the file header of the member called name inside archive.
size_t HeaderOf(const Bytes& archive, const std::string& name) {
    auto at = std::search(archive.begin(), archive.end(), name.begin(), name.end());
    return size_t(at - archive.begin()) - 32;
}

TEST_F(StartUp, MissingOrEmptyPackDoesNothingQuietly) {
    EXPECT_EQ(Printed([] { ExtractLoadingImage(); ExtractPack(); DeleteExtractedFiles(); }), "");
    InstallPack(RawArchiveStart());
    EXPECT_EQ(Printed([] { ExtractLoadingImage(); ExtractPack(); DeleteExtractedFiles(); }), "");
    EXPECT_TRUE(Exists("data/Data.pak"));
}

TEST_F(StartUp, LoadingImageFirstThenEveryMemberThenNone) {
    Bytes picture = Deflated(1, 3000), other = TextLike(2, 9000);
    InstallPack(Build({Input("other.png", other), Input("LOADING.PNG", picture)}, true, PackPassword));
    ASSERT_TRUE(WriteBytes("data/other.png", Bytes{1, 2, 3}));  // a loose copy is overwritten
    ASSERT_TRUE(WriteBytes("data/keep.png", Bytes{4}));
    EXPECT_EQ(Printed([] { ExtractLoadingImage(); }), "");
    EXPECT_EQ(ReadBytes("data/loading.png"), picture);
    EXPECT_EQ(ReadBytes("data/other.png"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Printed([] { ExtractPack(); }), "");
    EXPECT_EQ(ReadBytes("data/other.png"), other);
    EXPECT_EQ(ReadBytes("data/LOADING.PNG"), picture);
    DeleteExtractedFiles();
    EXPECT_FALSE(Exists("data/other.png"));
    EXPECT_FALSE(Exists("data/LOADING.PNG"));
    EXPECT_TRUE(Exists("data/keep.png"));
    EXPECT_TRUE(Exists("data/Data.pak"));
}

TEST_F(StartUp, MembersUnderAnotherPasswordPrintErrors) {
    InstallPack(Build({Input("a.png", TextLike(3, 500)), Input("loading.png", TextLike(4, 500))}, false,
                      "other"));
    EXPECT_EQ(Printed([] { ExtractLoadingImage(); }), "Error!\n");
    EXPECT_EQ(Printed([] { ExtractPack(); }), "Error!\nError!\n");
    EXPECT_FALSE(Exists("data/a.png"));
    EXPECT_FALSE(Exists("data/loading.png"));
}

// Mend: a name that would leave the data directory is never written (nor
// deleted); a name too long for the target path neither.
TEST_F(StartUp, UnsafeNamesAreNeverWritten) {
    ASSERT_TRUE(WriteBytes("evil.png", Bytes{42}));
    std::string longest(122, 'n'), tooLong(123, 'n');
    Bytes archive = RawArchiveStart();
    for (const std::string& name : {std::string("../evil.png"), std::string("sub/x.png"),
                                    std::string("sub\\x.png"), std::string("C:x.png"), std::string(".."),
                                    std::string("/abs.png"), tooLong, longest})
        AppendRawMember(archive, StoredMember(name, {7}));
    InstallPack(archive);
    std::string expected;
    for (int i = 0; i < 7; i++) expected += WriteError;
    EXPECT_EQ(Printed([] { ExtractPack(); }), expected);
    EXPECT_EQ(ReadBytes("evil.png"), Bytes{42});
    EXPECT_FALSE(Exists("data/sub"));
    EXPECT_FALSE(Exists("/abs.png"));
    EXPECT_TRUE(Exists("data/" + longest));
    DeleteExtractedFiles();
    EXPECT_TRUE(Exists("evil.png"));
    EXPECT_FALSE(Exists("data/" + longest));
}

TEST_F(StartUp, UnwritableTargetIsReported) {
    EXPECT_EQ(Printed([] { WriteOutputFile("Data/missing/x.png", reinterpret_cast<const uint8_t*>("x"), 1); }),
              WriteError);
    EXPECT_EQ(Printed([] { WriteOutputFile("Data\\x.png", nullptr, 0); }), WriteError);
    // A write that fails after the open (a full disk) is reported too.
    EXPECT_EQ(Printed([] { WriteOutputFile("/dev/full", reinterpret_cast<const uint8_t*>("x"), 1); }),
              WriteError);
    EXPECT_EQ(Printed([] { WriteOutputFile("Data\\x.png", reinterpret_cast<const uint8_t*>("xy"), 2); }), "");
    EXPECT_EQ(ReadBytes("data/x.png"), (Bytes{'x', 'y'}));
}

// The member-by-member way: one ExtractMember per listed record.
std::string ExtractMemberByMember() {
    std::string printed;
    MemberRecord* head = nullptr;
    ListMembers(PackPath, &head);
    for (MemberRecord* r = head; r; r = r->Next) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        if (ExtractMember(&data, &size, r->Name, PackPath, PackPassword)) {
            WriteOutputFile(("Data\\" + std::string(r->Name)).c_str(), data, size);
            std::free(data);
        } else {
            printed += "Error!\n";
        }
    }
    FreeMemberList(head);
    return printed;
}

// Extraction in one walk gives the files and messages, in the same order,
// that extraction member by member gives: also when a solid stream is cut
// by a member of another version or a member fails its CRC.
TEST_F(StartUp, OneWalkMatchesMemberByMember) {
    std::vector<Bytes> contents;
    std::vector<std::string> names;
    for (int i = 0; i < 8; i++) {
        contents.push_back(i % 3 == 2 ? Wave(uint32_t(i), 800, 2, 2) : TextLike(uint32_t(i % 2), 4000 + i));
        names.push_back("m" + std::to_string(i) + ".png");
    }
    std::vector<PackInput> inputs;
    for (int i = 0; i < 8; i++) inputs.push_back(Input(names[i].c_str(), contents[i], i == 2 ? PackMethodAudio : PackMethodBest));
    for (int variant = 0; variant < 5; variant++) {
        bool solid = variant < 3;
        Bytes archive = Build(inputs, solid, PackPassword);
        if (variant == 1) archive[HeaderOf(archive, names[5]) + 24] = 29;   // version the reader refuses
        if (variant == 2) archive[HeaderOf(archive, names[3]) + 16] ^= 1;   // CRC mismatch
        if (variant == 3) archive[HeaderOf(archive, names[4]) + 24] = 36;
        if (variant == 4) archive[HeaderOf(archive, names[4]) + 3] |= 0x10;  // "continues" outside a solid archive
        InstallPack(archive);
        std::string walked = Printed([] { ExtractPack(); });
        std::vector<Bytes> walkedFiles;
        for (const std::string& n : names) walkedFiles.push_back(ReadBytes("data/" + n));
        DeleteExtractedFiles();
        std::string oneByOne = Printed([] { std::fputs(ExtractMemberByMember().c_str(), stdout); });
        EXPECT_EQ(walked, oneByOne) << "variant " << variant;
        for (size_t i = 0; i < names.size(); i++)
            EXPECT_EQ(walkedFiles[i], ReadBytes("data/" + names[i])) << "variant " << variant << " " << names[i];
        DeleteExtractedFiles();
        if (variant == 0) { EXPECT_EQ(walked, ""); }
        if (variant == 1) { EXPECT_EQ(walked, "Error!\nError!\nError!\n"); }  // 5 and all behind it
        if (variant == 2) { EXPECT_EQ(walked, "Error!\n"); }
        if (variant == 3) { EXPECT_EQ(walked, "Error!\n"); }                  // not solid: only 4
        if (variant == 4) { EXPECT_EQ(walked, ""); }
    }
}

TEST_F(StartUp, TwinNamesExtractTheFirstTwice) {
    Bytes archive = RawArchiveStart();
    AppendRawMember(archive, StoredMember("a.png", {1}));
    AppendRawMember(archive, StoredMember("A.PNG", {2}));
    InstallPack(archive);
    EXPECT_EQ(Printed([] { ExtractPack(); }), "");
    EXPECT_EQ(ReadBytes("data/a.png"), Bytes{1});
    EXPECT_EQ(ReadBytes("data/A.PNG"), Bytes{1});
}

}  // namespace

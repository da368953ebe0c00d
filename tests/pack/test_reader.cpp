// The archive walk: markers, headers, block types, names, versions and
// passwords, and the damaged layouts and fuzzer finds it must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "pack/crypt.h"
#include "pack/pack.h"
#include "pack/reader_context.h"
#include "pack_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string Save(const Bytes& archive) {
    std::string path = ScratchArchive("reader");
    EXPECT_TRUE(WriteBytes(path, archive));
    return path;
}

std::vector<std::string> Names(const Bytes& archive) {
    MemberRecord* head = nullptr;
    int32_t count = ListMembers(Save(archive).c_str(), &head);
    std::vector<std::string> names;
    for (MemberRecord* r = head; r; r = r->Next) names.push_back(r->Name);
    EXPECT_EQ(count, int32_t(names.size()));
    FreeMemberList(head);
    return names;
}

const Bytes Content = {'p', 'a', 'c', 'k', 'e', 'd', '!'};
using NameList = std::vector<std::string>;

// Only the RAR marker and the VorlaX one open an archive; failure gives a
// null buffer and size 0.
TEST(Listing, NoArchiveGivesNothing) {
    MemberRecord* head = nullptr;
    EXPECT_EQ(ListMembers("/nonexistent/Data.pak", &head), 0);
    EXPECT_EQ(head, nullptr);
    uint8_t* data = reinterpret_cast<uint8_t*>(1);
    uint32_t size = 5;
    EXPECT_EQ(ExtractMember(&data, &size, "x", "/nonexistent.rar", "lark.png"), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    Bytes cut = RawArchive();
    cut.resize(15);  // archive header cut short
    for (const Bytes& archive : {RawArchive(), Bytes{'R', 'a', 'r', '!'}, cut,
                                 RawArchive({StoredMember("a", Content)}, "NotRar!")})
        EXPECT_EQ(Names(archive), NameList{});
    EXPECT_EQ(Names(RawArchive({StoredMember("a", Content)}, "VorlaX!")), NameList{"a"});
}

// Comments and other blocks are stepped over, also one at the end shorter
// than a file header; the end-of-members block (0x77) ends the walk.
TEST(Listing, BlockTypesSteerTheWalk) {
    Bytes archive = RawArchive({}, "Rar!\x1a\x07", Bytes(40, 'c'));  // archive comment
    AppendRawBlock(archive, 0x75, {1, 2, 3}, Bytes(100, 'x'));         // comment block
    AppendRawMember(archive, StoredMember("one", Content));
    AppendRawBlock(archive, 0x7A, Bytes(9, 0));
    AppendRawMember(archive, StoredMember("two", Content));
    Bytes ended = archive;
    AppendRawBlock(archive, 0x7B, {});
    EXPECT_EQ(Names(archive), (NameList{"one", "two"}));
    AppendRawBlock(ended, 0x77, {});
    AppendRawMember(ended, StoredMember("three", Content));
    EXPECT_EQ(Names(ended), (NameList{"one", "two"}));
    Bytes out;
    EXPECT_FALSE(Extract(Save(ended), "three", &out));
}

TEST(Listing, DamagedHeadersEndTheSequence) {
    Bytes tiny = RawArchive({StoredMember("good", Content)});
    AppendRawBlock(tiny, 0x7A, {});
    tiny[tiny.size() - 6] = 5;  // header size below 7
    AppendRawMember(tiny, StoredMember("behind", Content));
    Bytes cut = RawArchive({StoredMember("good", Content), StoredMember("cut", Content)});
    cut.resize(cut.size() - Content.size() - 10);  // header ends inside the name
    RawMember liar = StoredMember("name", Content);
    liar.NameSize = 200;  // longer than the header that holds it
    for (const Bytes& archive : {tiny, cut, RawArchive({StoredMember("good", Content), liar, StoredMember("b", Content)})})
        EXPECT_EQ(Names(archive), NameList{"good"});
}

TEST(NameComparison, IgnoresCaseAndSeparators) {
    std::string path = Save(RawArchive({StoredMember("LOADING.PNG", Content), StoredMember("a/b.png", {1, 2})}));
    Bytes out;
    EXPECT_TRUE(Extract(path, "loading.png", &out));
    EXPECT_EQ(out, Content);
    for (const char* request : {"A\\B.PNG", "a_b.png", "A/b.PnG"}) {
        EXPECT_TRUE(Extract(path, request, &out)) << request;
        EXPECT_EQ(out, (Bytes{1, 2}));
    }
    for (const char* request : {"a.b.png", "loading.pn"}) EXPECT_FALSE(Extract(path, request, &out)) << request;
}

// Members that are listed but must not unpack: versions outside 13..20, a
// CRC that does not match, a size the packed bytes cannot produce. Mend:
// the one whose size is refused is refused before anything of it is read
// (the cipher is not even set up for it).
TEST(Extraction, RefusedMembersFailAndGiveNothing) {
    RawMember newer = StoredMember("v29", Content), older = StoredMember("v12", Content),
              oldest = StoredMember("v13", Content), badCrc = StoredMember("crc", Content),
              huge = StoredMember("huge", Content);
    newer.Version = 29;
    older.Version = 12;
    oldest.Version = 13;
    badCrc.Crc ^= 1;
    huge.UnpackedSize = 0xFFFFFFF0u;
    huge.Method = 0x33;
    Bytes archive = RawArchive({newer, older, oldest, badCrc});
    size_t hugeAt = archive.size();
    AppendRawMember(archive, huge);
    archive[hugeAt + 3] |= 0x04;  // encrypted
    std::string path = Save(archive);
    Bytes out;
    for (const char* name : {"v29", "v12", "crc", "huge"}) {
        PrepareDecryption("other");
        uint32_t key[4];
        std::memcpy(key, CryptKey, sizeof key);
        EXPECT_FALSE(Extract(path, name, &out, PackPassword)) << name;
        EXPECT_TRUE(out.empty());
        if (std::string(name) == "huge") {
            EXPECT_EQ(std::memcmp(key, CryptKey, sizeof key), 0);
        }
    }
    EXPECT_TRUE(Extract(path, "v13", &out));
}

// Mends: the packed data starts at block start + header size, so a header
// that carries more than the name (a comment, a salt) is read right; a
// name longer than 259 bytes is cut in the listing and in a request alike,
// and the walk goes on.
TEST(Extraction, HeadersLongerThanTheirFields) {
    RawMember extra = StoredMember("extra", Content);
    extra.ExtraHeader = Bytes(23, 0xEE);
    std::string longName(300, 'L'), cutName(259, 'L');
    Bytes archive = RawArchive({extra, StoredMember(longName, {9}), StoredMember("after", {7, 7})});
    EXPECT_EQ(Names(archive), (NameList{"extra", cutName, "after"}));
    std::string path = Save(archive);
    for (auto [name, content] : {std::pair{"extra", Content}, {cutName.c_str(), Bytes{9}},
                                 {longName.c_str(), Bytes{9}}, {"after", Bytes{7, 7}}}) {
        Bytes out;
        EXPECT_TRUE(Extract(path, name, &out)) << name;
        EXPECT_EQ(out, content) << name;
    }
}

bool PasswordZeroed() {
    return std::all_of(std::begin(Reader.Password), std::end(Reader.Password), [](char c) { return c == 0; });
}

// Mend: the password is zeroed on every way out of a reader call, the
// early ones included.
TEST(Extraction, PasswordIsZeroedOnEveryReturn) {
    std::string notArchive = ScratchArchive("text");
    ASSERT_TRUE(WriteBytes(notArchive, Bytes(40, 'x')));
    for (const std::string& path : {std::string("/nonexistent/x.rar"), notArchive, Save(RawArchive({StoredMember("a", Content)}))}) {
        Bytes out;
        Extract(path, "a", &out, "secret");
        EXPECT_TRUE(PasswordZeroed()) << path;
        ExtractEveryMember(path.c_str(), "secret", [](void*, const char*, const uint8_t*, uint32_t, int) {}, nullptr);
        EXPECT_TRUE(PasswordZeroed()) << path;
    }
    std::remove(notArchive.c_str());
}

long VirtualKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
    return 0;
}

// Mend: the walk's buffer grows as output arrives; a member whose header
// claims 512 MiB (which its 300 KB of packed data could in principle make)
// takes no more memory than its real output needs.
TEST(Extraction, WalkBufferGrowsWithTheOutput) {
    Bytes archive = Build({Input("liar", RandomBytes(5, 300000))});
    auto name = std::search(archive.begin(), archive.end(), std::begin("liar"), std::end("liar") - 1);
    uint32_t claim = 512u << 20;
    std::memcpy(&*(name - 32 + 11), &claim, 4);
    long before = VirtualKib(), during = 0;
    ExtractEveryMember(Save(archive).c_str(), nullptr, [](void* context, const char*, const uint8_t*, uint32_t, int) {
        *static_cast<long*>(context) = VirtualKib();
    }, &during);
    EXPECT_LT(during - before, 64L * 1024) << "KiB";
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

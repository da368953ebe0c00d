// The archive walk: markers, headers, block types, names, versions and
// passwords, and the damaged layouts and fuzzer finds it must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "pack/pack.h"
#include "pack/reader_context.h"
#include "pack_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using NameList = std::vector<std::string>;
const Bytes Content = {'p', 'a', 'c', 'k', 'e', 'd', '!'};

std::string Save(const Bytes& archive) {
    std::string path = ScratchArchive("reader");
    EXPECT_TRUE(WriteBytes(path, archive));
    return path;
}

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
        {"marker alone", {'R', 'a', 'r', '!'}, {}},
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

long VirtualKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
    return 0;
}

// Mend: the walk's buffer grows as output arrives, so a header claiming
// 512 MiB (which 300 KB of packed data could make) costs only the output.
TEST(Extraction, WalkBufferGrowsWithTheOutput) {
    Bytes liar = Build({Input("liar", RandomBytes(5, 300000))});
    auto name = std::search(liar.begin(), liar.end(), std::begin("liar"), std::end("liar") - 1);
    uint32_t claim = 512u << 20;
    std::memcpy(&*(name - 32 + 11), &claim, 4);
    long before = VirtualKib(), during = 0;
    ExtractEveryMember(Save(liar).c_str(), nullptr, [](void* context, const char*, const uint8_t*, uint32_t, int) {
        *static_cast<long*>(context) = VirtualKib();
    }, &during);
    EXPECT_LT(during - before, 64L * 1024) << "KiB";
}

// Mend: the password is zeroed on every way out of a reader call, the
// early ones included.
TEST(Extraction, PasswordIsZeroedOnEveryReturn) {
    std::string notArchive = ScratchArchive("text");
    ASSERT_TRUE(WriteBytes(notArchive, Bytes(40, 'x')));
    auto zeroed = [] { return std::all_of(std::begin(Reader.Password), std::end(Reader.Password),
                                          [](char c) { return c == 0; }); };
    for (const std::string& path : {std::string("/nonexistent/x.rar"), notArchive,
                                    Save(RawArchive({StoredMember("a", Content)}))}) {
        Bytes out;
        Extract(path, "a", &out, "secret");
        EXPECT_TRUE(zeroed()) << path;
        ExtractEveryMember(path.c_str(), "secret", [](void*, const char*, const uint8_t*, uint32_t, int) {}, nullptr);
        EXPECT_TRUE(zeroed()) << path;
    }
    std::remove(notArchive.c_str());
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

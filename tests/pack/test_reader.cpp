// The archive walk: markers, headers, block types, names, versions and
// passwords, and the damaged layouts the reader must survive.
#include <gtest/gtest.h>

#include <cstdio>

#include "pack/crypt.h"
#include "pack/pack.h"
#include "pack_test_util.h"

namespace {

std::string Save(const Bytes& archive, const char* tag = "reader") {
    std::string path = ScratchArchive(tag);
    EXPECT_TRUE(WriteBytes(path, archive));
    return path;
}

std::vector<std::string> Names(const std::string& path) {
    MemberRecord* head = nullptr;
    int32_t count = ListMembers(path.c_str(), &head);
    std::vector<std::string> names;
    for (MemberRecord* r = head; r; r = r->Next) names.push_back(r->Name);
    EXPECT_EQ(count, int32_t(names.size()));
    FreeMemberList(head);
    return names;
}

const Bytes Content = {'p', 'a', 'c', 'k', 'e', 'd', '!'};

TEST(Listing, RecordsHoldTheHeaderFields) {
    Bytes text = TextLike(1, 5000);
    Bytes archive = Build({Input("first.txt", text), Input("second.bin", Content, PackMethodStore)});
    std::string path = Save(archive);
    MemberRecord* head = nullptr;
    ASSERT_EQ(ListMembers(path.c_str(), &head), 2);
    EXPECT_STREQ(head->Name, "first.txt");
    EXPECT_EQ(head->NameSize, 9);
    EXPECT_EQ(head->UnpackedSize, 5000u);
    EXPECT_LT(head->PackedSize, 5000u);
    EXPECT_EQ(head->FileCrc, Crc32(text.data(), text.size()));
    EXPECT_EQ(head->UnpackVersion, 20);
    EXPECT_NE(head->Method, 0x30);
    MemberRecord* second = head->Next;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Method, 0x30);
    EXPECT_EQ(second->PackedSize, 7u);
    EXPECT_EQ(second->Next, nullptr);
    FreeMemberList(head);
    FreeMemberList(nullptr);
}

TEST(Listing, MissingEmptyAndForeignFilesGiveNothing) {
    MemberRecord* head = nullptr;
    EXPECT_EQ(ListMembers("/nonexistent/Data.pak", &head), 0);
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(Names(Save(RawArchiveStart())).size(), 0u);           // no members
    EXPECT_EQ(Names(Save(Bytes{'R', 'a', 'r', '!'})).size(), 0u);    // shorter than the marker
    Bytes cut = RawArchiveStart();
    cut.resize(15);
    EXPECT_EQ(Names(Save(cut)).size(), 0u);                          // archive header cut short
    Bytes foreign = RawArchiveStart(0, {}, "NotRar!");
    AppendRawMember(foreign, StoredMember("a", Content));
    EXPECT_EQ(Names(Save(foreign)).size(), 0u);                      // neither marker: no archive
    Bytes out;
    EXPECT_FALSE(Extract(Save(foreign), "a", &out));
}

TEST(Listing, VorlaxMarkerIsAccepted) {
    Bytes archive = RawArchiveStart(0, {}, "VorlaX!");
    AppendRawMember(archive, StoredMember("a.png", Content));
    std::string path = Save(archive);
    EXPECT_EQ(Names(path), std::vector<std::string>{"a.png"});
    Bytes out;
    EXPECT_TRUE(Extract(path, "a.png", &out));
    EXPECT_EQ(out, Content);
}

TEST(Listing, BlockTypesSteerTheWalk) {
    Bytes archive = RawArchiveStart(0, Bytes(40, 'c'));  // a comment inside the archive header
    AppendRawBlock(archive, 0x75, 0x8000, {1, 2, 3}, Bytes(100, 'x'));  // comment block with data
    AppendRawMember(archive, StoredMember("one", Content));
    AppendRawBlock(archive, 0x7A, 0, Bytes(9, 0));
    AppendRawMember(archive, StoredMember("two", Content));
    AppendRawBlock(archive, 0x77, 0, {});
    AppendRawMember(archive, StoredMember("three", Content));
    std::string path = Save(archive);
    EXPECT_EQ(Names(path), (std::vector<std::string>{"one", "two"}));
    Bytes out;
    EXPECT_TRUE(Extract(path, "two", &out));
    EXPECT_FALSE(Extract(path, "three", &out));  // behind the 0x77 block
}

TEST(Listing, EndOfArchiveBlockIsPassedOver) {
    Bytes archive = RawArchiveStart();
    AppendRawMember(archive, StoredMember("only", Content));
    AppendRawBlock(archive, 0x7B, 0x4000, {});  // 7 bytes, shorter than a file header
    EXPECT_EQ(Names(Save(archive)), std::vector<std::string>{"only"});
}

TEST(Listing, DamagedHeadersEndTheSequence) {
    Bytes archive = RawArchiveStart();
    AppendRawMember(archive, StoredMember("good", Content));
    Bytes tiny = archive;
    AppendRawBlock(tiny, 0x7A, 0, {});
    tiny[tiny.size() - 2] = 5;  // header size below 7
    AppendRawMember(tiny, StoredMember("behind", Content));
    EXPECT_EQ(Names(Save(tiny)), std::vector<std::string>{"good"});
    Bytes cut = archive;
    AppendRawMember(cut, StoredMember("cut", Content));
    cut.resize(cut.size() - Content.size() - 10);  // header ends inside the name
    EXPECT_EQ(Names(Save(cut)), std::vector<std::string>{"good"});
    Bytes liar = archive;
    RawMember m = StoredMember("name", Content);
    m.NameSizeField = 200;  // longer than the header that holds it
    AppendRawMember(liar, m);
    AppendRawMember(liar, StoredMember("behind", Content));
    EXPECT_EQ(Names(Save(liar)), std::vector<std::string>{"good"});
}

TEST(NameComparison, IgnoresCaseAndSeparators) {
    Bytes archive = RawArchiveStart();
    AppendRawMember(archive, StoredMember("LOADING.PNG", Content));
    AppendRawMember(archive, StoredMember("a/b.png", {1, 2}));
    std::string path = Save(archive);
    Bytes out;
    EXPECT_TRUE(Extract(path, "loading.png", &out));
    EXPECT_EQ(out, Content);
    for (const char* request : {"A\\B.PNG", "a_b.png", "A/b.PnG"}) {
        EXPECT_TRUE(Extract(path, request, &out)) << request;
        EXPECT_EQ(out, (Bytes{1, 2}));
    }
    EXPECT_FALSE(Extract(path, "a.b.png", &out));
    EXPECT_FALSE(Extract(path, "loading.pn", &out));
}

TEST(NameComparison, FirstOfTwinNamesWins) {
    Bytes archive = RawArchiveStart();
    AppendRawMember(archive, StoredMember("twin", {1}));
    AppendRawMember(archive, StoredMember("TWIN", {2}));
    Bytes out;
    EXPECT_TRUE(Extract(Save(archive), "Twin", &out));
    EXPECT_EQ(out, Bytes{1});
}

TEST(Extraction, UnpackVersionOutsideThirteenToTwentyFails) {
    Bytes archive = RawArchiveStart();
    RawMember newer = StoredMember("newer", Content);
    newer.Version = 29;
    RawMember older = StoredMember("older", Content);
    older.Version = 12;
    RawMember oldest = StoredMember("v13", Content);
    oldest.Version = 13;
    AppendRawMember(archive, newer);
    AppendRawMember(archive, older);
    AppendRawMember(archive, oldest);
    std::string path = Save(archive);
    EXPECT_EQ(Names(path).size(), 3u);  // listed all the same
    Bytes out;
    EXPECT_FALSE(Extract(path, "newer", &out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(Extract(path, "older", &out));
    EXPECT_TRUE(Extract(path, "v13", &out));
}

TEST(Extraction, CrcMismatchFails) {
    Bytes archive = RawArchiveStart();
    RawMember m = StoredMember("bad", Content);
    m.Crc ^= 1;
    AppendRawMember(archive, m);
    Bytes out;
    EXPECT_FALSE(Extract(Save(archive), "bad", &out));
}

TEST(Extraction, PasswordMustMatch) {
    Bytes text = TextLike(4, 3000);
    for (PackMethod method : {PackMethodStore, PackMethodNormal}) {
        std::string path = Save(Build({Input("secret.txt", text, method)}, false, "lark.png"));
        Bytes out;
        EXPECT_TRUE(Extract(path, "secret.txt", &out, "lark.png"));
        EXPECT_EQ(out, text);
        EXPECT_FALSE(Extract(path, "secret.txt", &out, "lark.pnG"));
        EXPECT_FALSE(Extract(path, "secret.txt", &out, nullptr));
        EXPECT_FALSE(Extract(path, "secret.txt", &out, ""));
    }
}

// Mend: the packed data starts at block start + header size, so a header
// that carries more than the name (a comment, a salt) is read right.
TEST(Extraction, HeaderFieldsAfterTheNameAreSkipped) {
    Bytes archive = RawArchiveStart();
    RawMember m = StoredMember("extra", Content);
    m.ExtraHeader = Bytes(23, 0xEE);
    AppendRawMember(archive, m);
    AppendRawMember(archive, StoredMember("next", {9}));
    std::string path = Save(archive);
    Bytes out;
    EXPECT_TRUE(Extract(path, "extra", &out));
    EXPECT_EQ(out, Content);
    EXPECT_TRUE(Extract(path, "next", &out));
}

// Mend: a name longer than 259 bytes is cut in the listing but the walk
// goes on to the members behind it.
TEST(Extraction, OverlongNameDoesNotDerailTheWalk) {
    Bytes archive = RawArchiveStart();
    std::string longName(300, 'L');
    AppendRawMember(archive, StoredMember(longName, Content));
    AppendRawMember(archive, StoredMember("after", {7, 7}));
    std::string path = Save(archive);
    std::vector<std::string> names = Names(path);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], std::string(259, 'L'));
    Bytes out;
    EXPECT_TRUE(Extract(path, "after", &out));
    EXPECT_EQ(out, (Bytes{7, 7}));
    EXPECT_TRUE(Extract(path, std::string(259, 'L').c_str(), &out));
}

// Mend: a stored encrypted member is read over its whole packed size, so
// sizes that are not a multiple of 16 extract.
TEST(Extraction, EncryptedStoredMembersOfAnySize) {
    for (size_t size : {0, 1, 15, 16, 17, 31, 100}) {
        Bytes content = RandomBytes(uint32_t(size), size);
        std::string path = Save(Build({Input("s", content, PackMethodStore)}, false, "lark.png"));
        Bytes out;
        EXPECT_TRUE(Extract(path, "s", &out, "lark.png")) << size;
        EXPECT_EQ(out, content);
    }
}

TEST(Extraction, ZeroSizeMembers) {
    Bytes archive = Build({Input("empty.txt", {}, PackMethodNormal), Input("empty.raw", {}, PackMethodStore)});
    std::string path = Save(archive);
    for (const char* name : {"empty.txt", "empty.raw"}) {
        uint8_t* data = nullptr;
        uint32_t size = 99;
        EXPECT_NE(ExtractMember(&data, &size, name, path.c_str(), nullptr), 0) << name;
        EXPECT_EQ(size, 0u);
        std::free(data);
    }
}

TEST(Extraction, FailureLeavesNullAndZero) {
    uint8_t* data = reinterpret_cast<uint8_t*>(1);
    uint32_t size = 5;
    EXPECT_EQ(ExtractMember(&data, &size, "x", "/nonexistent.rar", "lark.png"), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(Extraction, SolidMembersNeedTheirPredecessors) {
    Bytes a = TextLike(8, 30000), b = TextLike(8, 30000), c = TextLike(9, 20000);
    Bytes archive = Build({Input("a", a), Input("b", b), Input("c", c)}, true, "lark.png");
    std::string path = Save(archive);
    Bytes out;
    EXPECT_TRUE(Extract(path, "c", &out, "lark.png"));
    EXPECT_EQ(out, c);
    EXPECT_TRUE(Extract(path, "b", &out, "lark.png"));
    EXPECT_EQ(out, b);
}

// Every prefix of a valid archive, and every archive with one byte
// flipped, ends in a clean failure or a correct member: never a crash.
TEST(Extraction, TruncatedAndCorruptArchivesFailCleanly) {
    Bytes text = TextLike(12, 4000);
    Bytes wave = Wave(12, 1000, 2, 2);
    Bytes archive = Build({Input("t", text), Input("w", wave, PackMethodAudio, 4)}, true, "lark.png");
    std::string path = ScratchArchive("damaged");
    for (size_t cut = 0; cut < archive.size(); cut += 37) {
        ASSERT_TRUE(WriteBytes(path, Bytes(archive.begin(), archive.begin() + cut)));
        Bytes out;
        if (Extract(path, "w", &out, "lark.png")) { EXPECT_EQ(out, wave); }
    }
    for (size_t at = 20; at < archive.size(); at += 23) {
        Bytes flipped = archive;
        flipped[at] ^= 0x5A;
        ASSERT_TRUE(WriteBytes(path, flipped));
        Bytes out;
        if (Extract(path, "t", &out, "lark.png")) { EXPECT_EQ(out, text); }
        if (Extract(path, "w", &out, "lark.png")) { EXPECT_EQ(out, wave); }
    }
    std::remove(path.c_str());
}

TEST(Extraction, SizeThePackedBytesCannotProduceIsRefused) {
    Bytes archive = RawArchiveStart();
    RawMember m = StoredMember("huge", Content);
    m.UnpackedSize = 0xFFFFFFF0u;
    m.Method = 0x33;
    AppendRawMember(archive, m);
    Bytes out;
    EXPECT_FALSE(Extract(Save(archive), "huge", &out));
}

}  // namespace

// The issue's pack: data/Data.pak lists the expected members, each unpacks
// under the pack password to exactly its generated source, and none of them
// also lies loose in data/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "issue_files.h"
#include "pack/pack.h"

namespace {

std::string PackFile() { return IssueDataDir() + "/Data.pak"; }

// Where the generator left a member before it was packed.
std::string SourceOf(const std::string& name) {
    const std::string art = ArtStagingDir() + "/" + name;
    return FileExists(art) ? art : SoundStagingDir() + "/" + name;
}

struct Listed {
    std::string name;
    uint8_t unpackVersion, method;
};

std::vector<Listed> ListedMembers() {
    std::vector<Listed> listed;
    MemberRecord* head = nullptr;
    ListMembers(PackFile().c_str(), &head);
    for (const MemberRecord* m = head; m; m = m->Next) listed.push_back({m->Name, m->UnpackVersion, m->Method});
    FreeMemberList(head);
    return listed;
}

TEST(IssuePack, ListsEveryPackedMemberInTheTwoPointZeroFormat) {
    std::set<std::string> names;
    for (const Listed& m : ListedMembers()) {
        names.insert(m.name);
        EXPECT_EQ(m.unpackVersion, 20) << m.name;
        EXPECT_NE(m.method, 0x30) << m.name << " is stored, not compressed";
    }
    for (const char* member : PackedMembers) EXPECT_EQ(names.count(member), 1u) << member;
    EXPECT_EQ(names.size(), std::size(PackedMembers));
}

TEST(IssuePack, EveryMemberUnpacksWithThePasswordToItsSource) {
    for (const char* member : PackedMembers) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        ASSERT_TRUE(ExtractMember(&data, &size, member, PackFile().c_str(), PackPassword)) << member;
        std::vector<uint8_t> source;
        ASSERT_TRUE(ReadWholeFile(SourceOf(member), source)) << member;
        EXPECT_TRUE(source == std::vector<uint8_t>(data, data + size)) << member << " differs from its source";
        std::free(data);
    }
}

TEST(IssuePack, MembersAreEncrypted) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(ExtractMember(&data, &size, "loading.png", PackFile().c_str(), "wrong password"));
    EXPECT_EQ(data, nullptr);
    EXPECT_FALSE(ExtractMember(&data, &size, "loading.png", PackFile().c_str(), nullptr));
    std::free(data);
}

TEST(IssuePack, PackedMembersDoNotAlsoLieLoose) {
    for (const char* member : PackedMembers)
        EXPECT_FALSE(FileExists(IssueDataDir() + "/" + member)) << member << " lies loose in data/";
}

TEST(IssuePack, TheModulesLieLooseInData) {
    for (const char* module : {"01-orrin-tb15b.mo3", "02-Zanthe.mo3", "03-orn-tb15.mo3", "04-fourth place.mo3"})
        EXPECT_TRUE(FileExists(IssueDataDir() + "/" + module)) << module;
}

}  // namespace

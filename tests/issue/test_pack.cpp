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

// Listed in the 2.0 format and compressed, not stored: the program's
// unpacker knows no other.
TEST(IssuePack, ListsEveryPackedMemberCompressed) {
    std::set<std::string> names;
    MemberRecord* head = nullptr;
    ListMembers(PackFile().c_str(), &head);
    for (const MemberRecord* m = head; m; m = m->Next) {
        names.insert(m->Name);
        EXPECT_EQ(m->UnpackVersion, 20) << m->Name;
        EXPECT_NE(m->Method, 0x30) << m->Name << " is stored, not compressed";
    }
    FreeMemberList(head);
    EXPECT_EQ(names, std::set<std::string>(std::begin(PackedMembers), std::end(PackedMembers)));
}

TEST(IssuePack, EveryMemberUnpacksWithThePasswordToItsSource) {
    for (const char* member : PackedMembers) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        ASSERT_TRUE(ExtractMember(&data, &size, member, PackFile().c_str(), PackPassword)) << member;
        std::vector<uint8_t> source;
        const std::string art = ArtStagingDir() + "/" + member;
        ASSERT_TRUE(ReadWholeFile(FileExists(art) ? art : SoundStagingDir() + "/" + member, source)) << member;
        EXPECT_TRUE(source == std::vector<uint8_t>(data, data + size)) << member << " differs from its source";
        std::free(data);
    }
}

TEST(IssuePack, PackedMembersAreNotLooseButTheModulesAre) {
    for (const char* member : PackedMembers) EXPECT_FALSE(FileExists(IssueDataDir() + "/" + member)) << member;
    for (const char* module : {"01-orrin-tb15b.mo3", "02-Zanthe.mo3", "03-orn-tb15.mo3", "04-fourth place.mo3"})
        EXPECT_TRUE(FileExists(IssueDataDir() + "/" + module)) << module;
}

}  // namespace

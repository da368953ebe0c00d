// Start-up extraction: the pack's members become loose files in the data
// directory for as long as the resources load, then go again.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "pack/pack.h"
#include "platform/paths.h"

static constexpr char TargetPrefix[] = "Data\\";
static constexpr size_t TargetPathBytes = 128;
static constexpr char ErrorMessage[] = "Error!\n";
static constexpr char WriteErrorMessage[] = "  o Error creating binary output file!\n\n";

int IsSafeMemberName(const char* name) {
    if (!name || !name[0] || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return 0;
    const char* packName = std::strrchr(PackPath, '\\') + 1;
    return std::strpbrk(name, "/\\:") == nullptr && strcasecmp(name, packName) != 0;
}

// "Data\" + name in out; false for a name that must not become a file there
// or that makes too long a path.
static bool BuildTargetPath(const char* name, char (&out)[TargetPathBytes]) {
    if (!IsSafeMemberName(name) || std::strlen(name) + sizeof TargetPrefix > TargetPathBytes) return false;
    std::snprintf(out, sizeof out, "%s%s", TargetPrefix, name);
    return true;
}

void WriteOutputFile(const char* path, const uint8_t* data, uint32_t size) {
    if (!path || !data || !WriteNewDataFile(path, data, size)) std::fputs(WriteErrorMessage, stdout);
}

static void WriteMemberFile(const char* name, const uint8_t* data, uint32_t size) {
    char target[TargetPathBytes];
    if (BuildTargetPath(name, target)) {
        WriteOutputFile(target, data, size);
    } else {
        std::fputs(WriteErrorMessage, stdout);
    }
}

static void ExtractOne(const char* name) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (ExtractMember(&data, &size, name, PackPath, PackPassword)) {
        WriteMemberFile(name, data, size);
        std::free(data);
    } else {
        std::fputs(ErrorMessage, stdout);
    }
}

static void WriteExtractedMember(void*, const char* name, const uint8_t* data, uint32_t size,
                                 int ok) {
    if (ok) {
        WriteMemberFile(name, data, size);
    } else {
        std::fputs(ErrorMessage, stdout);
    }
}

void ExtractLoadingImage() {
    MemberRecord* head = nullptr;
    if (ListMembers(PackPath, &head) == 0) return;
    ExtractOne(LoadingImageName);
    FreeMemberList(head);
}

void ExtractPack() {
    // One walk unpacks a solid pack once instead of once per member.
    ExtractEveryMember(PackPath, PackPassword, WriteExtractedMember, nullptr, MaxStartupMemberBytes);
}

void DeleteExtractedFiles() {
    MemberRecord* head = nullptr;
    ListMembers(PackPath, &head);
    char target[TargetPathBytes];
    for (MemberRecord* record = head; record; record = record->Next)
        if (BuildTargetPath(record->Name, target)) RemoveDataFile(target);
    FreeMemberList(head);
}

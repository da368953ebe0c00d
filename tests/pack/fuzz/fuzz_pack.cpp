// libFuzzer target: any byte string as a pack archive, listed, unpacked
// member by member (with and without the pack password) and in one walk.
// Built by tools/tbpack/fuzz.sh with address and undefined-behaviour
// sanitizers; the test suite replays the corpus through the same entry.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "pack/pack.h"

static void Discard(void*, const char*, const uint8_t*, uint32_t, int) {}

static const char* ScratchPath() {
    static char path[64];
    if (!path[0]) std::snprintf(path, sizeof path, "/tmp/tb_fuzz_pack_%d.rar", int(getpid()));
    return path;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = ScratchPath();
    FILE* file = std::fopen(path, "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    MemberRecord* head = nullptr;
    ListMembers(path, &head);
    // The first members with the password, the first also without it; the
    // walk below reaches all of them.
    int tried = 0;
    for (MemberRecord* r = head; r && tried < 3; r = r->Next, tried++) {
        uint8_t* out = nullptr;
        uint32_t outSize = 0;
        ExtractMember(&out, &outSize, r->Name, path, tried == 0 ? nullptr : PackPassword);
        std::free(out);
    }
    FreeMemberList(head);
    ExtractEveryMember(path, PackPassword, Discard, nullptr);
    return 0;
}

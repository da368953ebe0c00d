// libFuzzer target: any byte string as a pack archive, listed, unpacked
// member by member (with and without the pack password) and in one walk.
// Built by tools/tbpack/fuzz.sh pack with address and undefined-behaviour
// sanitizers; the test suite replays the corpus through the same entry.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pack/pack.h"
#include "tests/support/fuzz_input.h"

static void Discard(void*, const char*, const uint8_t*, uint32_t, int) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string scratch = WriteFuzzInput("_pack.rar", data, size);
    if (scratch.empty()) return 0;
    const char* path = scratch.c_str();
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

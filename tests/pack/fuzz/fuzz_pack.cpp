// libFuzzer target (tools/tbpack/fuzz.sh pack): any byte string as a pack,
// listed, unpacked member by member and in one walk; the suite replays the
// corpus through it.
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
    // The first members with the password, the first without; the walk reaches all.
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

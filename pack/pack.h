// The data pack: reader of the RAR 2.0 pack archive and the start-up
// extraction of its members into the data directory.
//
// Every reader call opens the archive, walks it from its first block and
// closes it again; nothing stays open between calls, and calls must not nest
// (the reader keeps its working state in one module-level context).
#pragma once
#include <cstdint>

// One file header of the archive, in archive order.
struct MemberRecord {
    char* Name;            // NUL-terminated, owned by the record
    uint16_t NameSize;     // after the 259-byte cut
    uint32_t PackedSize;
    uint32_t UnpackedSize;
    uint8_t HostSystem;
    uint32_t FileCrc;
    uint32_t FileTime;     // DOS date and time
    uint8_t UnpackVersion;
    uint8_t Method;        // 0x30 = stored
    uint32_t FileAttributes;
    MemberRecord* Next;
};

inline constexpr char PackPath[] = "Data\\Data.pak";
inline constexpr char PackPassword[] = "lark.png";
inline constexpr char LoadingImageName[] = "loading.png";

// Builds the member listing at *head (which the caller sets to null first)
// and returns the number of records; 0 and a null head when the archive
// can't be opened, is no archive or has no member.
int32_t ListMembers(const char* path, MemberRecord** head);

// The largest member start-up unpacks. The pack holds pictures and the
// intro stream: the intro ends once the stream has played 10,700,000 bytes
// of PCM (about 61 s of 44.1 kHz 16-bit stereo), under 2.5 MB as MP3 even at
// the format's top rate of 320 kbit/s; a picture is drawn at most over the
// 1024 x 768 layout, and one of 2048 x 2048 (twice that each way) is under
// 17 MB as a PNG even with no compression at all. 32 MiB holds either with
// room to spare; a member that claims more is no part of an issue, and
// refusing it before a byte is decoded keeps a hostile header from costing
// memory or time.
inline constexpr uint32_t MaxStartupMemberBytes = 32u << 20;

// Unpacks the first member whose name matches name (letter case and the
// separators "\" and "/" do not count; name is cut to 259 bytes). On success
// returns non-zero with *data a malloc'ed buffer of the whole member (the
// caller frees it) and *size its length; on failure returns 0 with *data
// null and *size 0. password may be null or empty for members that are not
// encrypted. A member above MaxStartupMemberBytes fails without being
// decoded.
int ExtractMember(uint8_t** data, uint32_t* size, const char* name, const char* path,
                  const char* password);

// Releases every record and its name; a null head does nothing.
void FreeMemberList(MemberRecord* head);

// Called once per member, in archive order, by ExtractEveryMember: data is
// the unpacked member when ok is non-zero (the callee does not free it).
typedef void (*MemberSink)(void* context, const char* name, const uint8_t* data,
                           uint32_t size, int ok);

// Unpacks every listed member and hands each to sink, in one walk of the
// archive; the outcome for each member is the one ExtractMember would give
// its name (a member whose name an earlier one shares gets that one's
// result). A member above sizeLimit fails without its bytes being kept
// (decoded only where a solid stream needs it for the members behind); the
// buffer of a member grows as its bytes arrive, whatever its header claims.
// Returns the number of members handed over.
int32_t ExtractEveryMember(const char* path, const char* password, MemberSink sink,
                           void* context, uint32_t sizeLimit = UINT32_MAX);

// Start-up operations on the pack "Data\Data.pak" with its password.
void ExtractLoadingImage();   // "loading.png" only
void ExtractPack();           // every member to "Data\" + name
void DeleteExtractedFiles();  // removes "Data\" + name for every member

// Writes size bytes to path (a data-directory path) as a new regular file,
// never through a link (see WriteNewDataFile); prints
// "  o Error creating binary output file!\n\n" when that fails.
void WriteOutputFile(const char* path, const uint8_t* data, uint32_t size);

// Whether name may be written as a file directly inside a directory: not
// empty, no separator, no "." or "..", no drive prefix, and not the pack's
// own name "Data.pak" in any letter case (writing it would destroy the pack).
// (Start-up extraction also refuses names too long for its 128-byte target
// path.)
int IsSafeMemberName(const char* name);

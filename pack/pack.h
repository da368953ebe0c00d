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

// Unpacks the first member whose name matches name (letter case and the
// separators "\" and "/" do not count). On success returns non-zero with
// *data a malloc'ed buffer of the whole member (the caller frees it) and
// *size its length; on failure returns 0 with *data null and *size 0.
// password may be null or empty for members that are not encrypted.
int ExtractMember(uint8_t** data, uint32_t* size, const char* name, const char* path,
                  const char* password);

// Releases every record and its name; a null head does nothing.
void FreeMemberList(MemberRecord* head);

// Called once per member, in archive order, by ExtractEveryMember: data is
// the unpacked member when ok is non-zero (the callee does not free it).
typedef void (*MemberSink)(void* context, const char* name, const uint8_t* data,
                           uint32_t size, int ok);

// Unpacks every listed member and hands each to sink; the outcome for each
// member is the one ExtractMember would give its name. One walk of the
// archive does it, unless two names compare equal: then it goes member by
// member. Returns the number of members handed over.
int32_t ExtractEveryMember(const char* path, const char* password, MemberSink sink,
                           void* context);

// Start-up operations on the pack "Data\Data.pak" with its password.
void ExtractLoadingImage();   // "loading.png" only
void ExtractPack();           // every member to "Data\" + name
void DeleteExtractedFiles();  // removes "Data\" + name for every member

// Writes size bytes to path (a data-directory path); prints
// "  o Error creating binary output file!\n\n" when that fails.
void WriteOutputFile(const char* path, const uint8_t* data, uint32_t size);

// Whether name may be written as a file directly inside the data directory:
// not empty, no separator, no "." or "..", no drive prefix. (Start-up
// extraction also refuses names too long for its 128-byte target path.)
int IsSafeMemberName(const char* name);

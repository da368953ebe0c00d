// The reader's working state, shared by the archive reader (reader.cpp),
// the decompressor (unpack.cpp) and the packed-data reader. One instance:
// reader calls must not overlap or nest.
#pragma once
#include <cstdint>
#include <cstdio>

inline constexpr uint16_t ArchiveSolid = 0x0008;   // archive header flag
inline constexpr uint16_t BlockHasData = 0x8000;   // packed size bytes follow the header
inline constexpr uint16_t MemberEncrypted = 0x0004;
inline constexpr uint16_t MemberContinuesSolid = 0x0010;
inline constexpr uint8_t BlockFileHeader = 0x74;
inline constexpr uint8_t BlockEndMembers = 0x77;
inline constexpr uint8_t MethodStored = 0x30;
inline constexpr int MaxNameBytes = 259;
inline constexpr int FileHeaderBytes = 32;

// The fixed part of a block header, as laid out in a file header.
struct FileHeader {
    uint16_t HeadCrc;
    uint8_t BlockType;
    uint16_t Flags;
    uint16_t HeadSize;
    uint32_t PackedSize;
    uint32_t UnpackedSize;
    uint8_t HostSystem;
    uint32_t FileCrc;
    uint32_t FileTime;
    uint8_t UnpackVersion;
    uint8_t Method;
    uint16_t NameSize;
    uint32_t FileAttributes;
};

struct ReaderContext {
    FILE* Archive;
    long ArchiveSize;
    char ArchivePath[MaxNameBytes + 1];
    char RequestedName[MaxNameBytes + 1];
    char Password[255];
    uint16_t ArchiveFlags;
    FileHeader Header;
    char CurrentName[MaxNameBytes + 1];
    uint8_t BlockType;
    long BlockStart;
    long NextBlock;
    uint32_t RemainingPacked;
    uint8_t EncryptionVersion;
    int MemberFound;
    uint8_t* WorkMemory;
};

extern ReaderContext Reader;

// The requested member's result buffer (null while another member is only
// decoded to keep a solid stream's state), the bytes written into it, and
// the unpacked size of the current member.
extern uint8_t* OutputBuffer;
extern uint32_t OutputPos;
extern uint32_t OutputSize;

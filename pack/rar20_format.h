// The RAR 2.0 archive layout, as both the reader and the writer see it: the
// marker, the block types, flags and methods, and the fixed part of a file
// header. All multi-byte fields are little-endian.
#pragma once
#include <cstdint>

inline constexpr uint8_t RarMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
inline constexpr int MarkerBytes = 7;
inline constexpr int ArchiveHeaderBytes = 13;
inline constexpr int MinBlockHeader = 7;  // CRC, type, flags, size

inline constexpr uint8_t BlockArchiveHeader = 0x73;
inline constexpr uint8_t BlockFileHeader = 0x74;
inline constexpr uint8_t BlockEndMembers = 0x77;
inline constexpr uint8_t BlockEndArchive = 0x7B;

inline constexpr uint16_t ArchiveSolid = 0x0008;   // archive header flag
inline constexpr uint16_t BlockHasData = 0x8000;   // packed size bytes follow the header
inline constexpr uint16_t MemberEncrypted = 0x0004;
inline constexpr uint16_t MemberContinuesSolid = 0x0010;
inline constexpr uint8_t MethodStored = 0x30;
inline constexpr uint8_t MethodNormal = 0x33;
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

// The reader's working state, shared by the archive reader (reader.cpp),
// the decompressor (unpack.cpp) and the packed-data reader. One instance:
// reader calls must not overlap or nest.
#pragma once
#include <cstdint>
#include <cstdio>

#include "pack/rar20_format.h"

struct ReaderContext {
    FILE* Archive;
    long ArchiveSize;
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

// Hands count decoded bytes of the current member to the reader, which
// keeps them only for the requested member and only up to OutputSize.
void TakeOutput(const uint8_t* bytes, uint32_t count);

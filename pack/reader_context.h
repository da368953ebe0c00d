// The reader's working state, shared by the archive reader (reader.cpp)
// and its packed-data reader. One instance: reader calls must not overlap
// or nest.
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
    uint8_t* WorkMemory;
};

extern ReaderContext Reader;

// The requested member's result buffer (null while another member is only
// decoded to keep a solid stream's state) and the bytes written into it.
extern uint8_t* OutputBuffer;
extern uint32_t OutputPos;

// The pack writer: makes RAR 2.0 archives (unpack version 20) that the
// reader of pack.h accepts, with stored members, members compressed with the
// 2.0 method (LZ77 over a 1 MiB window plus Huffman tables) or its audio
// mode, optionally solid and encrypted with the 2.0 cipher.
//
// This is a tool-side library: it allocates freely and is never called by
// the magazine itself.
#pragma once
#include <cstdint>
#include <vector>

enum PackMethod : uint8_t {
    PackMethodStore,   // bytes as they are
    PackMethodNormal,  // LZ77 + Huffman
    PackMethodAudio,   // multimedia blocks, channels from AudioChannels
    PackMethodBest,    // the smaller of normal and audio (and stored)
};

struct PackInput {
    const char* Name;       // stored as given; the tool passes base names
    const uint8_t* Data;
    uint32_t Size;
    PackMethod Method;
    uint8_t AudioChannels;  // 1..4, or 0 to let the writer choose
    uint32_t FileTime;      // DOS date and time
};

struct PackOptions {
    int Solid;              // one compressed stream across the members
    const char* Password;   // null or "" for no encryption
    int MatchEffort;        // hash-chain steps per position; 0 = default
};

// Builds the whole archive in out (cleared first). Returns 0 when a name is
// empty or longer than 259 bytes, there are more than 65535 members, or the
// members add up to 4 GiB or more.
int BuildPack(const PackInput* members, int32_t count, const PackOptions* options,
              std::vector<uint8_t>* out);

// BuildPack, then writes the archive to path; returns 0 on any failure.
int WritePack(const char* path, const PackInput* members, int32_t count,
              const PackOptions* options);

// The packed bytes of one member as the 2.0 method would give them on its
// own (no solid history, no encryption); used to choose between methods and
// by the benchmarks. Returns the packed size.
uint32_t CompressMember(const uint8_t* data, uint32_t size, PackMethod method,
                        uint8_t audioChannels, int matchEffort, std::vector<uint8_t>* out);

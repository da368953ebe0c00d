// Archives for the pack and issue tests and the pack benchmark: made by the
// writer, or laid out block by block for what the writer never makes
// (comments, odd headers, old versions, hostile names).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pack/writer.h"

using Bytes = std::vector<uint8_t>;

Bytes TextLike(uint32_t seed, size_t size);     // words from a small vocabulary
Bytes RandomBytes(uint32_t seed, size_t size);  // incompressible
Bytes Wave(uint32_t seed, size_t frames, int channels, int bytesPerSample);

bool WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

// A writer input naming bytes that outlive it.
PackInput Input(const char* name, const Bytes& bytes, PackMethod method = PackMethodNormal,
                uint8_t channels = 0);
Bytes Build(const std::vector<PackInput>& members, bool solid = false, const char* password = nullptr);

struct RawMember {
    std::string Name;
    Bytes Packed;
    uint32_t UnpackedSize;
    uint32_t Crc;
    uint8_t Version = 20;
    uint8_t Method = 0x30;
    int NameSize = -1;       // -1: the name's length
    Bytes ExtraHeader = {};  // between the name and the packed data
};
RawMember StoredMember(const std::string& name, const Bytes& content);
void AppendRawMember(Bytes& archive, const RawMember& member);
// The archive header (headerExtra is an archive comment), then the members.
Bytes RawArchive(std::initializer_list<RawMember> members = {}, const char* marker = "Rar!\x1a\x07",
                 const Bytes& headerExtra = {});
// A block of any type with a data size: head, header, data.
void AppendRawBlock(Bytes& archive, uint8_t type, const Bytes& header, const Bytes& data = {});

// ExtractMember into out; out is empty on failure.
bool Extract(const std::string& path, const char* name, Bytes* out, const char* password = nullptr);
// A scratch archive path of this test process.
std::string ScratchArchive(const char* tag);

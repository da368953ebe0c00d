// Archives for the pack tests: made by the writer, or laid out block by
// block for the cases the writer never makes (comments, odd headers, old
// versions, hostile names).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pack/writer.h"

using Bytes = std::vector<uint8_t>;

Bytes TextLike(uint32_t seed, size_t size);        // words from a small vocabulary
Bytes RandomBytes(uint32_t seed, size_t size);     // incompressible
Bytes Deflated(uint32_t seed, size_t size);        // zlib output: compressed already
Bytes Wave(uint32_t seed, size_t frames, int channels, int bytesPerSample);

bool WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

// A writer input naming bytes that outlive it.
PackInput Input(const char* name, const Bytes& bytes, PackMethod method = PackMethodNormal,
                uint8_t channels = 0);
Bytes Build(const std::vector<PackInput>& members, bool solid = false,
            const char* password = nullptr);

// Hand-made archives.
struct RawMember {
    std::string Name;
    Bytes Packed;
    uint32_t UnpackedSize;
    uint32_t Crc;
    uint8_t Version = 20;
    uint8_t Method = 0x30;
    uint16_t Flags = 0x8000;
    uint16_t NameSizeField = 0xFFFF;  // 0xFFFF: the name's length
    Bytes ExtraHeader;                // bytes between the name and the packed data
};
Bytes RawArchiveStart(uint16_t archiveFlags = 0, const Bytes& archiveHeaderExtra = {},
                      const char* marker = "Rar!\x1a\x07");
void AppendRawMember(Bytes& archive, const RawMember& member);
void AppendRawBlock(Bytes& archive, uint8_t type, uint16_t flags, const Bytes& body,
                    const Bytes& data = {});
RawMember StoredMember(const std::string& name, const Bytes& content);

// Extracts name from the archive file at path; empty optional as ok=false.
bool Extract(const std::string& path, const char* name, Bytes* out,
             const char* password = nullptr);
// The scratch archive path of this test process.
std::string ScratchArchive(const char* tag);

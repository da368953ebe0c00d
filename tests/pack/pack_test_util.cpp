#include "pack_test_util.h"

#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "pack/crypt.h"
#include "pack/pack.h"

Bytes TextLike(uint32_t seed, size_t size) {
    static const char* const Words[] = {"the",   "charts", "amiga",  "demo",   "scene", "issue",
                                        "music", "party",  "group",  "number", "one",   "and",
                                        "of",    "in",     "new",    "best",   "intro", "crew"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const char* word = Words[rng() % (sizeof Words / sizeof *Words)];
        out.insert(out.end(), word, word + std::strlen(word));
        out.push_back(rng() % 11 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

Bytes RandomBytes(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (uint8_t& b : out) b = uint8_t(rng());
    return out;
}

Bytes Deflated(uint32_t seed, size_t size) {
    Bytes text = TextLike(seed, size * 4);
    uLongf packedSize = compressBound(uLong(text.size()));
    Bytes packed(packedSize);
    compress2(packed.data(), &packedSize, text.data(), uLong(text.size()), 9);
    packed.resize(packedSize < size ? packedSize : size);
    return packed;
}

Bytes Wave(uint32_t seed, size_t frames, int channels, int bytesPerSample) {
    std::mt19937 rng(seed);
    Bytes out;
    for (size_t f = 0; f < frames; f++) {
        for (int c = 0; c < channels; c++) {
            double t = double(f) / (40.0 + 13 * c);
            double v = std::sin(t) * 0.6 + std::sin(t * 3.1 + c) * 0.2 + (int(rng() % 64) - 32) / 2000.0;
            if (bytesPerSample == 1) {
                out.push_back(uint8_t(128 + int(v * 120)));
            } else {
                int16_t s = int16_t(v * 30000);
                out.push_back(uint8_t(s));
                out.push_back(uint8_t(uint16_t(s) >> 8));
            }
        }
    }
    return out;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

Bytes ReadBytes(const std::string& path) {
    Bytes out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return out;
    int c;
    while ((c = std::fgetc(file)) != EOF) out.push_back(uint8_t(c));
    std::fclose(file);
    return out;
}

PackInput Input(const char* name, const Bytes& bytes, PackMethod method, uint8_t channels) {
    return {name, bytes.data(), uint32_t(bytes.size()), method, channels, 0};
}

Bytes Build(const std::vector<PackInput>& members, bool solid, const char* password) {
    PackOptions options = {solid, password, 0};
    Bytes out;
    if (!BuildPack(members.data(), int32_t(members.size()), &options, &out)) out.clear();
    return out;
}

static void Put16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

static void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

Bytes RawArchiveStart(uint16_t archiveFlags, const Bytes& archiveHeaderExtra, const char* marker) {
    Bytes out(marker, marker + 7);
    if (std::strlen(marker) == 6) out[6] = 0;
    Put16(out, 0);
    out.push_back(0x73);
    Put16(out, archiveFlags);
    Put16(out, uint32_t(13 + archiveHeaderExtra.size()));
    Put16(out, 0);
    Put32(out, 0);
    out.insert(out.end(), archiveHeaderExtra.begin(), archiveHeaderExtra.end());
    return out;
}

void AppendRawMember(Bytes& archive, const RawMember& m) {
    uint32_t nameSize = m.NameSizeField == 0xFFFF ? uint32_t(m.Name.size()) : m.NameSizeField;
    Put16(archive, 0);
    archive.push_back(0x74);
    Put16(archive, m.Flags);
    Put16(archive, uint32_t(32 + m.Name.size() + m.ExtraHeader.size()));
    Put32(archive, uint32_t(m.Packed.size()));
    Put32(archive, m.UnpackedSize);
    archive.push_back(2);
    Put32(archive, m.Crc);
    Put32(archive, 0);
    archive.push_back(m.Version);
    archive.push_back(m.Method);
    Put16(archive, nameSize);
    Put32(archive, 0x20);
    archive.insert(archive.end(), m.Name.begin(), m.Name.end());
    archive.insert(archive.end(), m.ExtraHeader.begin(), m.ExtraHeader.end());
    archive.insert(archive.end(), m.Packed.begin(), m.Packed.end());
}

void AppendRawBlock(Bytes& archive, uint8_t type, uint16_t flags, const Bytes& body, const Bytes& data) {
    Put16(archive, 0);
    archive.push_back(type);
    Put16(archive, flags);
    Put16(archive, uint32_t(7 + (data.empty() ? 0 : 4) + body.size()));
    if (!data.empty()) Put32(archive, uint32_t(data.size()));
    archive.insert(archive.end(), body.begin(), body.end());
    archive.insert(archive.end(), data.begin(), data.end());
}

RawMember StoredMember(const std::string& name, const Bytes& content) {
    RawMember m;
    m.Name = name;
    m.Packed = content;
    m.UnpackedSize = uint32_t(content.size());
    m.Crc = Crc32(content.data(), content.size());
    return m;
}

bool Extract(const std::string& path, const char* name, Bytes* out, const char* password) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    int ok = ExtractMember(&data, &size, name, path.c_str(), password);
    out->assign(data, data + size);
    std::free(data);
    return ok != 0;
}

std::string ScratchArchive(const char* tag) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/tb_pack_test_" + std::to_string(getpid()) +
           "_" + tag + ".rar";
}

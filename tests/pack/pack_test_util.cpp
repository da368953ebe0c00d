#include "pack_test_util.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
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
        const char* word = Words[rng() % std::size(Words)];
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

// Two sines a channel with a little noise, interleaved frame by frame.
Bytes Wave(uint32_t seed, size_t frames, int channels, int bytesPerSample) {
    std::mt19937 rng(seed);
    Bytes out;
    for (size_t i = 0; i < frames * channels; i++) {
        int c = int(i % channels);
        double t = double(i / channels) / (40.0 + 13 * c);
        double v = std::sin(t) * 0.6 + std::sin(t * 3.1 + c) * 0.2 + (int(rng() % 64) - 32) / 2000.0;
        uint16_t s = uint16_t(int16_t(v * 30000));
        if (bytesPerSample == 1)
            out.push_back(uint8_t(128 + int(v * 120)));
        else
            out.insert(out.end(), {uint8_t(s), uint8_t(s >> 8)});
    }
    return out;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    return !file.fail();
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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

static void Put(Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back(uint8_t(value >> 8 * i));
}

// Head CRC (never checked), type, flags, header size.
static void Head(Bytes& out, uint8_t type, uint32_t flags, size_t headerSize) {
    Put(out, 0, 2);
    out.push_back(type);
    Put(out, flags, 2);
    Put(out, uint32_t(headerSize), 2);
}

void AppendRawBlock(Bytes& archive, uint8_t type, const Bytes& header, const Bytes& data) {
    Head(archive, type, 0x8000, 11 + header.size());  // 0x8000: a data size follows
    Put(archive, uint32_t(data.size()), 4);
    archive.insert(archive.end(), header.begin(), header.end());
    archive.insert(archive.end(), data.begin(), data.end());
}

void AppendRawMember(Bytes& archive, const RawMember& m) {
    Bytes header;
    Put(header, m.UnpackedSize, 4);
    header.push_back(2);
    Put(header, m.Crc, 4);
    Put(header, 0, 4);
    header.insert(header.end(), {m.Version, m.Method});
    Put(header, m.NameSize < 0 ? uint32_t(m.Name.size()) : uint32_t(m.NameSize), 2);
    Put(header, 0x20, 4);
    header.insert(header.end(), m.Name.begin(), m.Name.end());
    header.insert(header.end(), m.ExtraHeader.begin(), m.ExtraHeader.end());
    AppendRawBlock(archive, 0x74, header, m.Packed);
}

Bytes RawArchive(std::initializer_list<RawMember> members, const char* marker, const Bytes& headerExtra) {
    Bytes out(marker, marker + 7);  // the RAR marker ends in its string's zero
    Head(out, 0x73, 0, 13 + headerExtra.size());
    Put(out, 0, 6);
    out.insert(out.end(), headerExtra.begin(), headerExtra.end());
    for (const RawMember& m : members) AppendRawMember(out, m);
    return out;
}

RawMember StoredMember(const std::string& name, const Bytes& content) {
    return {name, content, uint32_t(content.size()), Crc32(content.data(), content.size())};
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
    return std::string(dir && *dir ? dir : "/tmp") + "/tb_pack_test_" + std::to_string(getpid()) + "_" + tag + ".rar";
}

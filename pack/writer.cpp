// Archive assembly: marker, archive header, one file header per member with
// its packed data, and the end-of-archive block. Members of a solid archive
// are parsed as one stream, so later members match against earlier ones.
#include "pack/writer.h"

#include <cstdio>
#include <cstring>

#include "pack/crypt.h"
#include "pack/encode.h"
#include "pack/reader_context.h"
#include "platform/paths.h"

static constexpr uint8_t UnpackVersion20 = 20;
static constexpr uint8_t HostWin32 = 2;
static constexpr uint32_t AttributeArchive = 0x20;
static constexpr uint16_t Dictionary1M = 0x0080;
static constexpr uint16_t EndBlockFlags = 0x4000;

static void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

static void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A header's CRC field holds the low half of the CRC-32 of the rest of it.
static void SealHeader(std::vector<uint8_t>& out, size_t start) {
    uint32_t crc = Crc32(out.data() + start + 2, out.size() - start - 2);
    out[start] = uint8_t(crc);
    out[start + 1] = uint8_t(crc >> 8);
}

static void PutBlockStart(std::vector<uint8_t>& out, uint8_t type, uint16_t flags, uint16_t size) {
    Put16(out, 0);
    out.push_back(type);
    Put16(out, flags);
    Put16(out, size);
}

// Where a member's bytes come from and how they are coded.
struct MemberPlan {
    PackMethod Method;      // store, normal or audio
    uint32_t Channels;      // audio channels; 0 for normal
    uint32_t StreamOffset;  // offset in the solid stream buffer
    std::vector<Token> Tokens;
    std::vector<uint8_t> Packed;
    uint16_t Flags;
};

static uint32_t AudioChannelsFor(const PackInput& m) {
    return m.AudioChannels >= 1 && m.AudioChannels <= 4 ? m.AudioChannels
                                                        : ChooseAudioChannels(m.Data, m.Size);
}

// The method a member ends up with: the caller's, or for "best" the one
// that packs it smallest on its own.
static PackMethod ResolveMethod(const PackInput& m, int effort) {
    if (m.Method != PackMethodBest) return m.Method;
    std::vector<uint8_t> scratch;
    uint32_t normal = CompressMember(m.Data, m.Size, PackMethodNormal, 0, effort, &scratch);
    uint32_t audio = CompressMember(m.Data, m.Size, PackMethodAudio, m.AudioChannels, effort, &scratch);
    if (m.Size <= normal && m.Size <= audio) return PackMethodStore;
    return audio < normal ? PackMethodAudio : PackMethodNormal;
}

static void ParseMember(const PackInput& m, MemberPlan& plan, MatchFinder& finder,
                        ParseState& state) {
    if (plan.Method == PackMethodAudio) {
        ParseAudio(state, m.Data, m.Size, plan.Channels, &plan.Tokens);
        InsertPositions(finder, plan.StreamOffset + m.Size);
    } else {
        ParseLz(finder, state, plan.StreamOffset, plan.StreamOffset + m.Size, &plan.Tokens);
    }
}

static StreamMember StreamView(const MemberPlan& plan) {
    return {&plan.Tokens, plan.Method == PackMethodAudio, plan.Channels};
}

// Parses and emits the compressed members: one stream for a solid archive,
// else one per member.
static void CompressAll(const PackInput* members, std::vector<MemberPlan>& plans,
                        const PackOptions& options, bool padded) {
    std::vector<uint8_t> stream;
    std::vector<int> order;
    for (size_t i = 0; i < plans.size(); i++) {
        if (plans[i].Method == PackMethodStore) continue;
        order.push_back(int(i));
        plans[i].StreamOffset = options.Solid ? uint32_t(stream.size()) : 0;
        if (options.Solid) stream.insert(stream.end(), members[i].Data, members[i].Data + members[i].Size);
    }
    MatchFinder finder;
    ParseState state = {};
    if (options.Solid) InitMatchFinder(finder, stream.data(), uint32_t(stream.size()), options.MatchEffort);
    for (int i : order) {
        if (!options.Solid) {
            state = {};
            InitMatchFinder(finder, members[i].Data, members[i].Size, options.MatchEffort);
        }
        ParseMember(members[i], plans[i], finder, state);
    }
    EmitState emit;
    for (size_t k = 0; k < order.size(); k++) {
        MemberPlan& plan = plans[order[k]];
        bool continues = options.Solid && k > 0;
        if (continues) plan.Flags |= MemberContinuesSolid;
        StreamMember next;
        bool hasNext = options.Solid && k + 1 < order.size();
        if (hasNext) next = StreamView(plans[order[k + 1]]);
        EmitMember(emit, StreamView(plan), hasNext ? &next : nullptr, !continues, padded, &plan.Packed);
    }
}

// Pads to whole cipher blocks and encrypts them in file order.
static void Encrypt(std::vector<uint8_t>& packed, const char* password) {
    packed.resize((packed.size() + 15) & ~size_t(15), 0);
    PrepareDecryption(password);
    for (size_t offset = 0; offset < packed.size(); offset += 16) EncryptBlock(packed.data() + offset);
}

static void PutMember(std::vector<uint8_t>& out, const PackInput& m, const MemberPlan& plan,
                      const std::vector<uint8_t>& packed) {
    size_t start = out.size();
    uint32_t nameSize = uint32_t(std::strlen(m.Name));
    PutBlockStart(out, BlockFileHeader, plan.Flags, uint16_t(FileHeaderBytes + nameSize));
    Put32(out, uint32_t(packed.size()));
    Put32(out, m.Size);
    out.push_back(HostWin32);
    Put32(out, Crc32(m.Data, m.Size));
    Put32(out, m.FileTime);
    out.push_back(UnpackVersion20);
    out.push_back(plan.Method == PackMethodStore ? MethodStored : MethodNormal);
    Put16(out, nameSize);
    Put32(out, AttributeArchive);
    out.insert(out.end(), m.Name, m.Name + nameSize);
    SealHeader(out, start);
    out.insert(out.end(), packed.begin(), packed.end());
}

static bool ValidInputs(const PackInput* members, int32_t count) {
    if (count < 0 || count > 65535 || (count > 0 && !members)) return false;
    uint64_t total = 0;
    for (int32_t i = 0; i < count; i++) {
        size_t length = members[i].Name ? std::strlen(members[i].Name) : 0;
        if (length == 0 || length > MaxNameBytes) return false;
        if (members[i].Size && !members[i].Data) return false;
        total += members[i].Size;
    }
    return total < 0xFFFFFFFFull;  // one solid stream is indexed in 32 bits
}

int BuildPack(const PackInput* members, int32_t count, const PackOptions* options,
              std::vector<uint8_t>* out) {
    if (!out || !ValidInputs(members, count)) return 0;
    PackOptions o = options ? *options : PackOptions{0, nullptr, 0};
    bool encrypted = o.Password && o.Password[0];
    std::vector<MemberPlan> plans(count);
    for (int32_t i = 0; i < count; i++) {
        plans[i].Method = ResolveMethod(members[i], o.MatchEffort);
        plans[i].Channels = plans[i].Method == PackMethodAudio ? AudioChannelsFor(members[i]) : 0;
        plans[i].Flags = BlockHasData | Dictionary1M | (encrypted ? MemberEncrypted : 0);
    }
    CompressAll(members, plans, o, encrypted);
    out->clear();
    out->insert(out->end(), RarMarker, RarMarker + MarkerBytes);
    PutBlockStart(*out, BlockArchiveHeader, o.Solid ? ArchiveSolid : 0, ArchiveHeaderBytes);
    Put16(*out, 0);  // two reserved fields
    Put32(*out, 0);
    SealHeader(*out, MarkerBytes);
    for (int32_t i = 0; i < count; i++) {
        MemberPlan& plan = plans[i];
        if (plan.Method == PackMethodStore) plan.Packed.assign(members[i].Data, members[i].Data + members[i].Size);
        if (encrypted) Encrypt(plan.Packed, o.Password);
        PutMember(*out, members[i], plan, plan.Packed);
    }
    size_t end = out->size();
    PutBlockStart(*out, BlockEndArchive, EndBlockFlags, MinBlockHeader);
    SealHeader(*out, end);
    return 1;
}

int WritePack(const char* path, const PackInput* members, int32_t count, const PackOptions* options) {
    std::vector<uint8_t> archive;
    if (!BuildPack(members, count, options, &archive)) return 0;
    return WriteDataFile(path, archive.data(), archive.size());
}

uint32_t CompressMember(const uint8_t* data, uint32_t size, PackMethod method,
                        uint8_t audioChannels, int matchEffort, std::vector<uint8_t>* out) {
    out->clear();
    MemberPlan plan = {};
    plan.Method = method == PackMethodAudio ? PackMethodAudio : PackMethodNormal;
    PackInput input = {"", data, size, plan.Method, audioChannels, 0};
    plan.Channels = plan.Method == PackMethodAudio ? AudioChannelsFor(input) : 0;
    MatchFinder finder;
    ParseState state = {};
    InitMatchFinder(finder, data, size, matchEffort);
    ParseMember(input, plan, finder, state);
    EmitState emit;
    EmitMember(emit, StreamView(plan), nullptr, true, false, out);
    return uint32_t(out->size());
}

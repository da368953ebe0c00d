// The archive reader: marker and headers, the walk from block to block,
// member names, the listing, stored members and the CRC-32 check.
//
// Limits: names are cut to 259 bytes; a member's packed data starts at its
// block start plus header size, whatever the header holds after the name;
// a member is only collected when its packed bytes can really produce its
// size, and its buffer grows as the bytes arrive; a file without either
// marker is no archive.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "pack/crypt.h"
#include "pack/pack.h"
#include "pack/reader_context.h"
#include "pack/unpack.h"
#include "platform/paths.h"

ReaderContext Reader;
uint8_t* OutputBuffer;
uint32_t OutputPos;
static uint32_t OutputSize;  // the current member's unpacked size
static UnpackState Unpacker;  // the decoder's state, carried along a solid stream

static constexpr char VorlaxMarker[MarkerBytes] = {'V', 'o', 'r', 'l', 'a', 'X', '!'};
// One bit of packed input yields at most one 260-byte match, so no honest
// member unpacks to more than this many bytes per packed byte.
static constexpr uint64_t MaxExpansion = 8 * 260;

static uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
static uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

static void CopyBounded(char* out, size_t capacity, const char* text) {
    size_t length = text ? strnlen(text, capacity - 1) : 0;
    if (length) std::memcpy(out, text, length);
    out[length] = '\0';
}

static void CloseArchive() {
    if (Reader.Archive) std::fclose(Reader.Archive);
    Reader.Archive = nullptr;
    std::free(Reader.WorkMemory);
    Reader.WorkMemory = nullptr;
    explicit_bzero(Reader.Password, sizeof Reader.Password);
}

static bool HasMarker(const uint8_t* marker) {
    return std::memcmp(marker, RarMarker, MarkerBytes) == 0 || std::memcmp(marker, VorlaxMarker, MarkerBytes) == 0;
}

// Opens the archive, checks the marker, reads the archive header and stands
// at the first block. On failure nothing stays open.
static bool OpenArchive(const char* path) {
    BuildCrcTable();
    Reader.Archive = OpenDataFile(path, "rb");
    if (!Reader.Archive) {
        CloseArchive();
        return false;
    }
    std::fseek(Reader.Archive, 0, SEEK_END);
    Reader.ArchiveSize = std::ftell(Reader.Archive);
    std::rewind(Reader.Archive);
    uint8_t marker[7];
    uint8_t header[ArchiveHeaderBytes];
    bool good = std::fread(marker, 1, 7, Reader.Archive) == 7 && HasMarker(marker) &&
                std::fread(header, 1, ArchiveHeaderBytes, Reader.Archive) == ArchiveHeaderBytes;
    if (good) Reader.WorkMemory = static_cast<uint8_t*>(std::calloc(WindowSize, 1));
    if (!good || !Reader.WorkMemory) {
        CloseArchive();
        return false;
    }
    Reader.ArchiveFlags = Read16(header + 3);
    uint16_t headerSize = Read16(header + 5);
    if (headerSize > ArchiveHeaderBytes) std::fseek(Reader.Archive, MarkerBytes + long(headerSize), SEEK_SET);
    return true;
}

static FileHeader ParseFileHeader(const uint8_t* raw) {
    FileHeader h;
    h.HeadCrc = Read16(raw);
    h.BlockType = raw[2];
    h.Flags = Read16(raw + 3);
    h.HeadSize = Read16(raw + 5);
    h.PackedSize = Read32(raw + 7);
    h.UnpackedSize = Read32(raw + 11);
    h.HostSystem = raw[15];
    h.FileCrc = Read32(raw + 16);
    h.FileTime = Read32(raw + 20);
    h.UnpackVersion = raw[24];
    h.Method = raw[25];
    h.NameSize = Read16(raw + 26);
    h.FileAttributes = Read32(raw + 28);
    return h;
}

// Reads a member's name and stands at its packed data; false when the
// header is cut short or claims a name longer than itself.
static bool TakeFileHeader(const FileHeader& h, size_t bytesRead) {
    if (bytesRead < FileHeaderBytes || h.HeadSize < FileHeaderBytes + uint32_t(h.NameSize))
        return false;
    uint32_t kept = h.NameSize > MaxNameBytes ? MaxNameBytes : h.NameSize;
    if (std::fread(Reader.CurrentName, 1, kept, Reader.Archive) != kept) return false;
    Reader.CurrentName[kept] = '\0';
    Reader.Header = h;
    Reader.Header.NameSize = uint16_t(kept);
    Reader.BlockType = BlockFileHeader;
    std::fseek(Reader.Archive, Reader.BlockStart + long(h.HeadSize), SEEK_SET);
    return true;
}

// Walks to the next file header; returns its size (32 + name) with the
// reader standing at the member's packed data, a positive size with
// BlockType 0x77 at an end-of-members block, or 0 when the blocks end.
static uint32_t NextFileHeader() {
    for (;;) {
        Reader.BlockStart = std::ftell(Reader.Archive);
        uint8_t raw[FileHeaderBytes] = {};
        size_t got = std::fread(raw, 1, FileHeaderBytes, Reader.Archive);
        if (got < MinBlockHeader) {
            std::fseek(Reader.Archive, Reader.BlockStart, SEEK_SET);
            return 0;
        }
        FileHeader h = ParseFileHeader(raw);
        if (h.HeadSize < MinBlockHeader) return 0;
        uint64_t packed = (h.Flags & BlockHasData) && got >= 11 ? h.PackedSize : 0;
        Reader.NextBlock = Reader.BlockStart + long(h.HeadSize) + long(packed);
        if (h.BlockType == BlockFileHeader) {
            if (!TakeFileHeader(h, got)) return 0;
            return FileHeaderBytes + Reader.Header.NameSize;
        }
        if (h.BlockType == BlockEndMembers) {
            Reader.BlockType = BlockEndMembers;
            std::fseek(Reader.Archive, Reader.BlockStart, SEEK_SET);
            return h.HeadSize;
        }
        std::fseek(Reader.Archive, Reader.NextBlock, SEEK_SET);
    }
}

static bool NextMember() { return NextFileHeader() > 0 && Reader.BlockType != BlockEndMembers; }

// Every call starts from nothing: no state of an earlier call can reach a
// member that claims to continue a stream.
static void StartCall(const char* password) {
    std::memset(&Reader, 0, sizeof Reader);
    std::memset(&Unpacker, 0, sizeof Unpacker);
    OutputBuffer = nullptr;
    OutputPos = 0;
    CopyBounded(Reader.Password, sizeof Reader.Password, password);
}

static MemberRecord* NewRecord() {
    MemberRecord* record = static_cast<MemberRecord*>(std::calloc(1, sizeof(MemberRecord)));
    if (!record) return nullptr;
    record->Name = strdup(Reader.CurrentName);
    if (!record->Name) {
        std::free(record);
        return nullptr;
    }
    const FileHeader& h = Reader.Header;
    record->NameSize = h.NameSize;
    record->PackedSize = h.PackedSize;
    record->UnpackedSize = h.UnpackedSize;
    record->HostSystem = h.HostSystem;
    record->FileCrc = h.FileCrc;
    record->FileTime = h.FileTime;
    record->UnpackVersion = h.UnpackVersion;
    record->Method = h.Method;
    record->FileAttributes = h.FileAttributes;
    return record;
}

int32_t ListMembers(const char* path, MemberRecord** head) {
    if (!head) return 0;
    StartCall(nullptr);
    if (!OpenArchive(path)) return 0;
    int32_t count = 0;
    MemberRecord** tail = head;
    while (*tail) tail = &(*tail)->Next;
    while (NextMember()) {
        MemberRecord* record = NewRecord();
        if (!record) break;
        *tail = record;
        tail = &record->Next;
        count++;
        std::fseek(Reader.Archive, Reader.NextBlock, SEEK_SET);
    }
    CloseArchive();
    return count;
}

void FreeMemberList(MemberRecord* head) {
    while (head) {
        MemberRecord* next = head->Next;
        std::free(head->Name);
        std::free(head);
        head = next;
    }
}

static void NormaliseName(char* name) {
    for (char* p = name; *p; p++) {
        if (*p == '\\' || *p == '/') *p = '_';
        if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
    }
}

// Both names with "\" and "/" as "_" and a..z as A..Z, byte for byte; the
// requested name is cut to 259 bytes first, as member names are.
static bool NamesMatch(const char* requested, const char* member) {
    char a[MaxNameBytes + 1], b[513];
    CopyBounded(a, sizeof a, requested);
    CopyBounded(b, sizeof b, member);
    NormaliseName(a);
    NormaliseName(b);
    return std::strcmp(a, b) == 0;
}

static uint32_t ReadPackedBytes(uint8_t* buffer, uint32_t count) {
    if (!Reader.Archive) return 0;
    if (count > Reader.RemainingPacked) count = Reader.RemainingPacked;
    uint32_t got = count ? uint32_t(std::fread(buffer, 1, count, Reader.Archive)) : 0;
    Reader.RemainingPacked -= got;
    if (Reader.EncryptionVersion < 20) return got;
    // A damaged member may end inside a block: its missing bytes are zeros,
    // not whatever the buffer held.
    if (got % 16) std::memset(buffer + got, 0, 16 - got % 16);
    for (uint32_t offset = 0; offset < got; offset += 16) DecryptBlock16(buffer + offset);
    return got;
}

enum MemberOutcome { MemberGood, MemberBad, MemberPassed, MemberRefused };

// What a walk does with a member: keep its bytes, decode it only so that a
// solid stream's state is right for the members behind it, or pass it by.
enum MemberUse { UseCollect, UseDecodeOnly, UsePass };

// The buffer starts at this size and doubles as output arrives, so a header
// that claims more than its data holds costs no memory; a piece of a stored
// member is read at a time (a multiple of the cipher's 16-byte block).
static constexpr uint32_t FirstOutputBytes = 64 * 1024;
static constexpr uint32_t StoredPieceBytes = 64 * 1024;

static uint32_t OutputCapacity;
static bool OutputLost;  // a piece did not fit: the member fails

static uint64_t RoundedToBlocks(uint64_t size) { return (size + 15) & ~uint64_t(15); }

// Room for needed bytes, rounded up to whole cipher blocks and never beyond
// the member's size so rounded.
static bool ReserveOutput(uint64_t needed) {
    if (needed <= OutputCapacity) return true;
    uint64_t grown = std::max<uint64_t>(uint64_t(OutputCapacity) * 2, FirstOutputBytes);
    grown = std::max(std::min(grown, RoundedToBlocks(OutputSize)), RoundedToBlocks(needed));
    auto* buffer = static_cast<uint8_t*>(std::realloc(OutputBuffer, grown));
    if (!buffer) return false;
    OutputBuffer = buffer;
    OutputCapacity = uint32_t(grown);
    return true;
}

static void ReleaseOutput() {
    std::free(OutputBuffer);
    OutputBuffer = nullptr;
    OutputPos = 0;
    OutputCapacity = 0;
    OutputLost = false;
}

// Keeps decoded bytes for the requested member only, up to its size.
static void TakeOutput(const uint8_t* bytes, uint32_t count) {
    if (OutputLost || count == 0) return;
    if (count > OutputSize - OutputPos || !ReserveOutput(uint64_t(OutputPos) + count)) {
        OutputLost = true;
        return;
    }
    std::memcpy(OutputBuffer + OutputPos, bytes, count);
    OutputPos += count;
}

// The decoder pulls the member's packed bytes and hands its output to
// TakeOutput when the member is wanted. Its solid flag only counts inside a
// solid archive: elsewhere the members before it are not decoded.
static void Unpack(const FileHeader& h, bool collect) {
    UnpackStream stream = {};
    stream.Read = [](void*, uint8_t* buffer, uint32_t count) { return ReadPackedBytes(buffer, count); };
    if (collect) stream.Write = [](void*, const uint8_t* bytes, uint32_t count) { TakeOutput(bytes, count); };
    stream.Window = Reader.WorkMemory;
    stream.ContinuesStream = (h.Flags & MemberContinuesSolid) && (Reader.ArchiveFlags & ArchiveSolid);
    stream.UnpackedSize = h.UnpackedSize;
    UnpackMember(Unpacker, stream);
}

// Whether the current member may be collected: a size its packed bytes can
// produce and no larger than limit. Nothing is decoded for one that may not.
static bool OutputFits(uint32_t limit) {
    const FileHeader& h = Reader.Header;
    int64_t inFile = int64_t(Reader.ArchiveSize) - Reader.BlockStart - h.HeadSize;
    uint64_t available = inFile > 0 ? uint64_t(inFile) : 0;
    if (h.PackedSize < available) available = h.PackedSize;
    uint64_t producible = h.Method == MethodStored ? available : available * MaxExpansion + 4096;
    return h.UnpackedSize <= producible && h.UnpackedSize <= limit;
}

// A stored member's bytes, piece by piece; a decrypted one is read in whole
// blocks up to its size rounded up to 16.
static void ReadStoredOutput(bool decrypting) {
    uint64_t total = std::min<uint64_t>(Reader.Header.PackedSize,
                                        decrypting ? RoundedToBlocks(OutputSize) : OutputSize);
    uint64_t pos = 0;
    while (pos < total) {
        uint32_t piece = uint32_t(std::min<uint64_t>(total - pos, StoredPieceBytes));
        if (!ReserveOutput(pos + piece)) {
            OutputLost = true;
            break;
        }
        uint32_t got = ReadPackedBytes(OutputBuffer + pos, piece);
        pos += got;
        if (got < piece) break;
    }
    OutputPos = uint32_t(std::min<uint64_t>(pos, OutputSize));
}

// Reads or decodes the member the reader stands at. A collected member's
// bytes end in OutputBuffer.
static MemberOutcome ProcessMember(MemberUse use) {
    const FileHeader& h = Reader.Header;
    ReleaseOutput();
    if (use == UsePass) return MemberPassed;
    if (h.UnpackVersion < 13 || h.UnpackVersion > 20) return MemberRefused;
    bool decrypting = Reader.Password[0] && (h.Flags & MemberEncrypted);
    Reader.EncryptionVersion = decrypting ? h.UnpackVersion : 0;
    if (decrypting) PrepareDecryption(Reader.Password);
    Reader.RemainingPacked = h.PackedSize;
    OutputSize = h.UnpackedSize;
    // Even an empty member hands its caller a buffer. Without one the member
    // fails, but is still decoded: a solid stream needs its state.
    if (use == UseCollect && !ReserveOutput(1)) OutputLost = true;
    if (h.Method != MethodStored) {
        Unpack(h, use == UseCollect);
    } else if (use == UseCollect) {
        ReadStoredOutput(decrypting);
    }
    bool complete = use == UseCollect && !OutputLost && OutputPos == h.UnpackedSize;
    return complete && Crc32(OutputBuffer, OutputPos) == h.FileCrc ? MemberGood : MemberBad;
}

int ExtractMember(uint8_t** data, uint32_t* size, const char* name, const char* path,
                  const char* password) {
    if (!data || !size) return 0;
    *data = nullptr;
    *size = 0;
    StartCall(password);
    if (!OpenArchive(path)) return 0;
    bool solid = Reader.ArchiveFlags & ArchiveSolid;
    bool success = false;
    while (NextMember()) {
        bool wanted = NamesMatch(name, Reader.CurrentName);
        if (wanted && !OutputFits(MaxStartupMemberBytes)) break;
        MemberOutcome outcome = ProcessMember(wanted ? UseCollect : solid ? UseDecodeOnly : UsePass);
        if (outcome == MemberRefused || wanted) {
            success = outcome == MemberGood;
            break;
        }
        std::fseek(Reader.Archive, Reader.NextBlock, SEEK_SET);
    }
    if (success) {
        *data = OutputBuffer;
        *size = OutputPos;
        OutputBuffer = nullptr;
    }
    ReleaseOutput();
    CloseArchive();
    return success;
}

// For each listed member, the index of the first member whose name
// compares equal to its own (its own index when none comes before it).
// Sorting makes it n log n rather than a comparison of every pair.
static std::vector<int32_t> FirstTwins(const MemberRecord* head) {
    std::vector<std::pair<std::string, int32_t>> names;
    for (const MemberRecord* m = head; m; m = m->Next) {
        names.emplace_back(m->Name, int32_t(names.size()));
        NormaliseName(names.back().first.data());
    }
    std::sort(names.begin(), names.end());
    std::vector<int32_t> first(names.size());
    for (size_t i = 0; i < names.size(); i++)
        first[size_t(names[i].second)] = i > 0 && names[i].first == names[i - 1].first
                                             ? first[size_t(names[i - 1].second)]
                                             : names[i].second;
    return first;
}

// The result of a member whose name a later member shares (a name reaches
// only its first member, so the later ones are handed this).
struct TwinResult {
    bool Ok = false;
    std::vector<uint8_t> Bytes;
};

// Hands the current member the result of the first member of its name
// (an empty member's bytes still come in a buffer).
static void HandOverTwin(const TwinResult& twin, MemberSink sink, void* context) {
    static const uint8_t NoBytes = 0;
    const uint8_t* bytes = twin.Bytes.empty() ? &NoBytes : twin.Bytes.data();
    sink(context, Reader.CurrentName, twin.Ok ? bytes : nullptr, uint32_t(twin.Bytes.size()), twin.Ok);
}

// Processes the current member of a walk; a refused member ends a solid
// stream for every member behind it.
static MemberOutcome WalkMember(bool collect, bool stateNeeded, bool* streamBroken) {
    if (*streamBroken) return MemberRefused;
    MemberOutcome outcome = ProcessMember(collect ? UseCollect : stateNeeded ? UseDecodeOnly : UsePass);
    if (outcome == MemberRefused && (Reader.ArchiveFlags & ArchiveSolid)) *streamBroken = true;
    return outcome;
}

int32_t ExtractEveryMember(const char* path, const char* password, MemberSink sink,
                           void* context, uint32_t sizeLimit) {
    MemberRecord* head = nullptr;
    int32_t listed = ListMembers(path, &head);
    std::vector<int32_t> firstTwin = FirstTwins(head);
    FreeMemberList(head);
    std::vector<TwinResult> twins(firstTwin.size());
    std::vector<bool> sharedName(firstTwin.size());
    for (size_t i = 0; i < firstTwin.size(); i++)
        if (firstTwin[i] != int32_t(i)) sharedName[size_t(firstTwin[i])] = true;
    StartCall(password);
    if (!OpenArchive(path)) return 0;
    bool solid = Reader.ArchiveFlags & ArchiveSolid;
    bool streamBroken = false;
    int32_t count = 0;
    for (; NextMember(); count++) {
        int32_t first = count < listed ? firstTwin[size_t(count)] : count;
        bool collect = first == count && OutputFits(sizeLimit);
        bool good = WalkMember(collect, solid && count + 1 < listed, &streamBroken) == MemberGood;
        if (first == count) {
            sink(context, Reader.CurrentName, good ? OutputBuffer : nullptr, good ? OutputPos : 0, good);
            if (count < listed && sharedName[size_t(count)] && good)
                twins[size_t(count)] = {true, std::vector<uint8_t>(OutputBuffer, OutputBuffer + OutputPos)};
        } else {
            HandOverTwin(twins[size_t(first)], sink, context);
        }
        ReleaseOutput();
        std::fseek(Reader.Archive, Reader.NextBlock, SEEK_SET);
    }
    CloseArchive();
    return count;
}

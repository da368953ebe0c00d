// The archive reader: marker and headers, the walk from block to block,
// member names, the listing, stored members and the CRC-32 check.
//
// Limits: names are cut to 259 bytes; a member's packed data starts at its
// block start plus header size, whatever the header holds after the name;
// an output buffer is only allocated for a size the member's packed bytes
// can really produce; a file without either marker is no archive.
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
    if (!Reader.Archive) return false;
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
    StartCall(nullptr);
    if (!head || !OpenArchive(path)) return 0;
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

// Both names with "\" and "/" as "_" and a..z as A..Z, byte for byte.
static bool NamesMatch(const char* requested, const char* member) {
    char a[513], b[513];
    CopyBounded(a, sizeof a, requested);
    CopyBounded(b, sizeof b, member);
    NormaliseName(a);
    NormaliseName(b);
    return std::strcmp(a, b) == 0;
}

// Reads up to count bytes of the current member's packed data, decrypting
// whole 16-byte blocks in place for an encrypted member, and returns the
// number read. The buffer must have room for count rounded up to 16.
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

// The decoder pulls the member's packed bytes and appends to OutputBuffer
// when the member is wanted. Its solid flag only counts inside a solid
// archive: elsewhere the members before it are not decoded.
static void Unpack(const FileHeader& h) {
    UnpackStream stream = {};
    stream.Read = [](void*, uint8_t* buffer, uint32_t count) { return ReadPackedBytes(buffer, count); };
    stream.Window = Reader.WorkMemory;
    stream.ContinuesStream = (h.Flags & MemberContinuesSolid) && (Reader.ArchiveFlags & ArchiveSolid);
    stream.Output = OutputBuffer;
    stream.OutputSize = h.UnpackedSize;
    UnpackMember(Unpacker, stream);
    OutputPos = stream.OutputPos;
}

enum MemberOutcome { MemberGood, MemberBad, MemberPassed, MemberRefused };

// Room for the member's bytes: a decrypted stored member is read in whole
// 16-byte blocks. None when the packed bytes could not produce the size.
static uint8_t* AllocateOutput(bool decrypting, uint32_t* capacity) {
    const FileHeader& h = Reader.Header;
    int64_t inFile = int64_t(Reader.ArchiveSize) - Reader.BlockStart - h.HeadSize;
    uint64_t available = inFile > 0 ? uint64_t(inFile) : 0;
    if (h.PackedSize < available) available = h.PackedSize;
    uint64_t producible = h.Method == MethodStored ? available : available * MaxExpansion + 4096;
    if (h.UnpackedSize > producible) return nullptr;
    *capacity = decrypting ? (h.UnpackedSize + 15u) & ~15u : h.UnpackedSize;
    if (*capacity < h.UnpackedSize) return nullptr;  // rounding wrapped
    return static_cast<uint8_t*>(std::malloc(*capacity ? *capacity : 1));
}

// Reads or decodes the member the reader stands at. A wanted member's
// bytes are collected in OutputBuffer; other members of a solid archive
// are decoded only so that the stream's state is right further on.
static MemberOutcome ProcessMember(bool wanted) {
    const FileHeader& h = Reader.Header;
    bool solid = Reader.ArchiveFlags & ArchiveSolid;
    OutputBuffer = nullptr;
    OutputPos = 0;
    if (!solid && !wanted) return MemberPassed;
    if (h.UnpackVersion < 13 || h.UnpackVersion > 20) return MemberRefused;
    bool decrypting = Reader.Password[0] && (h.Flags & MemberEncrypted);
    Reader.EncryptionVersion = decrypting ? h.UnpackVersion : 0;
    if (decrypting) PrepareDecryption(Reader.Password);
    Reader.RemainingPacked = h.PackedSize;
    uint32_t capacity = 0;
    if (wanted) OutputBuffer = AllocateOutput(decrypting, &capacity);
    if (h.Method != MethodStored) {
        Unpack(h);
    } else if (OutputBuffer) {
        uint32_t got = ReadPackedBytes(OutputBuffer, h.PackedSize < capacity ? h.PackedSize : capacity);
        OutputPos = got < h.UnpackedSize ? got : h.UnpackedSize;
    }
    bool complete = OutputBuffer && OutputPos == h.UnpackedSize;
    return complete && Crc32(OutputBuffer, OutputPos) == h.FileCrc ? MemberGood : MemberBad;
}

static void ReleaseOutput() {
    std::free(OutputBuffer);
    OutputBuffer = nullptr;
    OutputPos = 0;
}

int ExtractMember(uint8_t** data, uint32_t* size, const char* name, const char* path,
                  const char* password) {
    if (data) *data = nullptr;
    if (size) *size = 0;
    StartCall(password);
    if (!data || !size || !OpenArchive(path)) return 0;
    bool success = false;
    while (NextMember()) {
        bool wanted = NamesMatch(name, Reader.CurrentName);
        MemberOutcome outcome = ProcessMember(wanted);
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

// Sorted normalised names, so that a pack of many members costs n log n
// here rather than a comparison of every pair.
static bool HasTwinNames(const MemberRecord* head) {
    std::vector<std::string> names;
    for (const MemberRecord* m = head; m; m = m->Next) {
        names.emplace_back(m->Name);
        NormaliseName(names.back().data());
    }
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) != names.end();
}

// Where two names compare equal, a name reaches only the first of its
// members: each listed member then gets what ExtractMember gives its name.
static int32_t ExtractEachListed(const MemberRecord* head, const char* path, const char* password,
                                 MemberSink sink, void* context) {
    int32_t count = 0;
    for (const MemberRecord* record = head; record; record = record->Next, count++) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        int ok = ExtractMember(&data, &size, record->Name, path, password);
        sink(context, record->Name, data, size, ok);
        std::free(data);
    }
    return count;
}

int32_t ExtractEveryMember(const char* path, const char* password, MemberSink sink,
                           void* context) {
    MemberRecord* head = nullptr;
    ListMembers(path, &head);
    if (HasTwinNames(head)) {
        int32_t count = ExtractEachListed(head, path, password, sink, context);
        FreeMemberList(head);
        return count;
    }
    FreeMemberList(head);
    StartCall(password);
    if (!OpenArchive(path)) return 0;
    int32_t count = 0;
    bool streamBroken = false;  // a refused member ends a solid stream for all behind it
    while (NextMember()) {
        MemberOutcome outcome = streamBroken ? MemberRefused : ProcessMember(true);
        if (outcome == MemberRefused && (Reader.ArchiveFlags & ArchiveSolid)) streamBroken = true;
        bool ok = outcome == MemberGood;
        sink(context, Reader.CurrentName, ok ? OutputBuffer : nullptr, ok ? OutputPos : 0, ok);
        ReleaseOutput();
        count++;
        std::fseek(Reader.Archive, Reader.NextBlock, SEEK_SET);
    }
    CloseArchive();
    return count;
}

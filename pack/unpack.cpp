#include "pack/unpack.h"

#include <cstring>

#include "pack/pack.h"
#include "pack/reader_context.h"

UnpackState Unpacker;

// Refill points: the main loop reads at most 7 bytes per symbol, a table
// read 10 bytes before its first length symbol and 3 per symbol, so these
// keep every peek inside the buffer.
static constexpr uint32_t MainRefillPoint = 8162;
static constexpr uint32_t TableRefillPoint = 8167;
static constexpr uint32_t LengthRefillPoint = 8187;
// A flush is due when the write position comes this close to unflushed
// bytes; it exceeds the longest match (260).
static constexpr uint32_t FlushDistance = 270;

// The solid flag of a member only counts inside a solid archive: elsewhere
// the members before it are not decoded, so nothing could be continued.
static bool ContinuesStream() {
    return (Reader.Header.Flags & MemberContinuesSolid) && (Reader.ArchiveFlags & ArchiveSolid);
}

void ResetUnpackState() {
    UnpackState& u = Unpacker;
    u.InputPos = 0;
    u.InputBit = 0;
    if (ContinuesStream()) return;
    std::memset(u.AudioPredictors, 0, sizeof u.AudioPredictors);
    u.ChannelDelta = 0;
    u.CurrentChannel = 0;
    std::memset(u.RecentDistances, 0, sizeof u.RecentDistances);
    u.RecentIndex = 0;
    u.LastDistance = 0;
    u.LastLength = 0;
    std::memset(u.Window, 0, WindowSize);
    std::memset(u.PreviousLengths, 0, sizeof u.PreviousLengths);
    u.WritePos = 0;
    u.FlushPos = 0;
}

void RefillInput(bool first) {
    UnpackState& u = Unpacker;
    if (first) {
        u.InputEnd = ReadPackedBytes(u.InputBuffer, InputBufferSize);
        u.InputPos = 0;
        return;
    }
    const uint32_t moved = InputBufferSize - InputKeep;
    std::memmove(u.InputBuffer, u.InputBuffer + moved, InputKeep);
    u.InputPos = u.InputPos >= moved ? u.InputPos - moved : 0;
    if (u.InputEnd == InputBufferSize) {
        u.InputEnd = InputKeep + ReadPackedBytes(u.InputBuffer + InputKeep, moved);
    } else {
        // The packed data ended in an earlier read: only the kept tail is valid.
        u.InputEnd = u.InputEnd > moved ? u.InputEnd - moved : 0;
    }
}

// A bit position in InputBuffer. The decoding loops keep one in registers
// and write it back to Unpacker only where other code takes over.
struct BitCursor {
    const uint8_t* In;
    uint32_t Pos;
    uint32_t Bit;
};

static inline uint32_t Peek16(const BitCursor& c) {
    const uint8_t* p = c.In + c.Pos;
    uint32_t word = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return (word >> (16 - c.Bit)) & 0xFFFF;
}

static inline void Skip(BitCursor& c, uint32_t count) {
    count += c.Bit;
    c.Pos += count >> 3;
    c.Bit = count & 7;
}

static inline uint32_t TakeBits(BitCursor& c, uint32_t count) {
    if (count == 0) return 0;
    uint32_t value = Peek16(c) >> (16 - count);
    Skip(c, count);
    return value;
}

static BitCursor LoadCursor() { return {Unpacker.InputBuffer, Unpacker.InputPos, Unpacker.InputBit}; }

static void StoreCursor(const BitCursor& c) {
    Unpacker.InputPos = c.Pos;
    Unpacker.InputBit = c.Bit;
}

uint32_t GetBits() { return Peek16(LoadCursor()); }

void AddBits(uint32_t count) {
    BitCursor c = LoadCursor();
    Skip(c, count);
    StoreCursor(c);
}

static uint32_t ReadExtraBits(uint32_t count) {
    BitCursor c = LoadCursor();
    uint32_t value = TakeBits(c, count);
    StoreCursor(c);
    return value;
}

// The canonical rule: the code length is the first whose limit lies above
// the 16-bit peek, and the symbol is found by the peek's offset into that
// length's group. Incomplete or oversubscribed codes decode to something
// in the alphabet, never outside it.
static uint32_t SlowDecode(const DecodeTable& table, uint32_t bits, uint32_t* length) {
    uint32_t i = 1;
    while (i < 15 && bits >= table.LimitCode[i]) i++;
    *length = i;
    uint32_t n = table.FirstIndex[i] + ((bits - table.LimitCode[i - 1]) >> (16 - i));
    return n < table.SymbolCount ? table.SortedSymbols[n] : table.SortedSymbols[0];
}

// Codes of length I cover the peeks from LimitCode[I-1] to LimitCode[I]
// (the limits never decrease), so each short length fills one range of
// prefixes with what SlowDecode would give for them.
static void BuildQuickTable(DecodeTable& table) {
    std::memset(table.Quick, 0, sizeof table.Quick);
    const uint32_t shift = 16 - QuickBits;
    for (uint32_t i = 1; i <= QuickBits && table.LimitCode[i - 1] < 0xFFFF; i++) {
        uint32_t first = table.LimitCode[i - 1] >> shift;
        uint32_t end = table.LimitCode[i] >= 0xFFFF ? 1u << QuickBits : table.LimitCode[i] >> shift;
        for (uint32_t prefix = first; prefix < end; prefix++) {
            uint32_t n = table.FirstIndex[i] + (((prefix << shift) - table.LimitCode[i - 1]) >> (16 - i));
            uint32_t symbol = n < table.SymbolCount ? table.SortedSymbols[n] : table.SortedSymbols[0];
            table.Quick[prefix] = uint16_t(i << 12 | symbol);
        }
    }
}

void BuildDecodeTable(const uint8_t* lengths, DecodeTable& table, uint32_t size) {
    uint32_t count[16] = {};
    for (uint32_t i = 0; i < size; i++) count[lengths[i] & 15]++;
    count[0] = 0;
    table.LimitCode[0] = 0;
    table.FirstIndex[0] = 0;
    uint32_t n = 0;
    for (int i = 1; i < 16; i++) {
        n = 2 * (n + count[i]);
        uint32_t limit = n << (15 - i);
        table.LimitCode[i] = limit > 0xFFFF ? 0xFFFF : limit;
        table.FirstIndex[i] = table.FirstIndex[i - 1] + count[i - 1];
    }
    uint32_t next[16];
    std::memcpy(next, table.FirstIndex, sizeof next);
    std::memset(table.SortedSymbols, 0, sizeof table.SortedSymbols);
    for (uint32_t symbol = 0; symbol < size; symbol++) {
        uint32_t length = lengths[symbol] & 15;
        if (length) table.SortedSymbols[next[length]++] = uint16_t(symbol);
    }
    table.SymbolCount = size;
    BuildQuickTable(table);
}

static inline uint32_t DecodeWith(BitCursor& c, const DecodeTable& table) {
    uint32_t bits = Peek16(c) & 0xFFFE;
    uint32_t quick = table.Quick[bits >> (16 - QuickBits)];
    if (quick) {
        Skip(c, quick >> 12);
        return quick & 0xFFF;
    }
    uint32_t length = 0;
    uint32_t symbol = SlowDecode(table, bits, &length);
    Skip(c, length);
    return symbol;
}

uint32_t DecodeSymbol(const DecodeTable& table) {
    BitCursor c = LoadCursor();
    uint32_t symbol = DecodeWith(c, table);
    StoreCursor(c);
    return symbol;
}

// Fills lengths[0..size) from the code-length alphabet: differences to the
// previous set, or runs that a run never carries past size.
static void ReadLengthList(uint8_t* lengths, uint32_t size) {
    UnpackState& u = Unpacker;
    for (uint32_t i = 0; i < size;) {
        if (u.InputPos > LengthRefillPoint) RefillInput(false);
        uint32_t symbol = DecodeSymbol(u.LengthsTable);
        if (symbol < 16) {
            lengths[i] = uint8_t((symbol + u.PreviousLengths[i]) & 15);
            i++;
            continue;
        }
        uint32_t run;
        uint8_t value = 0;
        if (symbol == RunRepeatPrevious) {
            run = ReadExtraBits(2) + 3;
            value = i > 0 ? lengths[i - 1] : 0;
        } else if (symbol == RunShortZeros) {
            run = ReadExtraBits(3) + 3;
        } else {
            run = ReadExtraBits(7) + 11;
        }
        for (; run > 0 && i < size; run--) lengths[i++] = value;
    }
}

void ReadCodeTables() {
    UnpackState& u = Unpacker;
    if (u.InputPos > TableRefillPoint) RefillInput(false);
    uint32_t bits = GetBits();
    u.AudioBlock = (bits & 0x8000) != 0;
    if (!(bits & 0x4000)) std::memset(u.PreviousLengths, 0, sizeof u.PreviousLengths);
    AddBits(2);
    uint32_t size = LzTableSize;
    if (u.AudioBlock) {
        u.AudioChannels = ((bits >> 12) & 3) + 1;
        if (u.CurrentChannel >= u.AudioChannels) u.CurrentChannel = 0;
        AddBits(2);
        size = AudioSymbols * u.AudioChannels;
    }
    uint8_t lengthLengths[LengthSymbols];
    for (uint8_t& length : lengthLengths) {
        length = uint8_t(GetBits() >> 12);
        AddBits(4);
    }
    BuildDecodeTable(lengthLengths, u.LengthsTable, LengthSymbols);
    uint8_t lengths[MaxTableSize] = {};
    ReadLengthList(lengths, size);
    if (u.AudioBlock) {
        for (uint32_t c = 0; c < u.AudioChannels; c++)
            BuildDecodeTable(lengths + AudioSymbols * c, u.AudioTables[c], AudioSymbols);
    } else {
        BuildDecodeTable(lengths, u.MainTable, MainSymbols);
        BuildDecodeTable(lengths + MainSymbols, u.DistTable, DistSymbols);
        BuildDecodeTable(lengths + MainSymbols + DistSymbols, u.RepLenTable, RepLenSymbols);
    }
    std::memcpy(u.PreviousLengths, lengths, sizeof u.PreviousLengths);
}

void ReadEndTables() {
    UnpackState& u = Unpacker;
    if (u.InputEnd < u.InputPos + 5) return;
    if (u.AudioBlock) {
        if (DecodeSymbol(u.AudioTables[u.CurrentChannel]) == AudioTableSwitch) ReadCodeTables();
    } else if (DecodeSymbol(u.MainTable) == SymbolTableSwitch) {
        ReadCodeTables();
    }
}

// Hands the unflushed window bytes to the reader, in two pieces when they
// wrap past the window's end.
static void FlushWindow() {
    UnpackState& u = Unpacker;
    u.WritePos &= WindowMask;
    uint32_t pending = (u.WritePos - u.FlushPos) & WindowMask;
    uint32_t first = WindowSize - u.FlushPos < pending ? WindowSize - u.FlushPos : pending;
    TakeOutput(u.Window + u.FlushPos, first);
    TakeOutput(u.Window, pending - first);
    u.FlushPos = u.WritePos;
}

static inline bool FlushDue(uint32_t flushPos, uint32_t writePos) {
    return ((flushPos - writePos) & WindowMask) < FlushDistance && flushPos != writePos;
}

// Copies a match inside the window and returns the new write position.
static inline uint32_t CopyMatch(uint8_t* window, uint32_t dest, uint32_t length, uint32_t distance) {
    uint32_t source = (dest - distance) & WindowMask;
    if (distance >= length && dest + length <= WindowSize && source + length <= WindowSize) {
        std::memcpy(window + dest, window + source, length);
        return dest + length;
    }
    // Overlapping or wrapping: byte by byte, so that short distances repeat.
    for (; length > 0; length--) {
        window[dest] = window[source];
        dest = (dest + 1) & WindowMask;
        source = (source + 1) & WindowMask;
    }
    return dest;
}

// The decoder state a run of symbols works on, held in locals: the window
// writes go through a byte pointer, which would otherwise make the
// compiler reload every field of Unpacker after each byte.
struct RunState {
    BitCursor Bits;
    uint32_t WritePos;
    int64_t BytesLeft;
    uint32_t InputEnd;  // these two stay put during a run
    uint32_t FlushPos;
};

static RunState StartRun() {
    return {LoadCursor(), Unpacker.WritePos, Unpacker.BytesLeft, Unpacker.InputEnd, Unpacker.FlushPos};
}

static void EndRun(const RunState& run) {
    StoreCursor(run.Bits);
    Unpacker.WritePos = run.WritePos;
    Unpacker.BytesLeft = run.BytesLeft;
}

// Whether the general loop would do something other than decode a symbol
// now: end the member, refill, stop at the input's end or flush.
static inline bool RunMustStop(RunState& run) {
    run.WritePos &= WindowMask;
    return run.BytesLeft < 0 || run.Bits.Pos > MainRefillPoint ||
           run.Bits.Pos >= run.InputEnd || FlushDue(run.FlushPos, run.WritePos);
}

// Length and distance of the match a main symbol from 256 up stands for.
static inline void ReadMatch(BitCursor& bits, uint32_t symbol, uint32_t* length, uint32_t* distance) {
    UnpackState& u = Unpacker;
    if (symbol >= SymbolFirstLength) {
        uint32_t slot = symbol - SymbolFirstLength;
        uint32_t base = LengthBase[slot] + 3 + TakeBits(bits, LengthBits[slot]);
        uint32_t d = DecodeWith(bits, u.DistTable);
        *distance = DistanceBase[d] + 1 + TakeBits(bits, DistanceBits[d]);
        *length = base + MatchLengthBonus(*distance);
    } else if (symbol == SymbolRepeatLast) {
        *length = u.LastLength;
        *distance = u.LastDistance;
    } else if (symbol < SymbolFirstShort) {
        *distance = u.RecentDistances[(u.RecentIndex - (symbol - SymbolRepeatLast)) & 3];
        uint32_t slot = DecodeWith(bits, u.RepLenTable);
        *length = LengthBase[slot] + 2 + TakeBits(bits, LengthBits[slot]) + RecentLengthBonus(*distance);
    } else {
        uint32_t slot = symbol - SymbolFirstShort;
        *distance = ShortDistanceBase[slot] + 1 + TakeBits(bits, ShortDistanceBits[slot]);
        *length = 2;
    }
}

// Decodes literals and matches for as long as nothing else is due.
static void DecodeLzRun() {
    UnpackState& u = Unpacker;
    RunState run = StartRun();
    uint8_t* const window = u.Window;
    while (!RunMustStop(run)) {
        uint32_t symbol = DecodeWith(run.Bits, u.MainTable);
        if (symbol < 256) {
            window[run.WritePos++] = uint8_t(symbol);
            run.BytesLeft--;
            continue;
        }
        if (symbol == SymbolTableSwitch) {
            EndRun(run);
            ReadCodeTables();
            return;
        }
        uint32_t length, distance;
        ReadMatch(run.Bits, symbol, &length, &distance);
        u.RecentDistances[u.RecentIndex & 3] = distance;
        u.RecentIndex++;
        u.LastDistance = distance;
        u.LastLength = length;
        run.BytesLeft -= length;
        run.WritePos = CopyMatch(window, run.WritePos, length, distance);
    }
    EndRun(run);
}

// Decodes audio bytes for as long as nothing else is due; the predictors
// are worked on in a local copy for the same reason as the run state.
static void DecodeAudioRun() {
    UnpackState& u = Unpacker;
    RunState run = StartRun();
    uint8_t* const window = u.Window;
    AudioPredictor predictors[4];
    std::memcpy(predictors, u.AudioPredictors, sizeof predictors);
    int32_t channelDelta = u.ChannelDelta;
    uint32_t channel = u.CurrentChannel;
    const uint32_t channels = u.AudioChannels;
    bool tableSwitch = false;
    while (!RunMustStop(run)) {
        uint32_t delta = DecodeWith(run.Bits, u.AudioTables[channel]);
        if (delta == AudioTableSwitch) {
            tableSwitch = true;
            break;
        }
        AudioPredictor& v = predictors[channel];
        uint8_t value = uint8_t(PredictAudioByte(v, channelDelta) - delta);
        LearnAudioByte(v, channelDelta, uint8_t(delta), value);
        window[run.WritePos++] = value;
        if (++channel >= channels) channel = 0;
        run.BytesLeft--;
    }
    std::memcpy(u.AudioPredictors, predictors, sizeof predictors);
    u.ChannelDelta = channelDelta;
    u.CurrentChannel = channel;
    EndRun(run);
    if (tableSwitch) ReadCodeTables();
}

void UnpackMember(uint8_t* workMemory) {
    UnpackState& u = Unpacker;
    u.Window = workMemory;
    ResetUnpackState();
    std::memset(u.InputBuffer + InputBufferSize, 0, sizeof u.InputBuffer - InputBufferSize);
    RefillInput(true);
    if (!ContinuesStream()) ReadCodeTables();
    u.BytesLeft = int64_t(OutputSize) - 1;
    while (u.BytesLeft >= 0) {
        u.WritePos &= WindowMask;
        if (u.InputPos > MainRefillPoint) RefillInput(false);
        // Past the last valid byte every further symbol would be made up;
        // stopping here also ends hostile streams that never produce bytes.
        if (u.InputPos >= u.InputEnd) break;
        if (FlushDue(u.FlushPos, u.WritePos)) FlushWindow();
        if (u.AudioBlock) {
            DecodeAudioRun();
        } else {
            DecodeLzRun();
        }
    }
    ReadEndTables();
    FlushWindow();
}

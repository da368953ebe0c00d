#include "pack/unpack.h"

#include <algorithm>
#include <cstring>

// Refill points: the main loop reads at most 7 bytes per symbol, a table
// read 10 bytes before its first length symbol and 3 per symbol, so these
// margins keep every read of a symbol inside the buffer.
static constexpr uint32_t MainRefillPoint = InputBufferSize - 30;
static constexpr uint32_t TableRefillPoint = InputBufferSize - 25;
static constexpr uint32_t LengthRefillPoint = InputBufferSize - 5;
// A flush is due when the write position comes this close to unflushed
// bytes; it exceeds the longest match.
static constexpr uint32_t FlushDistance = 270;
// The most one symbol of the main loop can take and give: a main code,
// length bits, a distance code and distance bits; a match of 224 + 31 + 3
// bytes with both distance bonuses.
static constexpr uint32_t MaxLzSymbolBits = MaxCodeLength + 5 + MaxCodeLength + 16;
static constexpr uint32_t MaxMatchLength = 260;

static void ResetUnpackState(UnpackState& u, const UnpackStream& s) {
    u.InputPos = 0;
    u.InputBit = 0;
    if (s.ContinuesStream) return;
    std::memset(u.AudioPredictors, 0, sizeof u.AudioPredictors);
    std::memset(u.AudioHistories, 0, sizeof u.AudioHistories);
    u.ChannelDelta = 0;
    u.CurrentChannel = 0;
    std::memset(u.RecentDistances, 0, sizeof u.RecentDistances);
    u.RecentIndex = 0;
    u.LastDistance = 0;
    u.LastLength = 0;
    std::memset(s.Window, 0, WindowSize);
    std::memset(u.PreviousLengths, 0, sizeof u.PreviousLengths);
    u.WritePos = 0;
    u.FlushPos = 0;
}

static void RefillInput(UnpackState& u, UnpackStream& s, bool first) {
    if (first) {
        u.InputEnd = s.Read(s.Source, u.InputBuffer, InputBufferSize);
        u.InputPos = 0;
        return;
    }
    const uint32_t moved = InputBufferSize - InputKeep;
    std::memmove(u.InputBuffer, u.InputBuffer + moved, InputKeep);
    u.InputPos = u.InputPos >= moved ? u.InputPos - moved : 0;
    if (u.InputEnd == InputBufferSize) {
        u.InputEnd = InputKeep + s.Read(s.Source, u.InputBuffer + InputKeep, moved);
    } else {
        // The packed data ended in an earlier read: only the kept tail is valid.
        u.InputEnd = u.InputEnd > moved ? u.InputEnd - moved : 0;
    }
}

// The next unread input bits, most significant first, at the top of a
// 64-bit word. Refill tops the count up to 56..63 without a branch: it ORs
// in the 8 bytes at Next and keeps the whole bytes that fit. The bits under
// the count are zeros or the same bytes loaded before, so the OR is
// harmless; Next stays at most 8 bytes ahead of the bits consumed.
struct BitBuffer {
    const uint8_t* In;
    uint32_t Next;   // first byte not yet wholly in Bits
    uint32_t Count;  // valid bits in Bits: the low six bits (the audio loop subtracts whole entries)
    uint64_t Bits;
};

static inline void Refill(BitBuffer& b) {
    uint64_t word;
    std::memcpy(&word, b.In + b.Next, sizeof word);
    b.Bits |= __builtin_bswap64(word) >> (b.Count & 63);
    b.Next += (~b.Count & 63) >> 3;
    b.Count |= 56;
}

static inline uint32_t BitsConsumed(const BitBuffer& b) { return b.Next * 8 - (b.Count & 63); }

static inline void Consume(BitBuffer& b, uint32_t count) {
    b.Bits <<= count;
    b.Count -= count;
}

static inline uint32_t Peek16(const BitBuffer& b) { return uint32_t(b.Bits >> 48); }

// count 0..16; the two shifts keep a count of 0 defined.
static inline uint32_t TakeBits(BitBuffer& b, uint32_t count) {
    uint32_t value = uint32_t(b.Bits >> 32 >> (32 - count));
    Consume(b, count);
    return value;
}

// The decoder's input position as a filled bit buffer, and back.
static BitBuffer LoadBits(const UnpackState& u) {
    BitBuffer b = {u.InputBuffer, u.InputPos, 0, 0};
    Refill(b);
    Consume(b, u.InputBit);
    return b;
}

static void StoreBits(UnpackState& u, const BitBuffer& b) {
    uint32_t position = BitsConsumed(b);
    u.InputPos = position >> 3;
    u.InputBit = position & 7;
}

// A quick entry's length sits in its low six bits, the symbol above them:
// a 64-bit shift by the entry as it is (the processor takes the count's
// low six bits) consumes the code, one step less between one look-up and
// the next.
static constexpr uint32_t QuickSymbolShift = 6;
static constexpr uint32_t QuickLengthMask = (1u << QuickSymbolShift) - 1;

// Codes of length I cover the peeks from LimitCode[I-1] to LimitCode[I]
// (the limits never decrease), so each short length fills one range of
// prefixes; the rest are longer codes.
static void BuildQuickTable(DecodeTable& table) {
    std::memset(table.Quick, 0, sizeof table.Quick);
    const uint32_t shift = 16 - QuickBits;
    for (uint32_t i = 1; i <= QuickBits && table.LimitCode[i - 1] < 0xFFFF; i++) {
        uint32_t first = table.LimitCode[i - 1] >> shift;
        uint32_t end = table.LimitCode[i] >= 0xFFFF ? 1u << QuickBits : table.LimitCode[i] >> shift;
        for (uint32_t prefix = first; prefix < end; prefix++) {
            uint32_t n = table.FirstIndex[i] + (((prefix << shift) - table.LimitCode[i - 1]) >> (16 - i));
            uint32_t symbol = n < table.SymbolCount ? table.SortedSymbols[n] : table.SortedSymbols[0];
            table.Quick[prefix] = uint16_t(symbol << QuickSymbolShift | i);
        }
    }
}

static void BuildDecodeTable(const uint8_t* lengths, DecodeTable& table, uint32_t size) {
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

// A code longer than the quick table: its length is the first whose limit
// lies above the peek (the shorter limits all lie at or below it), and the
// symbol is found by the peek's offset into that length's group.
// Incomplete or oversubscribed codes decode to something in the alphabet.
// Returns the code's symbol << 6 | its length, as a quick entry does.
static uint32_t DecodeLongCode(const DecodeTable& table, uint32_t bits) {
    uint32_t i = QuickBits + 1;
    while (i < MaxCodeLength && bits >= table.LimitCode[i]) i++;
    uint32_t n = table.FirstIndex[i] + ((bits - table.LimitCode[i - 1]) >> (16 - i));
    return uint32_t(n < table.SymbolCount ? table.SortedSymbols[n] : table.SortedSymbols[0]) << QuickSymbolShift | i;
}

// Needs 15 valid bits in b.
static inline uint32_t DecodeSymbol(BitBuffer& b, const DecodeTable& table) {
    uint32_t bits = Peek16(b);
    uint32_t code = table.Quick[bits >> (16 - QuickBits)];
    if (!code) code = DecodeLongCode(table, bits & 0xFFFE);
    Consume(b, code & QuickLengthMask);
    return code >> QuickSymbolShift;
}

// Fills lengths[0..size) from the code-length alphabet: differences to the
// previous set, or runs that a run never carries past size.
static void ReadLengthList(UnpackState& u, UnpackStream& s, BitBuffer& b, uint8_t* lengths,
                           uint32_t size) {
    for (uint32_t i = 0; i < size;) {
        if (BitsConsumed(b) >> 3 > LengthRefillPoint) {
            StoreBits(u, b);
            RefillInput(u, s, false);
            b = LoadBits(u);
        }
        Refill(b);
        uint32_t symbol = DecodeSymbol(b, u.LengthsTable);
        if (symbol < 16) {
            lengths[i] = uint8_t((symbol + u.PreviousLengths[i]) & 15);
            i++;
            continue;
        }
        uint32_t run;
        uint8_t value = 0;
        if (symbol == RunRepeatPrevious) {
            run = TakeBits(b, 2) + 3;
            value = i > 0 ? lengths[i - 1] : 0;
        } else if (symbol == RunShortZeros) {
            run = TakeBits(b, 3) + 3;
        } else {
            run = TakeBits(b, 7) + 11;
        }
        for (; run > 0 && i < size; run--) lengths[i++] = value;
    }
}

// An audio table's quick codes as the audio loops take them: the delta
// scaled (ScaledDelta) with the code length in the low six bits, or 0 for
// a longer code and for the table switch, which take the slow way.
static void BuildAudioQuick(const DecodeTable& table, uint32_t* entries) {
    for (uint32_t prefix = 0; prefix < 1u << QuickBits; prefix++) {
        uint32_t code = table.Quick[prefix], symbol = code >> QuickSymbolShift;
        entries[prefix] = code && symbol != AudioTableSwitch ? ScaledDelta(symbol) + (code & QuickLengthMask) : 0;
    }
}

static void ReadCodeTables(UnpackState& u, UnpackStream& s) {
    if (u.InputPos > TableRefillPoint) RefillInput(u, s, false);
    BitBuffer b = LoadBits(u);
    uint32_t bits = Peek16(b);
    u.AudioBlock = (bits & 0x8000) != 0;
    if (!(bits & 0x4000)) std::memset(u.PreviousLengths, 0, sizeof u.PreviousLengths);
    Consume(b, 2);
    uint32_t size = LzTableSize;
    if (u.AudioBlock) {
        u.AudioChannels = ((bits >> 12) & 3) + 1;
        if (u.CurrentChannel >= u.AudioChannels) u.CurrentChannel = 0;
        Consume(b, 2);
        size = AudioSymbols * u.AudioChannels;
    }
    uint8_t lengthLengths[LengthSymbols];
    for (uint8_t& length : lengthLengths) {
        Refill(b);
        length = uint8_t(TakeBits(b, 4));
    }
    BuildDecodeTable(lengthLengths, u.LengthsTable, LengthSymbols);
    uint8_t lengths[MaxTableSize] = {};
    ReadLengthList(u, s, b, lengths, size);
    StoreBits(u, b);
    if (u.AudioBlock) {
        for (uint32_t c = 0; c < u.AudioChannels; c++) {
            BuildDecodeTable(lengths + AudioSymbols * c, u.AudioTables[c], AudioSymbols);
            BuildAudioQuick(u.AudioTables[c], u.AudioQuick[c]);
        }
    } else {
        BuildDecodeTable(lengths, u.MainTable, MainSymbols);
        BuildDecodeTable(lengths + MainSymbols, u.DistTable, DistSymbols);
        BuildDecodeTable(lengths + MainSymbols + DistSymbols, u.RepLenTable, RepLenSymbols);
    }
    std::memcpy(u.PreviousLengths, lengths, sizeof u.PreviousLengths);
}

static void ReadEndTables(UnpackState& u, UnpackStream& s) {
    if (u.InputEnd < u.InputPos + 5) return;
    BitBuffer b = LoadBits(u);
    const DecodeTable& table = u.AudioBlock ? u.AudioTables[u.CurrentChannel] : u.MainTable;
    uint32_t symbol = DecodeSymbol(b, table);
    StoreBits(u, b);
    if (symbol == uint32_t(u.AudioBlock ? AudioTableSwitch : SymbolTableSwitch)) ReadCodeTables(u, s);
}

// Hands the unflushed window bytes on, in two pieces when they
// wrap past the window's end.
static void FlushWindow(UnpackState& u, UnpackStream& s) {
    u.WritePos &= WindowMask;
    uint32_t pending = (u.WritePos - u.FlushPos) & WindowMask;
    if (s.Write) {
        uint32_t first = std::min(WindowSize - u.FlushPos, pending);
        s.Write(s.Sink, s.Window + u.FlushPos, first);
        s.Write(s.Sink, s.Window, pending - first);
    }
    u.FlushPos = u.WritePos;
}

static inline bool FlushDue(uint32_t flushPos, uint32_t writePos) {
    return ((flushPos - writePos) & WindowMask) < FlushDistance && flushPos != writePos;
}

// How many symbols, each taking at most maxBits and giving at most
// maxBytes, can be decoded from here with no check between them: none of
// them starts past the refill point or the input's end, after a flush
// falls due or after the member's last byte. The main loop has checked
// that the first one may start.
static uint32_t SymbolsBeforeCheck(const UnpackState& u, uint32_t maxBits, uint32_t maxBytes) {
    uint32_t inputBits = std::min(MainRefillPoint + 1, u.InputEnd) * 8;
    uint32_t consumed = u.InputPos * 8 + u.InputBit;
    uint32_t byInput = (inputBits - consumed - 1) / maxBits + 1;
    uint32_t gap = (u.FlushPos - u.WritePos) & WindowMask;
    uint32_t byFlush = ((gap ? gap : WindowSize) - FlushDistance) / maxBytes + 1;
    uint64_t byLength = uint64_t(u.BytesLeft) / maxBytes + 1;
    return uint32_t(std::min<uint64_t>(std::min(byInput, byFlush), byLength));
}

// Copies a match inside the window and returns the new write position. In
// one piece only when the source lies wholly behind the destination or,
// at a distance of nearly the whole window, wholly ahead of it.
static inline uint32_t CopyMatch(uint8_t* window, uint32_t dest, uint32_t length, uint32_t distance) {
    uint32_t source = (dest - distance) & WindowMask;
    if (distance >= length && distance <= WindowSize - length && dest + length <= WindowSize &&
        source + length <= WindowSize) {
        std::memcpy(window + dest, window + source, length);
        return (dest + length) & WindowMask;
    }
    // Overlapping or wrapping: byte by byte, so that short distances repeat.
    for (; length > 0; length--) {
        window[dest] = window[source];
        dest = (dest + 1) & WindowMask;
        source = (source + 1) & WindowMask;
    }
    return dest;
}

// Length and distance of the match a main symbol from 256 up stands for.
static inline void ReadMatch(const UnpackState& u, BitBuffer& b, uint32_t symbol, uint32_t* length,
                             uint32_t* distance) {
    if (symbol >= SymbolFirstLength) {
        uint32_t slot = symbol - SymbolFirstLength;
        uint32_t base = LengthBase[slot] + 3 + TakeBits(b, LengthBits[slot]);
        uint32_t d = DecodeSymbol(b, u.DistTable);
        *distance = DistanceBase[d] + 1 + TakeBits(b, DistanceBits[d]);
        *length = base + MatchLengthBonus(*distance);
    } else if (symbol == SymbolRepeatLast) {
        *length = u.LastLength;
        *distance = u.LastDistance;
    } else if (symbol < SymbolFirstShort) {
        *distance = u.RecentDistances[(u.RecentIndex - (symbol - SymbolRepeatLast)) & 3];
        uint32_t slot = DecodeSymbol(b, u.RepLenTable);
        *length = LengthBase[slot] + 2 + TakeBits(b, LengthBits[slot]) + RecentLengthBonus(*distance);
    } else {
        uint32_t slot = symbol - SymbolFirstShort;
        *distance = ShortDistanceBase[slot] + 1 + TakeBits(b, ShortDistanceBits[slot]);
        *length = 2;
    }
}

// Decodes literals and matches up to the next check or table switch.
static void DecodeLzRun(UnpackState& u, UnpackStream& s) {
    BitBuffer b = LoadBits(u);
    uint8_t* const window = s.Window;
    uint32_t writePos = u.WritePos;
    int64_t bytesLeft = u.BytesLeft;
    bool tableSwitch = false;
    for (uint32_t n = SymbolsBeforeCheck(u, MaxLzSymbolBits, MaxMatchLength); n > 0; n--) {
        Refill(b);
        uint32_t symbol = DecodeSymbol(b, u.MainTable);
        if (symbol < 256) {
            window[writePos] = uint8_t(symbol);
            writePos = (writePos + 1) & WindowMask;
            bytesLeft--;
            continue;
        }
        if (symbol == SymbolTableSwitch) {
            tableSwitch = true;
            break;
        }
        uint32_t length, distance;
        ReadMatch(u, b, symbol, &length, &distance);
        u.RecentDistances[u.RecentIndex & 3] = distance;
        u.RecentIndex++;
        u.LastDistance = distance;
        u.LastLength = length;
        bytesLeft -= length;
        writePos = CopyMatch(window, writePos, length, distance);
    }
    StoreBits(u, b);
    u.WritePos = writePos;
    u.BytesLeft = bytesLeft;
    if (tableSwitch) ReadCodeTables(u, s);
}

// The next delta of channel c's table, scaled (ScaledDelta, the code
// length in the low six bits), its code consumed; 0 at the table switch.
// Needs QuickBits valid bits in b: the rare entry 0, a longer code or the
// switch, refills before it looks further.
[[gnu::always_inline]] static inline uint32_t DecodeScaledDelta(const UnpackState& u, BitBuffer& b, uint32_t c) {
    uint32_t scaled = u.AudioQuick[c][b.Bits >> (64 - QuickBits)];
    if (!scaled) [[unlikely]] {
        Refill(b);
        const DecodeTable& table = u.AudioTables[c];
        uint32_t code = table.Quick[Peek16(b) >> (16 - QuickBits)];
        if (!code) code = DecodeLongCode(table, Peek16(b) & 0xFFFE);
        if (code >> QuickSymbolShift == AudioTableSwitch) {
            Consume(b, code & QuickLengthMask);
            return 0;
        }
        scaled = ScaledDelta(code >> QuickSymbolShift) + (code & QuickLengthMask);
    }
    b.Bits <<= scaled & QuickLengthMask;
    b.Count -= scaled;  // the low six bits right: the length is all of them
    return scaled;
}

// One audio byte of the current channel, wherever the frame and the
// channels' periods stand; false at the table switch.
static bool DecodeOneAudioByte(UnpackState& u, BitBuffer& b, uint8_t* out) {
    Refill(b);
    uint32_t c = u.CurrentChannel;
    uint32_t scaled = DecodeScaledDelta(u, b, c);
    if (!scaled) return false;
    AudioPredictor& v = u.AudioPredictors[c];
    int32_t change = ScaledAudioChange(v.Changes, v.Weights, v.ScaledK5, u.ChannelDelta, scaled);
    LearnAudioByte(v, u.AudioHistories[c], u.ChannelDelta, scaled, change);
    *out = v.LastByte;
    if (++u.CurrentChannel >= u.AudioChannels) u.CurrentChannel = 0;
    return true;
}

// Frames decoded in one piece, refilling once: a refill (56 bits) serves
// five quick codes, and a longer code refills for itself.
template <uint32_t Channels>
inline constexpr uint32_t GroupFrames = 5 / Channels;

// The channels' predictors as locals while frames are decoded, so that the
// history's byte stores cannot be taken to overwrite them; the frames start
// at channel 0 and at place At of every channel's period. Each channel's
// last byte is read back from the frame before in the window, or from
// LastBytes in the first frame.
template <uint32_t Channels>
struct AudioFrames {
    uint64_t Changes[Channels];
    uint64_t Weights[Channels];
    uint32_t ScaledK5[Channels];
    uint8_t LastBytes[Channels];
    int32_t ChannelDelta;
    uint32_t At;
};

template <uint32_t Channels>
[[gnu::always_inline]] static inline void LoadWeights(const UnpackState& u, AudioFrames<Channels>& f) {
    for (uint32_t c = 0; c < Channels; c++) {
        f.Weights[c] = u.AudioPredictors[c].Weights;
        f.ScaledK5[c] = u.AudioPredictors[c].ScaledK5;
    }
}

// Symbols I..Symbols of frames starting at out (symbol I is channel
// I % Channels, in frame I / Channels); returns how many were decoded
// before a table switch (all when there was none).
template <uint32_t I, uint32_t Symbols, uint32_t Channels, bool First>
[[gnu::always_inline]] static inline uint32_t DecodeSymbolsFrom(UnpackState& u, BitBuffer& b,
                                                                AudioFrames<Channels>& f, uint8_t* out) {
    if constexpr (I == Symbols) {
        return 0;
    } else {
        constexpr uint32_t c = I % Channels;
        if constexpr (I == 0) Refill(b);
        uint32_t scaled = DecodeScaledDelta(u, b, c);
        if (!scaled) return 0;
        int32_t change = ScaledAudioChange(f.Changes[c], f.Weights[c], f.ScaledK5[c], f.ChannelDelta, scaled);
        RecordAudioChange(f.Changes[c], u.AudioHistories[c], f.At + I / Channels, f.ChannelDelta, scaled, change);
        out[I] = uint8_t((First && I < Channels ? f.LastBytes[c] : out[int32_t(I - Channels)]) + change);
        return 1 + DecodeSymbolsFrom<I + 1, Symbols, Channels, First>(u, b, f, out);
    }
}

// Up to frames whole frames, none past the period's end; returns the
// symbols decoded, fewer than frames * Channels at a table switch. First:
// out is where the frames began.
template <uint32_t Channels, bool First>
[[gnu::always_inline]] static inline uint32_t DecodeFrameSpan(UnpackState& u, BitBuffer& b,
                                                              AudioFrames<Channels>& f, uint8_t* out,
                                                              uint32_t frames) {
    constexpr uint32_t groupFrames = GroupFrames<Channels>, group = groupFrames * Channels;
    uint32_t written = 0;
    if (First) {
        // The first frame on its own: the only one without a frame before it in the window.
        written = DecodeSymbolsFrom<0, Channels, Channels, true>(u, b, f, out);
        if (written < Channels) return written;
        f.At++;
        frames--;
    }
    for (uint32_t g = frames / groupFrames; g > 0; g--) {
        uint32_t got = DecodeSymbolsFrom<0, group, Channels, false>(u, b, f, out + written);
        written += got;
        if (got < group) return written;
        f.At += groupFrames;
    }
    for (uint32_t n = frames % groupFrames; n > 0; n--) {
        uint32_t got = DecodeSymbolsFrom<0, Channels, Channels, false>(u, b, f, out + written);
        written += got;
        if (got < Channels) return written;
        f.At++;
    }
    return written;
}

// Whether the channels stand at the same place of their periods once the
// current frame is done (the channels behind the current one are a byte
// short of it), so that whole frames can share one place.
static bool ChannelsInStep(const UnpackState& u) {
    uint32_t frameDone = u.AudioPredictors[0].ByteCount + (u.CurrentChannel == 0);
    for (uint32_t c = 1; c < u.AudioChannels; c++) {
        uint32_t done = u.AudioPredictors[c].ByteCount + (c >= u.CurrentChannel);
        if ((done ^ frameDone) & (AudioPeriod - 1)) return false;
    }
    return true;
}

// As many whole frames as count symbols hold, from channel 0 on, in spans
// that end at the channels' common period end; returns the bytes decoded,
// fewer than *wanted when a table switch came. Out of line, so that the
// loop has the registers to itself.
template <uint32_t Channels>
[[gnu::noinline]] static uint32_t DecodeAudioFrames(UnpackState& u, BitBuffer& input, uint8_t* out,
                                                    uint32_t count, uint32_t* wanted) {
    uint32_t frames = count / Channels;
    *wanted = frames * Channels;
    if (frames == 0) return 0;
    BitBuffer b = input;  // a local the history's byte stores cannot be taken to reach
    AudioFrames<Channels> f;
    for (uint32_t c = 0; c < Channels; c++) {
        f.Changes[c] = u.AudioPredictors[c].Changes;
        f.LastBytes[c] = u.AudioPredictors[c].LastByte;
    }
    LoadWeights(u, f);
    f.ChannelDelta = u.ChannelDelta;
    uint32_t written = 0;
    while (frames > 0) {
        uint32_t at = u.AudioPredictors[0].ByteCount & (AudioPeriod - 1);
        uint32_t span = std::min(frames, AudioPeriod - at);
        f.At = at;
        uint32_t got = written == 0 ? DecodeFrameSpan<Channels, true>(u, b, f, out, span)
                                    : DecodeFrameSpan<Channels, false>(u, b, f, out + written, span);
        written += got;
        // A switch may come inside a frame: its first channels have one byte more.
        for (uint32_t c = 0; c < Channels; c++) {
            AudioPredictor& v = u.AudioPredictors[c];
            uint32_t taken = got / Channels + (c < got % Channels);
            v.ByteCount += taken;
            v.Changes = f.Changes[c];
            if (at + taken == AudioPeriod) EndAudioPeriod(v, u.AudioHistories[c]);
        }
        LoadWeights(u, f);
        if (got < span * Channels) break;
        frames -= span;
    }
    // Channel c's last byte is the last of those written at c, c + Channels, ...
    for (uint32_t c = 0; c < Channels && c < written; c++)
        u.AudioPredictors[c].LastByte = out[written - 1 - (written - 1 - c) % Channels];
    u.ChannelDelta = f.ChannelDelta;
    u.CurrentChannel = written % Channels;
    input = b;
    return written;
}

// Decodes audio bytes up to the next check or table switch: whole frames
// when the run starts at channel 0 with the channels in step and holds a
// frame, else single bytes up to the frame's end (or all the run's, when
// the channels are out of step).
static void DecodeAudioRun(UnpackState& u, UnpackStream& s) {
    uint32_t count = std::min(SymbolsBeforeCheck(u, MaxCodeLength, 1), WindowSize - u.WritePos);
    BitBuffer b = LoadBits(u);
    uint8_t* out = s.Window + u.WritePos;
    uint32_t wanted = 0, written = 0;
    bool inStep = ChannelsInStep(u);
    switch (u.CurrentChannel == 0 && inStep ? u.AudioChannels : 0) {
        case 1: written = DecodeAudioFrames<1>(u, b, out, count, &wanted); break;
        case 2: written = DecodeAudioFrames<2>(u, b, out, count, &wanted); break;
        case 3: written = DecodeAudioFrames<3>(u, b, out, count, &wanted); break;
        case 4: written = DecodeAudioFrames<4>(u, b, out, count, &wanted); break;
    }
    if (wanted == 0) {
        wanted = inStep ? std::min(count, u.AudioChannels - u.CurrentChannel) : count;
        while (written < wanted && DecodeOneAudioByte(u, b, out + written)) written++;
    }
    StoreBits(u, b);
    u.WritePos += written;
    u.BytesLeft -= written;
    if (written < wanted) ReadCodeTables(u, s);
}

void UnpackMember(UnpackState& u, UnpackStream& s) {
    ResetUnpackState(u, s);
    std::memset(u.InputBuffer + InputBufferSize, 0, InputSlack);
    RefillInput(u, s, true);
    if (!s.ContinuesStream) ReadCodeTables(u, s);
    u.BytesLeft = int64_t(s.UnpackedSize) - 1;
    while (u.BytesLeft >= 0) {
        u.WritePos &= WindowMask;
        if (u.InputPos > MainRefillPoint) RefillInput(u, s, false);
        // Past the last valid byte every further symbol would be made up;
        // stopping here also ends hostile streams that never produce bytes.
        if (u.InputPos >= u.InputEnd) break;
        if (FlushDue(u.FlushPos, u.WritePos)) FlushWindow(u, s);
        if (u.AudioBlock) {
            DecodeAudioRun(u, s);
        } else {
            DecodeLzRun(u, s);
        }
    }
    ReadEndTables(u, s);
    FlushWindow(u, s);
}

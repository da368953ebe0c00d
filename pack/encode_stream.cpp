// Emission of a member's tokens: Huffman tables per chunk of tokens, sent
// as differences to the previous set when that is shorter, and switched
// only when the new table pays for itself.
#include <cstring>

#include "pack/encode.h"

static constexpr size_t ChunkTokens = 16384;
static constexpr uint64_t Unencodable = uint64_t(1) << 62;

static uint32_t TableSizeFor(bool audio, uint32_t channels) {
    return audio ? AudioSymbols * channels : LzTableSize;
}

// Symbol frequencies of tokens[begin, end) over the table layout the
// decoder uses: main, distance and repeat-length, or one table per channel.
static void CountChunk(const std::vector<Token>& tokens, size_t begin, size_t end, bool audio,
                       uint32_t* freq) {
    std::memset(freq, 0, sizeof(uint32_t) * MaxTableSize);
    for (size_t i = begin; i < end; i++) {
        const Token& t = tokens[i];
        if (audio) {
            freq[AudioSymbols * t.Second + t.Main]++;
            continue;
        }
        freq[t.Main]++;
        if (t.Second == NoSecond) continue;
        freq[(t.Main >= SymbolFirstLength ? MainSymbols : MainSymbols + DistSymbols) + t.Second]++;
    }
}

// Every table can code its switch symbol and one other symbol, so a switch
// and a harmless closing code can always be sent.
static void ReserveCodes(uint32_t* alphabet, int switchSymbol) {
    if (!alphabet[switchSymbol]) alphabet[switchSymbol] = 1;
    int used = 0;
    for (int s = 0; s < switchSymbol; s++) used += alphabet[s] != 0;
    if (used == 0) alphabet[0] = 1;
}

static void ChunkLengths(const uint32_t* freq, bool audio, uint32_t channels, uint8_t* lengths) {
    uint32_t weights[MaxTableSize];
    std::memcpy(weights, freq, sizeof weights);
    std::memset(lengths, 0, MaxTableSize);
    if (audio) {
        for (uint32_t c = 0; c < channels; c++) {
            ReserveCodes(weights + AudioSymbols * c, AudioTableSwitch);
            BuildCodeLengths(weights + AudioSymbols * c, AudioSymbols, lengths + AudioSymbols * c);
        }
        return;
    }
    ReserveCodes(weights, SymbolTableSwitch);
    BuildCodeLengths(weights, MainSymbols, lengths);
    BuildCodeLengths(weights + MainSymbols, DistSymbols, lengths + MainSymbols);
    BuildCodeLengths(weights + MainSymbols + DistSymbols, RepLenSymbols,
                     lengths + MainSymbols + DistSymbols);
}

static uint64_t ChunkCost(const uint32_t* freq, const uint8_t* lengths, uint32_t size) {
    uint64_t bits = 0;
    for (uint32_t s = 0; s < size; s++) {
        if (!freq[s]) continue;
        if (!lengths[s]) return Unencodable;
        bits += uint64_t(freq[s]) * lengths[s];
    }
    return bits;
}

struct LengthCode {
    uint8_t Symbol;
    uint8_t ExtraBits;
    uint8_t Extra;
};

static uint32_t RunLength(const uint8_t* lengths, uint32_t i, uint32_t size, uint8_t value) {
    uint32_t n = 0;
    while (i + n < size && lengths[i + n] == value) n++;
    return n;
}

// The code-length symbols for lengths[0, size) against previous: zero runs,
// repeats of the previous length, otherwise differences.
static std::vector<LengthCode> LengthCodes(const uint8_t* lengths, const uint8_t* previous,
                                           uint32_t size) {
    std::vector<LengthCode> codes;
    for (uint32_t i = 0; i < size;) {
        uint32_t zeros = lengths[i] == 0 ? RunLength(lengths, i, size, 0) : 0;
        if (zeros >= 11) {
            uint32_t n = zeros < 138 ? zeros : 138;
            codes.push_back({RunLongZeros, 7, uint8_t(n - 11)});
            i += n;
        } else if (zeros >= 3) {
            codes.push_back({RunShortZeros, 3, uint8_t(zeros - 3)});
            i += zeros;
        } else if (i > 0 && RunLength(lengths, i, size, lengths[i - 1]) >= 3 &&
                   std::memcmp(lengths + i, previous + i, 3) != 0) {
            uint32_t run = RunLength(lengths, i, size, lengths[i - 1]);
            uint32_t n = run < 6 ? run : 6;
            codes.push_back({RunRepeatPrevious, 2, uint8_t(n - 3)});
            i += n;
        } else {
            codes.push_back({uint8_t((lengths[i] - previous[i]) & 15), 0, 0});
            i++;
        }
    }
    return codes;
}

static void WriteTable(BitWriter& writer, const uint8_t* lengths, const uint8_t* previous,
                       bool keep, bool audio, uint32_t channels) {
    uint32_t size = TableSizeFor(audio, channels);
    std::vector<LengthCode> codes = LengthCodes(lengths, previous, size);
    uint32_t freq[LengthSymbols] = {};
    for (const LengthCode& c : codes) freq[c.Symbol]++;
    uint8_t codeLengths[LengthSymbols];
    uint16_t codeBits[LengthSymbols];
    BuildCodeLengths(freq, LengthSymbols, codeLengths);
    BuildCanonicalCodes(codeLengths, LengthSymbols, codeBits);
    PutBits(writer, (audio ? 2 : 0) | (keep ? 1 : 0), 2);
    if (audio) PutBits(writer, channels - 1, 2);
    for (uint8_t length : codeLengths) PutBits(writer, length, 4);
    for (const LengthCode& c : codes) {
        PutBits(writer, codeBits[c.Symbol], codeLengths[c.Symbol]);
        PutBits(writer, c.Extra, c.ExtraBits);
    }
}

static uint64_t TableBits(const uint8_t* lengths, const uint8_t* previous, bool keep, bool audio,
                          uint32_t channels) {
    std::vector<uint8_t> scratch;
    BitWriter counter = {&scratch, 0, 0};
    WriteTable(counter, lengths, previous, keep, audio, channels);
    return scratch.size() * 8 + counter.Count;
}

// Sends new tables (differences to the previous set, or absolute when that
// is shorter) and makes them the ones in force.
static void SendTables(BitWriter& writer, EmitState& state, const uint8_t* lengths, bool audio,
                       uint32_t channels) {
    static const uint8_t Zeros[MaxTableSize] = {};
    bool keep = TableBits(lengths, state.PreviousLengths, true, audio, channels) <=
                TableBits(lengths, Zeros, false, audio, channels);
    WriteTable(writer, lengths, keep ? state.PreviousLengths : Zeros, keep, audio, channels);
    std::memcpy(state.PreviousLengths, lengths, MaxTableSize);
    std::memcpy(state.Lengths, lengths, MaxTableSize);
    if (audio) {
        for (uint32_t c = 0; c < channels; c++)
            BuildCanonicalCodes(lengths + AudioSymbols * c, AudioSymbols, state.Codes + AudioSymbols * c);
        if (state.CurrentChannel >= channels) state.CurrentChannel = 0;
    } else {
        BuildCanonicalCodes(lengths, MainSymbols, state.Codes);
        BuildCanonicalCodes(lengths + MainSymbols, DistSymbols, state.Codes + MainSymbols);
        BuildCanonicalCodes(lengths + MainSymbols + DistSymbols, RepLenSymbols,
                            state.Codes + MainSymbols + DistSymbols);
    }
    state.HaveTables = true;
    state.Audio = audio;
    state.Channels = channels;
}

static uint32_t SwitchIndex(const EmitState& state) {
    return state.Audio ? AudioSymbols * state.CurrentChannel + AudioTableSwitch : SymbolTableSwitch;
}

static void PutSymbol(BitWriter& writer, const EmitState& state, uint32_t index) {
    PutBits(writer, state.Codes[index], state.Lengths[index]);
}

// Switches to tables made for freq when the tables in force can't code it
// or when new ones cost less, switch symbol and table included.
static bool SwitchIfWorthIt(BitWriter& writer, EmitState& state, const uint32_t* freq, bool audio,
                            uint32_t channels) {
    uint8_t lengths[MaxTableSize];
    ChunkLengths(freq, audio, channels, lengths);
    uint32_t size = TableSizeFor(audio, channels);
    bool sameKind = state.Audio == audio && state.Channels == channels;
    uint64_t oldCost = sameKind ? ChunkCost(freq, state.Lengths, size) : Unencodable;
    if (oldCost != Unencodable) {
        uint64_t newCost = ChunkCost(freq, lengths, size) + state.Lengths[SwitchIndex(state)] +
                           TableBits(lengths, state.PreviousLengths, true, audio, channels);
        if (newCost >= oldCost) return false;
    }
    PutSymbol(writer, state, SwitchIndex(state));
    SendTables(writer, state, lengths, audio, channels);
    return true;
}

static void PutToken(BitWriter& writer, EmitState& state, const Token& t) {
    if (state.Audio) {
        PutSymbol(writer, state, AudioSymbols * t.Second + t.Main);
        uint32_t following = uint32_t(t.Second) + 1;
        state.CurrentChannel = following == state.Channels ? 0 : following;
        return;
    }
    PutSymbol(writer, state, t.Main);
    PutBits(writer, t.MainExtra, t.MainExtraBits);
    if (t.Second == NoSecond) return;
    uint32_t table = t.Main >= SymbolFirstLength ? MainSymbols : MainSymbols + DistSymbols;
    PutSymbol(writer, state, table + t.Second);
    PutBits(writer, t.SecondExtra, t.SecondExtraBits);
}

// One code other than the switch, for the decoder's look past the end.
static void PutHarmlessSymbol(BitWriter& writer, const EmitState& state) {
    uint32_t first = state.Audio ? AudioSymbols * state.CurrentChannel : 0;
    uint32_t switchIndex = SwitchIndex(state);
    for (uint32_t i = first; i < switchIndex; i++) {
        if (state.Lengths[i]) {
            PutSymbol(writer, state, i);
            return;
        }
    }
}

void EmitMember(EmitState& state, const StreamMember& member, const StreamMember* next,
                bool streamStart, bool padded, std::vector<uint8_t>* out) {
    BitWriter writer = {out, 0, 0};
    const std::vector<Token>& tokens = *member.Tokens;
    uint32_t freq[MaxTableSize];
    if (streamStart) {
        std::memset(&state, 0, sizeof state);
        CountChunk(tokens, 0, tokens.size() < ChunkTokens ? tokens.size() : ChunkTokens,
                   member.Audio, freq);
        uint8_t lengths[MaxTableSize];
        ChunkLengths(freq, member.Audio, member.Channels, lengths);
        SendTables(writer, state, lengths, member.Audio, member.Channels);
    }
    for (size_t begin = 0; begin < tokens.size(); begin += ChunkTokens) {
        size_t end = tokens.size() - begin < ChunkTokens ? tokens.size() : begin + ChunkTokens;
        if (begin > 0) {
            CountChunk(tokens, begin, end, member.Audio, freq);
            SwitchIfWorthIt(writer, state, freq, member.Audio, member.Channels);
        }
        for (size_t i = begin; i < end; i++) PutToken(writer, state, tokens[i]);
    }
    bool switched = false;
    if (next && !next->Tokens->empty()) {
        const std::vector<Token>& following = *next->Tokens;
        CountChunk(following, 0, following.size() < ChunkTokens ? following.size() : ChunkTokens,
                   next->Audio, freq);
        switched = SwitchIfWorthIt(writer, state, freq, next->Audio, next->Channels);
    }
    if (!switched && padded) PutHarmlessSymbol(writer, state);
    FlushBits(writer);
}

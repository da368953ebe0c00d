// The writer's RAR 2.0 encoder, in two passes per member: a parse into
// tokens (LZ77 matches and literals, or audio deltas) that mirrors the
// decoder's recent-distance and predictor state, then the emission of the
// tokens with Huffman tables that switch when the statistics change.
#pragma once
#include <cstdint>
#include <vector>

#include "pack/audio_predictor.h"
#include "pack/rar20_tables.h"

// One coded unit: a main symbol (literal/length alphabet, or an audio delta)
// with its extra bits, and for matches a second symbol (distance slot or
// repeat-length slot; for audio, the channel) with its extra bits.
struct Token {
    uint16_t Main;
    uint16_t Second;
    uint8_t MainExtraBits;
    uint8_t SecondExtraBits;
    uint32_t MainExtra;
    uint32_t SecondExtra;
};
inline constexpr uint16_t NoSecond = 0xFFFF;

// The decoder state the parse has to know to choose its symbols; it carries
// over from member to member of a solid stream, like the decoder's.
struct ParseState {
    uint32_t RecentDistances[4];
    uint32_t RecentIndex;
    uint32_t LastDistance;
    uint32_t LastLength;
    AudioPredictor AudioPredictors[4];
    AudioHistory AudioHistories[4];
    int32_t ChannelDelta;
    uint32_t CurrentChannel;
};

// Hash chains over one buffer that holds a whole stream (a solid archive's
// compressed members back to back, or one member).
struct MatchFinder {
    const uint8_t* Base;
    uint32_t BaseSize;      // bytes of the stream held in Base
    int Effort;             // chain steps per position
    std::vector<uint32_t> Head;      // 3-byte hash -> position + 1
    std::vector<uint32_t> Prev;      // position & WindowMask -> earlier position + 1
    std::vector<uint32_t> PairHead;  // 2-byte value -> position + 1, for short matches
    uint32_t Inserted;               // positions below this are in the chains
};

void InitMatchFinder(MatchFinder& finder, const uint8_t* base, uint32_t baseSize, int effort);
// Parses Base[begin, end) into tokens; the bytes before begin are history.
void ParseLz(MatchFinder& finder, ParseState& state, uint32_t begin, uint32_t end,
             std::vector<Token>* tokens);
// Puts Base[.., end) into the chains without parsing (bytes coded as audio).
void InsertPositions(MatchFinder& finder, uint32_t end);

void ParseAudio(ParseState& state, const uint8_t* data, uint32_t size, uint32_t channels,
                std::vector<Token>* tokens);
// The channel count (1..4) whose prediction errors look cheapest to code.
uint32_t ChooseAudioChannels(const uint8_t* data, uint32_t size);

// Code lengths (at most 15 bits) of a Huffman code for the frequencies.
void BuildCodeLengths(const uint32_t* freq, int count, uint8_t* lengths);
// Canonical codes for the lengths, as the decoder assigns them.
void BuildCanonicalCodes(const uint8_t* lengths, int count, uint16_t* codes);

// Appends bits most significant first.
struct BitWriter {
    std::vector<uint8_t>* Out;
    uint64_t Accumulator;
    int Count;
};
void PutBits(BitWriter& writer, uint32_t value, int count);
void FlushBits(BitWriter& writer);

struct StreamMember {
    const std::vector<Token>* Tokens;
    bool Audio;
    uint32_t Channels;
};

// Tables in force at the decoder, mirrored while a stream is emitted.
struct EmitState {
    uint8_t PreviousLengths[MaxTableSize];
    bool HaveTables;
    bool Audio;
    uint32_t Channels;
    uint8_t Lengths[MaxTableSize];
    uint16_t Codes[MaxTableSize];
    uint32_t CurrentChannel;
};

// Emits one member's packed bits into out. next is the following
// compressed member of the same stream (its first tables are sent at the
// end of this one), or null. padded says the packed bytes will be padded
// (encryption), so the decoder's look at the end must find a harmless code.
void EmitMember(EmitState& state, const StreamMember& member, const StreamMember* next,
                bool streamStart, bool padded, std::vector<uint8_t>* out);

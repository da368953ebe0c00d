// The RAR 2.0 decompressor: LZ77 over a 1 MiB window with Huffman-coded
// literals, lengths and distances, and the multimedia (audio) mode with
// adaptive per-channel predictors. In a solid archive the window, tables,
// recent distances and predictors carry over from member to member.
//
// Limits, all enforced on hostile input:
//  - input is read through ReadPackedBytes into an 8,192-byte buffer (plus
//    a zeroed tail so the 4-byte bit peek never leaves it); once the bits
//    consumed pass the valid bytes, decoding of the member stops;
//  - every window index is masked to 1 MiB; decoded symbols index their
//    alphabet only (an out-of-range code decodes as the first symbol);
//  - output is handed to the reader (TakeOutput), which keeps it only while
//    it fits OutputSize; a member that would overrun is still decoded to its
//    end, so the window is the same whether or not its bytes were wanted.
#pragma once
#include <cstdint>

#include "pack/audio_predictor.h"
#include "pack/rar20_tables.h"

inline constexpr int QuickBits = 10;  // codes up to this length decode in one look-up

struct DecodeTable {
    uint32_t SymbolCount;
    uint32_t LimitCode[16];
    uint32_t FirstIndex[16];
    uint16_t SortedSymbols[MainSymbols];
    uint16_t Quick[1 << QuickBits];  // code length << 12 | symbol; 0 = take the long way
};

inline constexpr uint32_t InputBufferSize = 8192;
inline constexpr uint32_t InputKeep = 32;  // tail kept across refills

struct UnpackState {
    uint8_t* Window;
    uint32_t WritePos;
    uint32_t FlushPos;
    int64_t BytesLeft;
    uint8_t InputBuffer[InputBufferSize + 8];
    uint32_t InputPos;
    uint32_t InputBit;
    uint32_t InputEnd;
    uint32_t RecentDistances[4];
    uint32_t RecentIndex;
    uint32_t LastDistance;
    uint32_t LastLength;
    DecodeTable MainTable;
    DecodeTable DistTable;
    DecodeTable RepLenTable;
    DecodeTable LengthsTable;
    DecodeTable AudioTables[4];
    uint8_t PreviousLengths[MaxTableSize];
    int AudioBlock;
    uint32_t AudioChannels;
    uint32_t CurrentChannel;
    int32_t ChannelDelta;
    AudioPredictor AudioPredictors[4];
};

extern UnpackState Unpacker;

void ResetUnpackState();
// Decodes the reader's current member into workMemory (the 1 MiB window).
void UnpackMember(uint8_t* workMemory);
void RefillInput(bool first);
uint32_t GetBits();
void AddBits(uint32_t count);
void BuildDecodeTable(const uint8_t* lengths, DecodeTable& table, uint32_t size);
uint32_t DecodeSymbol(const DecodeTable& table);
void ReadCodeTables();
void ReadEndTables();

// The RAR 2.0 decompressor: LZ77 over a 1 MiB window with Huffman-coded
// literals, lengths and distances, and the multimedia (audio) mode with
// adaptive per-channel predictors. In a solid archive the window, tables,
// recent distances and predictors carry over from member to member.
//
// The decoder knows nothing of archives: the caller hands it, per member,
// an UnpackStream (where the packed bytes come from, where the unpacked
// ones go) and the UnpackState that lives on across a solid stream.
//
// Limits, all enforced on hostile input:
//  - input is pulled through the stream's Read into an 8,192-byte buffer
//    (plus a zeroed tail so the 8-byte bit loads never leave it); once the
//    bits consumed pass the valid bytes, decoding of the member stops;
//  - every window index is masked to 1 MiB; decoded symbols index their
//    alphabet only (an out-of-range code decodes as the first symbol);
//  - decoded bytes are handed to the stream's Write in window order and
//    never kept by the decoder; what to keep, and how much room a member
//    may take, is the caller's to decide. A member is decoded to its end
//    whether or not its bytes are wanted, so the window is the same either
//    way.
#pragma once
#include <cstdint>

#include "pack/audio_predictor.h"
#include "pack/rar20_tables.h"

inline constexpr uint32_t InputBufferSize = 8192;
inline constexpr uint32_t InputKeep = 32;   // tail kept across refills
inline constexpr uint32_t InputSlack = 16;  // zeroed bytes behind the buffer for 8-byte loads
inline constexpr int QuickBits = 10;        // codes up to this length decode in one look-up

struct DecodeTable {
    uint32_t SymbolCount;
    uint32_t LimitCode[16];
    uint32_t FirstIndex[16];
    uint16_t SortedSymbols[MainSymbols];
    uint16_t Quick[1 << QuickBits];  // symbol << 6 | code length; 0 = longer code
};

// One member's input and output, filled in by the caller.
struct UnpackStream {
    // Reads up to count packed bytes into buffer (which has room for count
    // rounded up to 16) and returns how many it read; 0 at the end.
    uint32_t (*Read)(void* source, uint8_t* buffer, uint32_t count);
    void* Source;
    uint8_t* Window;       // the 1 MiB work memory, the same for a whole solid stream
    int ContinuesStream;   // keep window, tables and predictors of the member before
    // Takes count decoded bytes, in order; null to decode only, keeping a
    // solid stream's state for the members behind this one.
    void (*Write)(void* sink, const uint8_t* bytes, uint32_t count);
    void* Sink;
    uint32_t UnpackedSize;  // the member's unpacked size: bytes to decode
};

struct UnpackState {
    uint32_t WritePos;
    uint32_t FlushPos;
    int64_t BytesLeft;
    uint8_t InputBuffer[InputBufferSize + InputSlack];
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
    uint32_t AudioQuick[4][1 << QuickBits];  // the audio tables' quick codes as scaled deltas
    uint8_t PreviousLengths[MaxTableSize];
    int AudioBlock;
    uint32_t AudioChannels;
    uint32_t CurrentChannel;
    int32_t ChannelDelta;
    AudioPredictor AudioPredictors[4];
    AudioHistory AudioHistories[4];
};

// Decodes one member: stream.UnpackedSize bytes into the window, handed on
// to stream.Write when it is set. Success is judged by the caller (CRC).
void UnpackMember(UnpackState& state, UnpackStream& stream);

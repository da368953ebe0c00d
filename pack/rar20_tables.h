// The fixed tables of the RAR 2.0 compression method, shared by the
// decoder (unpack.cpp) and the writer's encoder (encode.cpp).
#pragma once
#include <cstdint>

inline constexpr uint32_t WindowSize = 0x100000;  // 1 MiB sliding dictionary
inline constexpr uint32_t WindowMask = WindowSize - 1;

// Alphabet sizes: literal/length, distance, repeat-length, code-length, audio.
inline constexpr int MainSymbols = 298;
inline constexpr int DistSymbols = 48;
inline constexpr int RepLenSymbols = 28;
inline constexpr int LengthSymbols = 19;
inline constexpr int AudioSymbols = 257;
inline constexpr int LzTableSize = MainSymbols + DistSymbols + RepLenSymbols;  // 374
inline constexpr int MaxTableSize = AudioSymbols * 4;                          // 1028
inline constexpr int MaxCodeLength = 15;

// Symbols of the literal/length alphabet beyond the 256 literals.
inline constexpr int SymbolRepeatLast = 256;
inline constexpr int SymbolFirstRecent = 257;  // 257..260: the four recent distances
inline constexpr int SymbolFirstShort = 261;   // 261..268: length 2, short distance
inline constexpr int SymbolTableSwitch = 269;
inline constexpr int SymbolFirstLength = 270;  // 270..297: a new match
inline constexpr int AudioTableSwitch = 256;

// Code-length symbols: 0..15 differences, then the three run codes.
inline constexpr int RunRepeatPrevious = 16;  // 3..6 copies, 2 extra bits
inline constexpr int RunShortZeros = 17;      // 3..10 zeros, 3 extra bits
inline constexpr int RunLongZeros = 18;       // 11..138 zeros, 7 extra bits

inline constexpr uint8_t LengthBase[28] = {0,  1,  2,  3,  4,  5,  6,   7,   8,   10,
                                           12, 14, 16, 20, 24, 28, 32,  40,  48,  56,
                                           64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr uint8_t LengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                           2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr uint32_t DistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr uint8_t DistanceBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,
                                             5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
                                             11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16,
                                             16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
inline constexpr uint8_t ShortDistanceBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr uint8_t ShortDistanceBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// Length bonuses: a far match needs more bytes to pay for its distance, so
// the format adds them to the length it sends rather than spending codes.
inline uint32_t MatchLengthBonus(uint32_t distance) {
    return (distance >= 0x2000) + (distance >= 0x40000);
}
inline uint32_t RecentLengthBonus(uint32_t distance) {
    return (distance >= 0x101) + MatchLengthBonus(distance);
}

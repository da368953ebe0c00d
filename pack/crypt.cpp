#include "pack/crypt.h"

#include <zlib.h>

#include <cstring>

uint32_t CryptKey[4];
uint8_t SubstTable[256];
uint32_t CrcTable[256];

const uint8_t InitSubstTable[256] = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,
    232, 1,   177, 233, 14,  88,  219, 25,  223, 195, 244, 90,  87,  239, 153, 137,
    255, 199, 147, 70,  92,  66,  246, 13,  216, 40,  62,  29,  217, 230, 86,  6,
    71,  24,  171, 196, 101, 113, 218, 123, 93,  91,  163, 178, 202, 67,  44,  235,
    107, 250, 75,  234, 49,  167, 125, 211, 83,  114, 157, 144, 32,  193, 143, 36,
    158, 124, 247, 187, 89,  214, 141, 47,  121, 228, 61,  130, 213, 194, 174, 251,
    97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245, 63,  11,
    164, 200, 31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,
    207, 120, 189, 210, 8,   226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,
    122, 38,  155, 170, 69,  172, 252, 238, 39,  134, 59,  128, 236, 27,  240, 80,
    131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201, 133, 74,  64,  20,  129,
    224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180, 58,  10,
    118, 26,  102, 12,  50,  132, 22,  191, 136, 111, 162, 179, 45,  4,   148, 108,
    161, 56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241, 181, 190, 77,  225,
    0,   46,  169, 186, 68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,
    116, 184, 160, 96,  109, 37,  30,  106, 140, 104, 150, 5,   204, 117, 112, 84,
};

static const uint32_t StartKey[4] = {0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u};

void BuildCrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        CrcTable[n] = c;
    }
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uLong crc = crc32(0, nullptr, 0);
    for (size_t done = 0; done < size;) {
        uInt piece = size - done > 0x40000000 ? 0x40000000u : uInt(size - done);
        crc = crc32(crc, data + done, piece);
        done += piece;
    }
    return uint32_t(crc);
}

static uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

static uint32_t Subst32(uint32_t t) {
    return uint32_t(SubstTable[t & 255]) | uint32_t(SubstTable[(t >> 8) & 255]) << 8 |
           uint32_t(SubstTable[(t >> 16) & 255]) << 16 | uint32_t(SubstTable[t >> 24]) << 24;
}

static uint32_t LoadWord(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

static void StoreWord(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

static void UpdateKeys(const uint8_t* block) {
    for (int i = 0; i < 16; i += 4) {
        CryptKey[0] ^= CrcTable[block[i]];
        CryptKey[1] ^= CrcTable[block[i + 1]];
        CryptKey[2] ^= CrcTable[block[i + 2]];
        CryptKey[3] ^= CrcTable[block[i + 3]];
    }
}

// One round of the Feistel-like network; encryption runs the rounds 0..31,
// decryption the same rounds 31..0.
static void CipherRound(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, int round) {
    uint32_t key = CryptKey[round & 3];
    uint32_t ta = a ^ Subst32((c + RotateLeft(d, 11)) ^ key);
    uint32_t tb = b ^ Subst32((d ^ RotateLeft(c, 17)) + key);
    a = c;
    b = d;
    c = ta;
    d = tb;
}

static void RunRounds(uint8_t* block, bool decrypt) {
    uint32_t a = LoadWord(block) ^ CryptKey[0], b = LoadWord(block + 4) ^ CryptKey[1];
    uint32_t c = LoadWord(block + 8) ^ CryptKey[2], d = LoadWord(block + 12) ^ CryptKey[3];
    for (int r = 0; r < 32; r++) CipherRound(a, b, c, d, decrypt ? 31 - r : r);
    StoreWord(block, c ^ CryptKey[0]);
    StoreWord(block + 4, d ^ CryptKey[1]);
    StoreWord(block + 8, a ^ CryptKey[2]);
    StoreWord(block + 12, b ^ CryptKey[3]);
}

void EncryptBlock(uint8_t* block) {
    RunRounds(block, false);
    UpdateKeys(block);
}

void DecryptBlock16(uint8_t* block) {
    uint8_t cipherText[16];
    std::memcpy(cipherText, block, 16);
    RunRounds(block, true);
    UpdateKeys(cipherText);
}

void PrepareDecryption(const char* password) {
    BuildCrcTable();
    std::memcpy(CryptKey, StartKey, sizeof CryptKey);
    uint8_t p[256] = {};
    size_t length = password ? strnlen(password, 254) : 0;
    if (length) std::memcpy(p, password, length);
    std::memcpy(SubstTable, InitSubstTable, sizeof SubstTable);
    for (int j = 0; j < 256; j++) {
        for (size_t i = 0; i < length; i += 2) {
            uint32_t n1 = CrcTable[(p[i] - j) & 255] & 255;
            uint32_t n2 = CrcTable[(p[i + 1] + j) & 255] & 255;
            for (uint32_t k = 1; n1 != n2; n1 = (n1 + 1) & 255, k = (k + 1) & 255) {
                uint8_t swap = SubstTable[n1];
                SubstTable[n1] = SubstTable[(n1 + i + k) & 255];
                SubstTable[(n1 + i + k) & 255] = swap;
            }
        }
    }
    for (size_t i = 0; i < length; i += 16) EncryptBlock(p + i);
}

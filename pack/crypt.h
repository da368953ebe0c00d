// The RAR 2.0 block cipher and the CRC-32 it shares with the member check.
//
// The cipher works on 16-byte blocks (four little-endian words) and its key
// changes after every block, so a member's blocks must pass through it in
// file order. A wrong password is not detected here: the member decrypts to
// garbage and fails its CRC-32.
#pragma once
#include <cstddef>
#include <cstdint>

extern uint32_t CryptKey[4];
extern uint8_t SubstTable[256];
extern const uint8_t InitSubstTable[256];
extern uint32_t CrcTable[256];

// Fills CrcTable (reflected polynomial 0xEDB88320); cheap to call again.
void BuildCrcTable();
// The finished CRC-32 of zlib and PNG over one byte string (zlib's own
// routine: it checks every unpacked byte, so its speed counts).
uint32_t Crc32(const uint8_t* data, size_t size);

// Sets CryptKey and SubstTable for one member from a NUL-terminated
// password (at most 254 bytes are used).
void PrepareDecryption(const char* password);
void DecryptBlock16(uint8_t* block);
void EncryptBlock(uint8_t* block);

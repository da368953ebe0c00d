// The 2.0 cipher and the CRC-32 it shares with the member check.
#include <gtest/gtest.h>

#include <cstring>

#include "pack/crypt.h"
#include "pack_test_util.h"

namespace {

const uint32_t StartKey[4] = {0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u};

TEST(Crc32, MatchesTheStandardCheckValue) {
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    BuildCrcTable();
    EXPECT_EQ(CrcTable[1], 0x77073096u);
    EXPECT_EQ(CrcTable[255], 0x2D02EF8Du);
}

TEST(Cipher, EmptyPasswordKeepsTheStartState) {
    PrepareDecryption("");
    EXPECT_EQ(std::memcmp(SubstTable, InitSubstTable, 256), 0);
    EXPECT_EQ(std::memcmp(CryptKey, StartKey, sizeof StartKey), 0);
}

TEST(Cipher, InitialTableIsAPermutation) {
    bool seen[256] = {};
    for (uint8_t v : InitSubstTable) seen[v] = true;
    for (bool s : seen) EXPECT_TRUE(s);
}

TEST(Cipher, PasswordShapesTableAndKey) {
    PrepareDecryption("lark.png");
    bool seen[256] = {};
    for (uint8_t v : SubstTable) seen[v] = true;
    for (bool s : seen) EXPECT_TRUE(s);  // swaps keep it a permutation
    EXPECT_NE(std::memcmp(SubstTable, InitSubstTable, 256), 0);
    EXPECT_NE(std::memcmp(CryptKey, StartKey, sizeof StartKey), 0);
}

// The last pair of an odd password takes the terminating zero as its
// partner: "abc" is "abc\0" and nothing read behind it counts.
TEST(Cipher, OddPasswordPairsWithItsTerminator) {
    char buffer[8] = {'a', 'b', 'c', 0, 'x', 'y', 'z', 0};
    PrepareDecryption(buffer);
    uint8_t oddTable[256];
    uint32_t oddKey[4];
    std::memcpy(oddTable, SubstTable, 256);
    std::memcpy(oddKey, CryptKey, sizeof oddKey);
    PrepareDecryption("abc");
    EXPECT_EQ(std::memcmp(oddTable, SubstTable, 256), 0);
    EXPECT_EQ(std::memcmp(oddKey, CryptKey, sizeof oddKey), 0);
    PrepareDecryption("abcd");
    EXPECT_NE(std::memcmp(oddTable, SubstTable, 256), 0);
}

TEST(Cipher, DecryptUndoesEncryptAndLeavesTheSameKey) {
    for (const char* password : {"lark.png", "x", "a rather longer password of many blocks!"}) {
        PrepareDecryption(password);
        uint32_t start[4];
        std::memcpy(start, CryptKey, sizeof start);
        Bytes plain = RandomBytes(uint32_t(std::strlen(password)), 64);
        Bytes block = plain;
        for (size_t i = 0; i < block.size(); i += 16) EncryptBlock(block.data() + i);
        EXPECT_NE(block, plain);
        uint32_t afterEncrypt[4];
        std::memcpy(afterEncrypt, CryptKey, sizeof afterEncrypt);
        std::memcpy(CryptKey, start, sizeof start);
        for (size_t i = 0; i < block.size(); i += 16) DecryptBlock16(block.data() + i);
        EXPECT_EQ(block, plain) << password;
        EXPECT_EQ(std::memcmp(afterEncrypt, CryptKey, sizeof afterEncrypt), 0);
    }
}

TEST(Cipher, KeyRunsOnSoBlocksMustComeInOrder) {
    PrepareDecryption("lark.png");
    uint8_t a[16] = {}, b[16] = {};
    EncryptBlock(a);
    EncryptBlock(b);
    EXPECT_NE(std::memcmp(a, b, 16), 0);  // same plain block, other key
}

}  // namespace

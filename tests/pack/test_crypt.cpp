// The 2.0 cipher and the CRC-32 it shares with the member check. Archive
// round trips cover decryption undoing encryption; these cover what a
// writer and reader sharing one mistake would never notice.
#include <gtest/gtest.h>

#include <cstring>

#include "pack/crypt.h"

namespace {

// The key schedule runs on CrcTable.
TEST(Crc32, MatchesTheStandardCheckValues) {
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    BuildCrcTable();
    EXPECT_EQ(CrcTable[255], 0x2D02EF8Du);
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

// The key runs on from block to block, so equal plain blocks differ.
TEST(Cipher, KeyRunsOnSoBlocksMustComeInOrder) {
    PrepareDecryption("lark.png");
    uint8_t a[16] = {}, b[16] = {};
    EncryptBlock(a);
    EncryptBlock(b);
    EXPECT_NE(std::memcmp(a, b, 16), 0);
}

}  // namespace

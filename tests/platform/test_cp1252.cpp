#include <gtest/gtest.h>

#include "platform/cp1252.h"

TEST(Cp1252, HighBlockAndItsEdges) {
    EXPECT_EQ(Cp1252ToUnicode(0x41), U'A');
    EXPECT_EQ(Cp1252ToUnicode(0x7F), char32_t(0x7F));
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0xA0), char32_t(0xA0));
    EXPECT_EQ(Cp1252ToUnicode(0xFF), U'\u00FF');
}

TEST(Cp1252, UnassignedBytesKeepTheirValue) {
    for (uint8_t byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(Cp1252ToUnicode(byte), char32_t(byte));
}

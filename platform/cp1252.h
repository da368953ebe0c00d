// Windows-1252, the character set of every byte the magazine prints.
#pragma once
#include <cstdint>

// Code points of the bytes 0x80..0x9F; 0 marks the five unassigned bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D). Every other byte equals its Latin-1 code point.
extern const char32_t Cp1252HighBlock[32];

// The code point of a byte; an unassigned byte keeps its own value, as
// Windows' conversion does.
char32_t Cp1252ToUnicode(uint8_t byte);

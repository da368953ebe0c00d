#include "tools/contentgen/cp1252.h"

#include <cstdio>

namespace {

// Code points of the bytes 0x80..0x9F; 0 marks the five unassigned bytes.
// Every other byte above 0x7F equals its Latin-1 code point.
constexpr char32_t HighBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0,
};

int ByteForCodePoint(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (HighBlock[i] != 0 && HighBlock[i] == code) return 0x80 + i;
    return -1;
}

// Decodes one UTF-8 sequence at text[at]; returns its length, or 0 when the
// bytes are not well-formed (overlong forms and surrogates included).
int DecodeUtf8(std::string_view text, size_t at, char32_t& code) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

bool ConvertUtf8ToWindows1252(std::string_view utf8, std::string& out, std::string& problem) {
    int column = 1;
    for (size_t at = 0; at < utf8.size(); ++column) {
        char32_t code = 0;
        int length = DecodeUtf8(utf8, at, code);
        char message[96];
        if (length == 0) {
            std::snprintf(message, sizeof message, "malformed UTF-8 at column %d", column);
            problem = message;
            return false;
        }
        int byte = ByteForCodePoint(code);
        if (byte < 0) {
            std::snprintf(message, sizeof message, "character U+%04X at column %d has no Windows-1252 byte",
                          static_cast<unsigned>(code), column);
            problem = message;
            return false;
        }
        out.push_back(static_cast<char>(byte));
        at += length;
    }
    return true;
}

std::string ConvertWindows1252ToUtf8(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        char32_t code = byte >= 0x80 && byte < 0xA0 ? HighBlock[byte - 0x80] : byte;
        if (code == 0) code = '?';
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

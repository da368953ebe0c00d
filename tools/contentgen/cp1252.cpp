#include "tools/contentgen/cp1252.h"

#include <cstdio>

#include "platform/cp1252.h"

namespace {

// The byte table is the one the fonts are built from, so the generator can
// never accept a character that the program would draw as another.
int ByteForCodePoint(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (Cp1252HighBlock[i] != 0 && Cp1252HighBlock[i] == code) return 0x80 + i;
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
        char32_t code = byte >= 0x80 && byte < 0xA0 ? Cp1252HighBlock[byte - 0x80] : byte;
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

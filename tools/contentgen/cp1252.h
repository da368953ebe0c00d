// UTF-8 to Windows-1252, the byte encoding of the magazine's fonts.
//
// The text is edited as UTF-8, but every glyph the program can draw is one
// byte of Windows-1252. A character without a Windows-1252 byte (or a broken
// UTF-8 sequence) is refused rather than guessed at, so what the editor sees
// is what the reader gets.
#pragma once
#include <string>
#include <string_view>

// Appends the Windows-1252 bytes of utf8 to out. On failure returns false,
// leaves out unspecified and sets problem to a sentence naming the character
// and its 1-based column.
bool ConvertUtf8ToWindows1252(std::string_view utf8, std::string& out, std::string& problem);

// The reverse, for printing proofs on a UTF-8 terminal; every byte has a
// character except the five holes of 0x80..0x9F, which become '?'.
std::string ConvertWindows1252ToUtf8(std::string_view bytes);

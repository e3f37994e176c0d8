// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows-1252, the 8-bit character set of the phone suites' exports and of the
// texts Kestro shows.
#include <string>
#include <string_view>

// Each byte read as Windows-1252 and written as UTF-8 (unassigned bytes keep their code point).
std::string Cp1252ToUtf8(std::string_view s);
// The same appended to `out`.
void AppendCp1252AsUtf8(std::string_view s, std::string& out);

// The Windows-1252 byte of a code point, or -1 when the character set has none.
int Cp1252ByteOf(char32_t codePoint);

// Lower-case letter of a Windows-1252 byte (A-Z, the accented capitals, and the four
// capitals of the 0x80 row); any other byte unchanged.
unsigned char Cp1252Lower(unsigned char c);
std::string Cp1252Lower(std::string_view s);

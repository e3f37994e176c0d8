// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/Cp1252.h"

#include <cstdint>

#include "OFuncs/Utf8.h"

namespace {
// Code points of bytes 0x80..0x9F; the five unassigned bytes map to themselves.
constexpr std::uint16_t kRow80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    AppendCp1252AsUtf8(s, out);
    return out;
}

void AppendCp1252AsUtf8(std::string_view s, std::string& out) {
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) out.push_back(ch);
        else AppendAsUtf8(c < 0xA0 ? kRow80[c - 0x80] : c, out);
    }
}

int Cp1252ByteOf(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
    for (int b = 0; b < 32; ++b)
        if (kRow80[b] == codePoint) return 0x80 + b;
    return -1;
}

unsigned char Cp1252Lower(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
        case 0x8A: return 0x9A;  // S caron
        case 0x8C: return 0x9C;  // OE
        case 0x8E: return 0x9E;  // Z caron
        case 0x9F: return 0xFF;  // Y diaeresis
        default: return c;
    }
}

std::string Cp1252Lower(std::string_view s) {
    std::string out(s);
    for (char& ch : out) ch = static_cast<char>(Cp1252Lower(static_cast<unsigned char>(ch)));
    return out;
}

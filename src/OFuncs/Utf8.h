// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing UTF-8 one character at a time.
#include <cstddef>
#include <string>
#include <string_view>

inline bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Length (1 to 4) of the well-formed UTF-8 sequence that starts at s[i], or 0 when none
// does: a stray continuation byte, an overlong form, a surrogate, a code point above
// U+10FFFF or a sequence cut short by the end of s.
inline std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = at(i);
    if (b0 < 0x80) return 1;
    const std::size_t left = s.size() - i;
    const auto inRange = [&](std::size_t k, unsigned char lo, unsigned char hi) {
        return at(i + k) >= lo && at(i + k) <= hi;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF) return left >= 2 && inRange(1, 0x80, 0xBF) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3) return 0;
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;  // no overlong form
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;  // no surrogate
        return inRange(1, lo, hi) && inRange(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4) return 0;
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;  // no overlong form
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
        return inRange(1, lo, hi) && inRange(2, 0x80, 0xBF) && inRange(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// The code point of the well-formed sequence of `length` bytes at s[i].
inline char32_t DecodeUtf8At(std::string_view s, std::size_t i, std::size_t length) {
    const auto at = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
    switch (length) {
        case 1: return at(0);
        case 2: return ((at(0) & 0x1F) << 6) | (at(1) & 0x3F);
        case 3: return ((at(0) & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F);
        case 4: return ((at(0) & 0x07) << 18) | ((at(1) & 0x3F) << 12) | ((at(2) & 0x3F) << 6) | (at(3) & 0x3F);
        default: return 0xFFFD;
    }
}

// Appends the UTF-8 form of code point c (below U+110000).
inline void AppendAsUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

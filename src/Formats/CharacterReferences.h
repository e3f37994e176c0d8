// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the phones' backups write as character references ("&#55357;", "&#x1F600;") and the
// two filters that repair them (the reader's and the merge's) both need to know.
#include <cstdint>
#include <string_view>

namespace CharacterReferences {
constexpr std::uint32_t Replacement = 0xFFFD;
constexpr std::uint32_t NoCharacter = 0x110000;  // any value past the last character
// Longer references (leading zeros) are passed on as they are, for the parser to judge.
constexpr std::size_t LongestReference = 32;

constexpr bool IsHigh(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLow(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
constexpr bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool IsDroppedControl(std::uint32_t c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// The character a complete "&#...;" or "&#x...;" names; NoCharacter past the last one.
constexpr std::uint32_t ReferenceValue(std::string_view ref) {
    const bool hex = ref[2] == 'x' || ref[2] == 'X';
    std::uint32_t v = 0;
    for (std::size_t i = hex ? 3 : 2; i + 1 < ref.size(); ++i) {
        const char c = ref[i];
        const std::uint32_t digit = IsDigit(c) ? std::uint32_t(c - '0') : std::uint32_t((c | 0x20) - 'a' + 10);
        v = v * (hex ? 16 : 10) + digit;
        if (v >= NoCharacter) return NoCharacter;
    }
    return v;
}
}  // namespace CharacterReferences

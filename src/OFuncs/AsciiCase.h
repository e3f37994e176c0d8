// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Comparing names that formats spell in any letter case (keys, content types, file endings,
// format words): ASCII letters only, whatever the user's locale, as those formats define.
#include <algorithm>
#include <string_view>

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool SameAsciiNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

inline bool StartsWithAsciiNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameAsciiNoCase(s.substr(0, prefix.size()), prefix);
}

inline bool EndsWithAsciiNoCase(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && SameAsciiNoCase(s.substr(s.size() - tail.size()), tail);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text of fixed capacity N: a length 0..N and up to N 8-bit characters.
// Longer values are cut to their first N characters. Ordering is byte-wise on
// unsigned values with a prefix before the longer text (std::string_view
// compares through char_traits<char>, which compares as unsigned char).
#include <algorithm>
#include <compare>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t N>
struct ShortStr {
    static_assert(N > 0 && N < 256, "the length must fit one byte");
    static constexpr std::size_t Capacity = N;

    std::uint8_t Len = 0;
    char Chars[N] = {};

    ShortStr() = default;
    ShortStr(std::string_view v) { assign(v); }  // NOLINT: implicit by design
    ShortStr& operator=(std::string_view v) { assign(v); return *this; }

    // Bytes past the length are kept zero so images written to files are deterministic.
    void assign(std::string_view v) {
        Len = static_cast<std::uint8_t>(std::min(v.size(), N));
        if (Len) std::memcpy(Chars, v.data(), Len);
        std::memset(Chars + Len, 0, N - Len);
    }
    void clear() { assign({}); }

    std::string_view view() const { return {Chars, Len}; }
    std::string str() const { return std::string(view()); }
    bool empty() const { return Len == 0; }
    std::size_t size() const { return Len; }

    friend bool operator==(const ShortStr& a, const ShortStr& b) { return a.view() == b.view(); }
    friend std::strong_ordering operator<=>(const ShortStr& a, const ShortStr& b) {
        return a.view() <=> b.view();
    }
    friend bool operator==(const ShortStr& a, std::string_view b) { return a.view() == b; }
};

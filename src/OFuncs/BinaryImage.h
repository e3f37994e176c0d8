// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian numbers and short-text images (a length byte, then N character bytes)
// as the program's binary files lay them out.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "OFuncs/ShortText.h"

inline void PutLE16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

inline void PutLE32(std::string& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline std::uint16_t GetLE16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::int32_t GetLE32(const unsigned char* p) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(v);
}

// The same into place, for writers that size their output first.
inline void StoreLE16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreLE32(unsigned char* p, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}
// The N + 1 byte image into place: short texts keep zeros past their length, so the whole
// array is the image's characters.
template <std::size_t N>
void StoreImage(unsigned char* p, const ShortStr<N>& s) {
    p[0] = static_cast<unsigned char>(std::min<std::size_t>(s.Len, N));
    std::memcpy(p + 1, s.Chars, N);
}

// The N + 1 byte image of a short text; the bytes after the characters are zero.
template <std::size_t N>
void PutImage(std::string& out, const ShortStr<N>& s) {
    const std::size_t len = std::min<std::size_t>(s.Len, N);
    out.push_back(static_cast<char>(len));
    out.append(s.Chars, len);
    out.append(N - len, '\0');
}

// Reads an image; a length byte above the capacity is taken as the capacity.
template <std::size_t N>
void GetImage(ShortStr<N>& s, const unsigned char* image) {
    const std::size_t len = std::min<std::size_t>(image[0], N);
    // The whole image at once, bytes past the length zeroed (a file may hold anything there).
    std::memcpy(s.Chars, image + 1, N);
    std::memset(s.Chars + len, 0, N - len);
    s.Len = static_cast<std::uint8_t>(len);
}

// Exclusive-or of every byte of a run with mask, eight bytes at a time.
inline void XorBytes(char* p, std::size_t n, std::uint8_t mask) {
    const std::uint64_t wide = 0x0101010101010101ull * mask;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        word ^= wide;
        std::memcpy(p + i, &word, 8);
    }
    for (; i < n; ++i) p[i] = static_cast<char>(static_cast<unsigned char>(p[i]) ^ mask);
}

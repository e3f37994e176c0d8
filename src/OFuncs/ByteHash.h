// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fast 64-bit hash of byte strings for the tables that find equal messages. Eight bytes
// at a time through a 64 x 64 -> 128-bit multiply folded to 64 bits, which mixes every
// input bit into the low bits the tables index with. Not for anything that must resist
// chosen inputs: a collision only costs a comparison.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace bytehash {

constexpr std::uint64_t K0 = 0xa0761d6478bd642fULL, K1 = 0xe7037ed1a0b428dbULL, K2 = 0x8ebc6af09c88c6e3ULL;

inline std::uint64_t Fold(std::uint64_t a, std::uint64_t b) {
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

inline std::uint64_t Load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

}  // namespace bytehash

// The hash of `bytes` continuing from `seed` (the hash of what came before, or 0), so that
// several fields hash as one key; the length takes part, so ("ab","c") and ("a","bc") differ.
inline std::uint64_t HashBytes(std::string_view bytes, std::uint64_t seed = 0) {
    using namespace bytehash;
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    std::uint64_t h = Fold(seed ^ K0, n ^ K1);
    for (; n >= 16; p += 16, n -= 16) h = Fold(Load8(p) ^ K1, Load8(p + 8) ^ h);
    std::uint64_t a = 0, b = 0;
    if (n >= 8) {
        a = Load8(p);
        b = Load8(p + n - 8);  // overlaps a when n < 16: still a function of the bytes and n
    } else if (n > 0) {
        std::memcpy(&a, p, n);
    }
    return Fold(a ^ K2 ^ h, b ^ K0 ^ (h >> 32) ^ n);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/Base64.h"

#include <array>

namespace {
constexpr std::uint32_t Bad = 0x01000000;
constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of a character shifted to its place in a group of four; Bad for no character
// of the alphabet.
struct Tables {
    std::array<std::uint32_t, 256> At[4];
};
constexpr Tables MakeTables() {
    Tables t{};
    for (auto& table : t.At) table.fill(Bad);
    for (std::uint32_t i = 0; i < 64; ++i)
        for (int k = 0; k < 4; ++k) t.At[k][static_cast<unsigned char>(Alphabet[i])] = i << (18 - 6 * k);
    return t;
}
constexpr Tables Table = MakeTables();

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

inline std::uint32_t Group(const unsigned char* p) {
    return Table.At[0][p[0]] | Table.At[1][p[1]] | Table.At[2][p[2]] | Table.At[3][p[3]];
}
inline void Put(std::uint32_t g, unsigned char* out) {
    out[0] = static_cast<unsigned char>(g >> 16);
    out[1] = static_cast<unsigned char>(g >> 8);
    out[2] = static_cast<unsigned char>(g);
}
}  // namespace

std::size_t Base64Decoder::Decode(std::string_view in, unsigned char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const unsigned char* const end = p + in.size();
    unsigned char* const start = out;
    while (p < end) {
        if (damaged_) return static_cast<std::size_t>(out - start);
        // Whole groups of plain characters, eight at a time while the group is closed.
        if (count_ == 0 && padding_ == 0) {
            while (end - p >= 8) {
                const std::uint32_t a = Group(p), b = Group(p + 4);
                if ((a | b) & Bad) break;
                Put(a, out);
                Put(b, out + 3);
                out += 6;
                p += 8;
            }
            if (end - p >= 4) {
                if (const std::uint32_t a = Group(p); !(a & Bad)) {
                    Put(a, out);
                    out += 3;
                    p += 4;
                    continue;
                }
            }
        }
        // A character at a time until a group closes: white space, padding, a group
        // across pieces, damage.
        out += Slow(p, end, out);
    }
    return static_cast<std::size_t>(out - start);
}

std::size_t Base64Decoder::Slow(const unsigned char*& p, const unsigned char* end, unsigned char* out) {
    unsigned char* const start = out;
    while (p < end && !damaged_) {
        const unsigned char c = *p++;
        if (IsSpace(c)) continue;
        if (c == '=') {
            // Padding completes a group of two or three characters.
            if (count_ + padding_ < 2 || count_ + padding_ >= 4) {
                damaged_ = true;
                break;
            }
            ++padding_;
            continue;
        }
        const std::uint32_t v = Table.At[3][c];
        if ((v & Bad) || padding_ > 0) {
            damaged_ = true;
            break;
        }
        group_ = (group_ << 6) | v;
        if (++count_ == 4) {
            Put(group_, out);
            out += 3;
            group_ = 0;
            count_ = 0;
            break;  // back to whole groups
        }
    }
    // A padded group is complete once its padding is (and only once: white space may
    // follow in a later piece).
    if (padding_ > 0 && padding_ < 4 && count_ + padding_ == 4) {
        const std::uint32_t g = group_ << (6 * padding_);
        out[0] = static_cast<unsigned char>(g >> 16);
        if (count_ == 3) out[1] = static_cast<unsigned char>(g >> 8);
        out += count_ - 1;
        count_ = 0;
        padding_ = 4;  // nothing may follow
    }
    return static_cast<std::size_t>(out - start);
}

std::size_t Base64Decoder::Finish(unsigned char* out) {
    if (damaged_) return 0;
    if (padding_ == 4 || count_ == 0) {
        if (padding_ > 0 && padding_ < 4) damaged_ = true;  // padding cut short
        return 0;
    }
    if (count_ == 1 || padding_ > 0) {
        damaged_ = true;
        return 0;
    }
    const std::uint32_t g = group_ << (6 * (4 - count_));
    out[0] = static_cast<unsigned char>(g >> 16);
    if (count_ == 3) out[1] = static_cast<unsigned char>(g >> 8);
    const std::size_t n = static_cast<std::size_t>(count_ - 1);
    count_ = 0;
    return n;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/CaseFold.h"

#include <unicode/ucasemap.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "OFuncs/Cp1252.h"
#include "OFuncs/Utf8.h"

namespace {

// Folding has no context: a text folds to the folding of each character in turn. So the
// folding of every character ICU is asked about is kept, in pages of 256 code points made
// on first use, and a search folds thousands of texts without calling ICU per text.
struct Folded {
    unsigned char Len = 0;  // a single character folds to at most 6 bytes (U+0390)
    char Bytes[7] = {};
};
using FoldPage = std::array<Folded, 256>;

const UCaseMap* CaseMap() {
    static const std::unique_ptr<UCaseMap, void (*)(UCaseMap*)> map = [] {
        UErrorCode error = U_ZERO_ERROR;
        return std::unique_ptr<UCaseMap, void (*)(UCaseMap*)>(ucasemap_open("", U_FOLD_CASE_DEFAULT, &error),
                                                              &ucasemap_close);
    }();
    return map.get();
}

std::unique_ptr<FoldPage> MakePage(char32_t first) {
    auto page = std::make_unique<FoldPage>();
    std::string one;
    for (char32_t k = 0; k < 256; ++k) {
        const char32_t c = first + k;
        one.clear();
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // no character: never looked up
        AppendAsUtf8(c, one);
        Folded& f = (*page)[k];
        UErrorCode error = U_ZERO_ERROR;
        const int32_t length = ucasemap_utf8FoldCase(CaseMap(), f.Bytes, sizeof f.Bytes, one.data(),
                                                     static_cast<int32_t>(one.size()), &error);
        if (U_FAILURE(error) || length < 0 || length > 6) {
            f.Len = static_cast<unsigned char>(one.size());  // unfolded rather than lost
            one.copy(f.Bytes, one.size());
        } else {
            f.Len = static_cast<unsigned char>(length);
        }
    }
    return page;
}

const Folded& FoldingOf(char32_t c) {
    static std::array<std::unique_ptr<FoldPage>, 0x110000 / 256> pages;
    std::unique_ptr<FoldPage>& page = pages[c >> 8];
    if (!page) page = MakePage(c & ~char32_t{0xFF});
    return (*page)[c & 0xFF];
}

// The folding of each Windows-1252 byte's character.
const std::array<Folded, 256>& Cp1252Folding() {
    static const std::array<Folded, 256> table = [] {
        std::array<Folded, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const std::string utf8 = Cp1252ToUtf8(std::string_view(&byte, 1));
            const std::size_t length = Utf8SequenceLength(utf8, 0);
            t[static_cast<std::size_t>(b)] = FoldingOf(DecodeUtf8At(utf8, 0, length));
        }
        return t;
    }();
    return table;
}

// The folding of every two-byte character (U+0080..U+07FF: Latin, Greek, Cyrillic,
// Hebrew, Arabic ...) in one flat table, indexed by the character's eleven bits.
const std::array<Folded, 0x800>& TwoByteFolding() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<Folded, 0x800>>();
        for (char32_t c = 0x80; c < 0x800; ++c) (*t)[c] = FoldingOf(c);
        return t;
    }();
    return *table;
}

// Eight ASCII bytes with A-Z made a-z: 0x20 is added where a byte lies in 'A'..'Z'.
inline std::uint64_t LowerAscii8(std::uint64_t block) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
    const std::uint64_t atLeastA = block + ones * (0x80 - 'A');
    const std::uint64_t aboveZ = block + ones * (0x80 - 'Z' - 1);
    return block | (((atLeastA & ~aboveZ) & high) >> 2);
}

// A buffer of enough room for any folding of `size` bytes (a byte never becomes more than
// three), with slack for writing a whole Folded record at the end.
char* Room(std::string& out, std::size_t size) {
    out.resize(size * 3 + sizeof(Folded));
    return out.data();
}

inline char* Put(char* dst, const Folded& f) {
    std::memcpy(dst, f.Bytes, sizeof f.Bytes);
    return dst + f.Len;
}

// Folds UTF-8 into dst. At a byte that starts no well-formed character: keeps it when
// `keepStrayBytes`, otherwise stops and gives nullptr.
char* FoldUtf8(std::string_view s, char* dst, bool keepStrayBytes) {
    const std::array<Folded, 0x800>& twoByte = TwoByteFolding();
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t block;
            std::memcpy(&block, s.data() + i, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                block = LowerAscii8(block);
                std::memcpy(dst, &block, 8);
                dst += 8;
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            *dst++ = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF && i + 1 < n && IsUtf8Continuation(s[i + 1])) {
            dst = Put(dst, twoByte[((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu)]);
            i += 2;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(s, i);
        if (length == 0) {
            if (!keepStrayBytes) return nullptr;
            *dst++ = s[i++];
            continue;
        }
        dst = Put(dst, FoldingOf(DecodeUtf8At(s, i, length)));
        i += length;
    }
    return dst;
}

// Folds a message text that is not UTF-8: its display form read as Windows-1252. The five
// pairs of the display form stand for the letters of the bytes C4, D6, E4, F6 and E5.
char* FoldCp1252Message(std::string_view s, char* dst) {
    const std::array<Folded, 256>& fold = Cp1252Folding();
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b == 0xC3 && i + 1 < s.size()) {
            switch (static_cast<unsigned char>(s[i + 1])) {
                case 0x84: b = 0xC4; ++i; break;
                case 0x96: b = 0xD6; ++i; break;
                case 0xA4: b = 0xE4; ++i; break;
                case 0xB6: b = 0xF6; ++i; break;
                case 0xA5: b = 0xE5; ++i; break;
                default: break;
            }
        }
        dst = Put(dst, fold[b]);
    }
    return dst;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out;
    FoldCaseInto(utf8, out);
    return out;
}

void FoldCaseInto(std::string_view utf8, std::string& out) {
    char* const start = Room(out, utf8.size());
    out.resize(static_cast<std::size_t>(FoldUtf8(utf8, start, true) - start));
}

void FoldShownMessageInto(std::string_view stored, std::string& out) {
    char* const start = Room(out, stored.size());
    char* end = FoldUtf8(stored, start, false);
    if (!end) end = FoldCp1252Message(stored, start);
    out.resize(static_cast<std::size_t>(end - start));
}

void FoldCaseMapped(std::string_view utf8, std::string& out, std::vector<std::size_t>& origin) {
    // Character by character, unlike the search's folding: only the texts on screen are
    // mapped, and the map needs each character's own folding.
    out.clear();
    origin.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = Utf8SequenceLength(utf8, i);
        const std::size_t before = out.size();
        if (length == 0) {
            out += utf8[i];
        } else {
            const Folded& f = FoldingOf(DecodeUtf8At(utf8, i, length));
            out.append(f.Bytes, f.Len);
        }
        origin.insert(origin.end(), out.size() - before, i);
        i += length == 0 ? 1 : length;
    }
    origin.push_back(utf8.size());
}

#include "OFuncs/CaseFold.h"

#include <unicode/ucasemap.h>

#include <array>
#include <memory>

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

void AppendAsUtf8(char32_t c, std::string& out) {
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

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out;
    FoldCaseInto(utf8, out);
    return out;
}

void FoldCaseInto(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size() + utf8.size() / 8);
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(b >= 'A' && b <= 'Z' ? static_cast<char>(b + 0x20) : static_cast<char>(b));
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(utf8, i);
        if (length == 0) {
            out.push_back(utf8[i++]);
            continue;
        }
        const Folded& f = FoldingOf(DecodeUtf8At(utf8, i, length));
        out.append(f.Bytes, f.Len);
        i += length;
    }
}

#include "OFuncs/CharCount.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <array>
#include <bitset>
#include <memory>

#include "OFuncs/DisplayText.h"
#include "OFuncs/Utf8.h"

namespace {

// A character that neither joins the one before it nor the one after it: every character
// of a text of these alone is a cluster of its own (apart from CR LF).
using StandAlonePage = std::bitset<256>;

std::unique_ptr<StandAlonePage> MakePage(char32_t first) {
    auto page = std::make_unique<StandAlonePage>();
    for (char32_t k = 0; k < 256; ++k) {
        const auto c = static_cast<UChar32>(first + k);
        switch (u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK)) {
            case U_GCB_OTHER: case U_GCB_CONTROL: case U_GCB_CR: case U_GCB_LF: page->set(k); break;
            default: break;
        }
    }
    return page;
}

bool StandsAlone(char32_t c) {
    static std::array<std::unique_ptr<StandAlonePage>, 0x110000 / 256> pages;
    std::unique_ptr<StandAlonePage>& page = pages[c >> 8];
    if (!page) page = MakePage(c & ~char32_t{0xFF});
    return page->test(c & 0xFF);
}

std::int32_t CountCrLf(std::string_view text) {
    std::int32_t pairs = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string_view::npos; p = text.find("\r\n", p + 2)) ++pairs;
    return pairs;
}

// Grapheme clusters as ICU's character break iterator finds them.
std::int32_t CountClusters(std::string_view utf8) {
    static const std::unique_ptr<UBreakIterator, void (*)(UBreakIterator*)> iterator = [] {
        UErrorCode error = U_ZERO_ERROR;
        return std::unique_ptr<UBreakIterator, void (*)(UBreakIterator*)>(
            ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &error), &ubrk_close);
    }();
    UErrorCode error = U_ZERO_ERROR;
    UText* text = utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &error);
    ubrk_setUText(iterator.get(), text, &error);
    std::int32_t clusters = 0;
    if (U_SUCCESS(error)) {
        ubrk_first(iterator.get());
        while (ubrk_next(iterator.get()) != UBRK_DONE) ++clusters;
    }
    // The iterator keeps no reference to the text past this call.
    static const UChar nothing[1] = {0};
    UErrorCode ignored = U_ZERO_ERROR;
    ubrk_setText(iterator.get(), nothing, 0, &ignored);
    utext_close(text);
    return clusters;
}

// Bytes of the display form: each of the five pairs that it shortens counts once.
std::int32_t DisplayFormLength(std::string_view stored) {
    auto length = static_cast<std::int32_t>(stored.size());
    for (std::size_t p = stored.find('\xC3'); p != std::string_view::npos && p + 1 < stored.size();
         p = stored.find('\xC3', p + 1)) {
        switch (static_cast<unsigned char>(stored[p + 1])) {
            case 0x84: case 0x96: case 0xA4: case 0xB6: case 0xA5: --length; ++p; break;
            default: break;
        }
    }
    return length;
}

}  // namespace

std::int32_t DisplayCharCount(std::string_view stored) {
    if (!IsValidUtf8(stored)) return DisplayFormLength(stored);
    std::int32_t characters = 0;
    for (std::size_t i = 0; i < stored.size();) {
        const auto b = static_cast<unsigned char>(stored[i]);
        if (b < 0x80) {
            ++characters;
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(stored, i);
        if (!StandsAlone(DecodeUtf8At(stored, i, length))) return CountClusters(stored) + CountCrLf(stored);
        ++characters;
        i += length;
    }
    return characters;
}

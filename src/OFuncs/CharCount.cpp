// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/CharCount.h"

#include <unicode/uchar.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "OFuncs/Utf8.h"

namespace {

// The two properties that decide where a character ends, as ICU gives them: the
// Grapheme_Cluster_Break value in the low bits and Extended_Pictographic as the top bit.
constexpr std::uint8_t Pictographic = 0x80;
using PropertyPage = std::array<std::uint8_t, 256>;

std::unique_ptr<PropertyPage> MakePage(char32_t first) {
    auto page = std::make_unique<PropertyPage>();
    for (char32_t k = 0; k < 256; ++k) {
        const auto c = static_cast<UChar32>(first + k);
        auto value = static_cast<std::uint8_t>(u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK));
        if (u_hasBinaryProperty(c, UCHAR_EXTENDED_PICTOGRAPHIC)) value |= Pictographic;
        (*page)[k] = value;
    }
    return page;
}

std::uint8_t PropertiesOf(char32_t c) {
    static std::array<std::unique_ptr<PropertyPage>, 0x110000 / 256> pages;
    std::unique_ptr<PropertyPage>& page = pages[c >> 8];
    if (!page) page = MakePage(c & ~char32_t{0xFF});
    return (*page)[c & 0xFF];
}

// Counts extended grapheme clusters, one character at a time, with the rules of Unicode's
// text segmentation (GB4 to GB13) over ICU's properties; CR LF is not joined (GB3), since
// a line break counts as two in every text.
class ClusterCounter {
public:
    void Add(std::uint8_t properties) {
        // Most characters: an ordinary one after anything but a prepended mark starts a
        // cluster and clears every run.
        if (properties == U_GCB_OTHER && !first_ && previous_ != U_GCB_PREPEND) {
            ++count_;
            previous_ = U_GCB_OTHER;
            pictographRun_ = zwjAfterPictograph_ = false;
            regionalRun_ = 0;
            return;
        }
        AddByTheRules(properties);
    }
    // Printable ASCII characters after one added with Add: each one is a cluster.
    void AddPrintableAscii(int n) {
        count_ += n;
        previous_ = U_GCB_OTHER;
        pictographRun_ = zwjAfterPictograph_ = false;
        regionalRun_ = 0;
    }
    std::int32_t Count() const { return count_; }

private:
    void AddByTheRules(std::uint8_t properties) {
        const int g = properties & 0x1F;
        const bool pictographic = (properties & Pictographic) != 0;
        if (first_ || Breaks(g, pictographic)) ++count_;
        first_ = false;
        // GB11 state: a pictograph followed by Extend characters, then a joiner.
        zwjAfterPictograph_ = g == U_GCB_ZWJ && pictographRun_;
        if (pictographic) pictographRun_ = true;
        else if (g != U_GCB_EXTEND) pictographRun_ = false;
        regionalRun_ = g == U_GCB_REGIONAL_INDICATOR ? regionalRun_ + 1 : 0;
        previous_ = g;
    }
    bool Breaks(int g, bool pictographic) const {
        const int p = previous_;
        const auto isControl = [](int v) { return v == U_GCB_CONTROL || v == U_GCB_CR || v == U_GCB_LF; };
        if (isControl(p) || isControl(g)) return true;                                              // GB4, GB5
        if (p == U_GCB_L && (g == U_GCB_L || g == U_GCB_V || g == U_GCB_LV || g == U_GCB_LVT)) return false;  // GB6
        if ((p == U_GCB_LV || p == U_GCB_V) && (g == U_GCB_V || g == U_GCB_T)) return false;        // GB7
        if ((p == U_GCB_LVT || p == U_GCB_T) && g == U_GCB_T) return false;                         // GB8
        if (g == U_GCB_EXTEND || g == U_GCB_ZWJ || g == U_GCB_SPACING_MARK) return false;           // GB9, GB9a
        if (p == U_GCB_PREPEND) return false;                                                       // GB9b
        if (p == U_GCB_ZWJ && pictographic && zwjAfterPictograph_) return false;                    // GB11
        if (p == U_GCB_REGIONAL_INDICATOR && g == U_GCB_REGIONAL_INDICATOR && regionalRun_ % 2 == 1)
            return false;                                                                           // GB12, GB13
        return true;                                                                                // GB999
    }

    std::int32_t count_ = 0;
    bool first_ = true;
    int previous_ = U_GCB_OTHER;
    bool pictographRun_ = false, zwjAfterPictograph_ = false;
    int regionalRun_ = 0;
};

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
    // The properties of every character below U+0800 (Latin, Greek, Cyrillic ...) at hand.
    static const std::array<std::uint8_t, 0x800> twoByte = [] {
        std::array<std::uint8_t, 0x800> t{};
        for (char32_t c = 0; c < 0x800; ++c) t[c] = PropertiesOf(c);
        return t;
    }();
    ClusterCounter clusters;
    const std::size_t n = stored.size();
    for (std::size_t i = 0; i < n;) {
        // Eight printable ASCII bytes: the first follows the rules, the others stand alone.
        if (i + 8 <= n) {
            std::uint64_t block;
            std::memcpy(&block, stored.data() + i, 8);
            constexpr std::uint64_t ones = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
            const std::uint64_t control = (block - ones * 0x20) | (block + ones);  // below 0x20, or 0x7F
            if (((block | control) & high) == 0) {
                clusters.Add(twoByte[static_cast<unsigned char>(stored[i])]);
                clusters.AddPrintableAscii(7);
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(stored[i]);
        if (b < 0x80) {
            clusters.Add(twoByte[b]);
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF && i + 1 < n && IsUtf8Continuation(stored[i + 1])) {
            clusters.Add(twoByte[((b & 0x1Fu) << 6) | (static_cast<unsigned char>(stored[i + 1]) & 0x3Fu)]);
            i += 2;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(stored, i);
        if (length == 0) return DisplayFormLength(stored);  // not UTF-8
        clusters.Add(PropertiesOf(DecodeUtf8At(stored, i, length)));
        i += length;
    }
    return clusters.Count();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/TextOps.h"

#include <algorithm>
#include <array>

#include "OFuncs/FindByte.h"

std::string ReplaceAll(std::string_view from, std::string_view to, std::string s) {
    if (from.empty() || to.find(from) != std::string_view::npos) return s;
    if (s.find(from) == std::string::npos) return s;
    // Linear equivalent of "replace the leftmost occurrence, then search again from the
    // start": `out` never holds an occurrence, and the first occurrence to appear while
    // bytes are pushed onto it is the leftmost one of the whole text. A replacement's
    // bytes go back onto the input, since they may complete an occurrence with what
    // precedes them.
    //
    // A replacement may recreate the pattern with what precedes it ("ab" by "bbaa" in
    // "aab") so that the replacing never ends, or ends only after growing the text
    // exponentially ("ab" by "bba" in "aaaaab"). The replacements happen in the same order
    // as the literal procedure's, so the size after each one is the literal text's size
    // then: past the size or step bound, the text is left as it was.
    const std::size_t maxSize = ReplaceAllMaxSize(s.size());
    const std::size_t maxSteps = ReplaceAllMaxSteps(s.size());
    std::size_t replacements = 0;
    std::string out;
    out.reserve(s.size());
    std::string pending;  // bytes of replacements still to be pushed, in reverse order
    std::size_t next = 0;
    while (!pending.empty() || next < s.size()) {
        if (!pending.empty()) {
            out.push_back(pending.back());
            pending.pop_back();
        } else {
            out.push_back(s[next++]);
        }
        if (out.size() >= from.size() &&
            std::string_view(out).substr(out.size() - from.size()) == from) {
            out.resize(out.size() - from.size());
            pending.append(to.rbegin(), to.rend());
            const std::size_t size = out.size() + pending.size() + (s.size() - next);
            if (size > maxSize || ++replacements > maxSteps) return s;
        }
    }
    return out;
}

std::optional<std::pair<std::string_view, std::string_view>> SplitAt(std::string_view s,
                                                                     std::string_view d) {
    if (s.empty() || d.empty()) return std::nullopt;
    const std::size_t p = d.size() == 1 ? FindByte(s, d[0], 0) : s.find(d);
    if (p == std::string_view::npos) return std::nullopt;
    return std::make_pair(s.substr(0, p), s.substr(p + d.size()));
}

std::optional<std::pair<std::string_view, std::string_view>> NextQuotedField(std::string_view s) {
    const std::size_t open = FindByte(s, '"', 0);
    if (open == std::string_view::npos || open + 1 >= s.size()) return std::nullopt;
    const std::size_t close = FindByte(s, '"', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return std::make_pair(s.substr(open + 1, close - open - 1), s.substr(close + 1));
}

std::string NormaliseText(std::string_view text) {
    std::string out;
    NormaliseTextInto(text, out);
    return out;
}

void NormaliseTextInto(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    // One left-to-right pass equals the five successive replacements: no replacement
    // byte is C3 or a pattern's second byte, so none can create another pattern.
    // The bytes between two C3 bytes are copied as one block.
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t lead = text.find('\xC3', i);
        if (lead == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, lead - i));
        unsigned char latin = 0;
        if (lead + 1 < text.size()) {
            switch (static_cast<unsigned char>(text[lead + 1])) {
                case 0x84: latin = 0xC4; break;
                case 0x96: latin = 0xD6; break;
                case 0xA4: latin = 0xE4; break;
                case 0xB6: latin = 0xF6; break;
                case 0xA5: latin = 0xE5; break;
                default: break;
            }
        }
        out.push_back(latin ? static_cast<char>(latin) : text[lead]);
        i = lead + (latin ? 2 : 1);
    }
}

int CountWords(std::string_view text) {
    static constexpr auto separators = [] {
        std::array<bool, 256> t{};
        for (const unsigned char c : {' ', '.', ',', ';', '!', '?', '+', '-', '"'}) t[c] = true;
        return t;
    }();
    // A word starts at each byte that is no separator and follows one (or the start).
    // Every separator is ASCII, so a UTF-8 letter's bytes never split a word, and the
    // display form (NormaliseText) of a text has the same words as the text.
    int words = 0;
    bool afterSeparator = true;
    for (const char ch : text) {
        const bool separator = separators[static_cast<unsigned char>(ch)];
        words += afterSeparator && !separator;
        afterSeparator = separator;
    }
    return words == 0 ? 1 : words;
}

std::string RemoveControlChars(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s)
        if (static_cast<unsigned char>(ch) >= 32) out.push_back(ch);
    return out;
}

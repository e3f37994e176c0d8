// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/WholeCharacters.h"

#include <algorithm>

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Bytes of the sequence a lead byte announces; 0 for a byte that leads none.
std::size_t SequenceLength(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::string_view CutToWholeCharacters(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    // Only the last three bytes before the cut can begin a sequence that crosses it.
    for (std::size_t back = 1; back <= 3 && back <= maxBytes; ++back) {
        const std::size_t lead = maxBytes - back;
        const auto b = static_cast<unsigned char>(text[lead]);
        if (!IsContinuation(b)) {
            const std::size_t length = SequenceLength(b);
            if (length <= back) break;  // ends before the cut (or is a single byte)
            // A real sequence: every byte after the lead, as far as the text goes, continues it.
            const std::size_t end = std::min(lead + length, text.size());
            for (std::size_t i = lead + 1; i < end; ++i)
                if (!IsContinuation(static_cast<unsigned char>(text[i]))) return text.substr(0, maxBytes);
            return text.substr(0, lead);
        }
    }
    return text.substr(0, maxBytes);
}

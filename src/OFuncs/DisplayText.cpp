// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/DisplayText.h"

#include <cstdint>
#include <cstring>

#include "OFuncs/Cp1252.h"
#include "OFuncs/Utf8.h"

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        // Eight ASCII bytes at a time: most texts are mostly ASCII.
        if (i + 8 <= n) {
            std::uint64_t block;
            std::memcpy(&block, bytes.data() + i, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string DisplayUtf8(std::string_view stored) {
    if (IsValidUtf8(stored)) return std::string(stored);
    return Cp1252ToUtf8(stored);
}

std::string DisplayMessageUtf8(std::string_view stored) {
    std::string out;
    DisplayMessageUtf8Into(stored, out);
    return out;
}

void DisplayMessageUtf8Into(std::string_view stored, std::string& out) {
    out.clear();
    if (IsValidUtf8(stored)) {
        out.assign(stored);
        return;
    }
    out.reserve(stored.size() + stored.size() / 2);
    // The display form turns the five pairs C3 84, C3 96, C3 A4, C3 B6, C3 A5 into the
    // Latin-1 bytes C4, D6, E4, F6, E5, whose UTF-8 is that same pair: so the pairs are
    // copied as they are and every other byte is read as Windows-1252. Pairs are taken
    // left to right, as the display form takes them.
    std::size_t i = 0;
    while (i < stored.size()) {
        const std::size_t lead = stored.find('\xC3', i);
        if (lead == std::string_view::npos) {
            AppendCp1252AsUtf8(stored.substr(i), out);
            break;
        }
        AppendCp1252AsUtf8(stored.substr(i, lead - i), out);
        bool pair = false;
        if (lead + 1 < stored.size()) {
            switch (static_cast<unsigned char>(stored[lead + 1])) {
                case 0x84: case 0x96: case 0xA4: case 0xB6: case 0xA5: pair = true; break;
                default: break;
            }
        }
        if (pair) {
            out.append(stored.substr(lead, 2));
            i = lead + 2;
        } else {
            AppendCp1252AsUtf8(stored.substr(lead, 1), out);
            i = lead + 1;
        }
    }
}

std::string StoredFromUtf8(std::string_view typed) {
    if (!IsValidUtf8(typed)) return std::string(typed);  // already bytes of some kind
    std::string cp1252;
    cp1252.reserve(typed.size());
    for (std::size_t i = 0; i < typed.size();) {
        const std::size_t length = Utf8SequenceLength(typed, i);
        const int byte = Cp1252ByteOf(DecodeUtf8At(typed, i, length));
        if (byte < 0) return std::string(typed);
        cp1252.push_back(static_cast<char>(byte));
        i += length;
    }
    // Windows-1252 only when it reads back as typed, as a name and as a message text.
    if (DisplayUtf8(cp1252) == typed && DisplayMessageUtf8(cp1252) == typed) return cp1252;
    return std::string(typed);
}

std::string_view CutOnCharBoundary(std::string_view stored, std::size_t maxBytes) {
    if (stored.size() <= maxBytes) return stored;
    std::size_t cut = maxBytes;
    if (IsValidUtf8(stored))
        while (cut > 0 && IsUtf8Continuation(stored[cut])) --cut;
    return stored.substr(0, cut);
}

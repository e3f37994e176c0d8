// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Search.h"

#include <string>

#include "OFuncs/CaseFold.h"
#include "OFuncs/DisplayText.h"

std::int32_t MarkFound(MsgStore& S, int mode, std::string_view text) {
    const std::string needle = mode == FetchByText ? FoldCase(DisplayUtf8(text)) : std::string();
    std::string folded;  // one buffer for every message
    std::int32_t marked = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        m.Flags = static_cast<std::uint16_t>(m.Flags & ~MsgFound);
        bool match = text.empty();
        if (!match && mode == FetchByName) {
            match = m.Name.view() == text;
        } else if (!match && mode == FetchByPhone) {
            match = m.Phone.view() == text;
        } else if (!match && mode == FetchByText) {
            FoldShownMessageInto(m.Text, folded);
            match = folded.find(needle) != std::string::npos;
        }
        if (match) {
            m.Flags = static_cast<std::uint16_t>(m.Flags | MsgFound);
            ++marked;
        }
    }
    return marked;
}

std::vector<TextSpan> FindShownMatches(std::string_view shownUtf8, std::string_view text) {
    std::vector<TextSpan> spans;
    const std::string needle = FoldCase(DisplayUtf8(text));
    if (needle.empty()) return spans;
    std::string folded;
    std::vector<std::size_t> origin;
    FoldCaseMapped(shownUtf8, folded, origin);
    for (std::size_t f = folded.find(needle); f != std::string::npos; ) {
        // The match ends with the character of its last folded byte; the next one begins
        // after that character.
        const std::size_t lastFrom = origin[f + needle.size() - 1];
        std::size_t end = f + needle.size();
        while (origin[end] == lastFrom) ++end;
        spans.push_back({origin[f], origin[end]});
        f = folded.find(needle, end);
    }
    return spans;
}

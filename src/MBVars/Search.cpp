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

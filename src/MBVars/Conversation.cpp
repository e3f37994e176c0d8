// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Conversation.h"

#include <algorithm>

std::vector<std::int32_t> ConversationOf(const MsgStore& S, std::string_view phone) {
    std::vector<std::int32_t> found;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[static_cast<std::size_t>(n)].Phone.view() == phone) found.push_back(n);
    // The stored time "yyyy.mm.dd hh:mm" orders as text.
    std::stable_sort(found.begin(), found.end(), [&S](std::int32_t a, std::int32_t b) {
        return S.Messages[static_cast<std::size_t>(a)].Time.view() < S.Messages[static_cast<std::size_t>(b)].Time.view();
    });
    return found;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Conversation.h"

std::vector<std::int32_t> ConversationOf(const MsgStore& S, std::string_view phone) {
    return PersonOfPhone(S, phone).Messages;
}

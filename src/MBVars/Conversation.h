// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages of one person in the order they were written: what the conversation pane
// shows beside the grid.
#include <cstdint>
#include <string_view>
#include <vector>

#include "MBVars/People.h"
#include "MBVars/Store.h"

// The store positions 1..MessageCount of the person whose number is `phone` (stored form,
// or another form of it: People.h), oldest first; messages of the same minute keep their
// store order.
std::vector<std::int32_t> ConversationOf(const MsgStore& S, std::string_view phone);

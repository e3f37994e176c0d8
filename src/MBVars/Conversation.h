// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages of one contact in the order they were written: what the conversation pane
// shows beside the grid.
#include <cstdint>
#include <string_view>
#include <vector>

#include "MBVars/Store.h"

// The store positions 1..MessageCount whose phone is `phone` (stored form), oldest first;
// messages of the same minute keep their store order. One pass over the store and a sort
// of what it found.
std::vector<std::int32_t> ConversationOf(const MsgStore& S, std::string_view phone);

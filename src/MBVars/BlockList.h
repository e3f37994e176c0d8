// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The list the blocked-contacts dialog shows: every number of the contact history and of
// the collection once, with the blocked marks the history holds for them.
#include <cstdint>
#include <string>
#include <vector>

#include "MBVars/Store.h"

struct BlockListEntry {
    std::string Phone;
    std::string Name;  // as the history will hold it: the collection's latest name, else the history's
    std::int32_t Color = 0;
    bool Blocked = false;
};

// One entry per number, ordered by name, then number (bytes); the marks are the history's.
std::vector<BlockListEntry> BlockList(const MsgStore& S);

struct BlockMarksStored {
    std::int32_t Blocked = 0;  // numbers now blocked
    std::int32_t NoRoom = 0;   // checked numbers the full history could not take
};
// Stores the entries' marks in the history: every entry of a listed number takes its
// mark; a checked number the history lacks gets a new entry while there is room.
BlockMarksStored StoreBlockMarks(MsgStore& S, const std::vector<BlockListEntry>& entries);

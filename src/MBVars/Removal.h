// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Removing messages: marking with MsgDoomed, then purging and compacting.
#include <cstdint>
#include <string_view>
#include <vector>

#include "MBVars/Store.h"

// Empties every doomed slot, closes the gaps keeping the order, rebuilds the view with
// the current mask, sets Modified; returns how many were removed.
std::int32_t PurgeMarked(MsgStore& S);
// Removes the messages of grid rows first..last of the view.
std::int32_t DeleteViewRows(MsgStore& S, std::int32_t first, std::int32_t last);
// Removes every message of the phone (cut to 30 characters).
std::int32_t DeletePhone(MsgStore& S, std::string_view phone);
// Removes every message of the person of message n (People.h): all forms of its number,
// and the numbers of its name.
std::int32_t DeletePerson(MsgStore& S, std::int32_t n);
// Counts the duplicates: of every pair of records of one and the same message (SameMessage.h,
// the numbers compared in international form: SameMessageAs),
// the later one when it has no colour, else the earlier one; removes them when `remove`.
std::int32_t RemoveDuplicates(MsgStore& S, bool remove);
// RemoveDuplicates in two steps. Finding reads only the messages' phones, texts, times,
// directions and colours, and their order; it gives the positions of the messages to remove, ascending.
std::vector<std::int32_t> FindDuplicates(const MsgStore& S);
// `found` is what FindDuplicates gave for the messages as they are now.
std::int32_t RemoveFoundDuplicates(MsgStore& S, const std::vector<std::int32_t>& found, bool remove);

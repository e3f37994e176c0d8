// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contact table and the per-name queries of the store.
#include <cstdint>
#include <string_view>
#include <vector>

#include "MBVars/Store.h"

constexpr int ContactsByPhone = 1, ContactsByName = 2;

// Rebuilds the table from the messages when `rebuild` (the first message of each phone in
// store order gives name and colour; names lose bytes below 32, in the messages too), then
// orders it by key 1 phone or 2 name with the exact Shell sort. Sets Modified only when a
// message's name was cleaned: the table is not part of the saved collection.
void BuildContacts(MsgStore& S, int key, bool rebuild);
// BuildContacts(S, key, true) as if the store stood in `order` (order[k] the 0-based
// message at 0-based place k), without moving a message.
void BuildContactsInOrder(MsgStore& S, int key, const std::vector<std::int32_t>& order);
// Gives every message of `phone` the name; nameless messages first get their own phone as
// name. Returns how many messages of `phone` there were; nothing happens for an empty phone.
// A name longer than a name holds is cut on a character boundary (CutOnCharBoundary).
std::int32_t AssignName(MsgStore& S, std::string_view phone, std::string_view name);
// AssignName for every number of the person of message n (People.h), so that all its forms
// carry the new name; returns how many messages were renamed.
std::int32_t AssignPersonName(MsgStore& S, std::int32_t n, std::string_view name);
// The whole day of a stored time, counted down (floor), so that a time before the scale's
// start (1899-12-30) lies on its own day rather than the next one.
std::int32_t ActivityDay(std::string_view time);
// Totals of the messages named `name` (all messages when empty); characters as shown
// (DisplayCharCount), words of the display form.
void ComputeActivity(const MsgStore& S, std::string_view name, ActivityTotals& T);
// Time of the latest earlier message of the same name in the other direction, or -1.
double PreviousReplyTime(const MsgStore& S, std::int32_t n);

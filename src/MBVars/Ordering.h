// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The view index the grid shows, the exchange of two messages, and the column sort.
#include <cstdint>
#include <optional>
#include <vector>

#include "MBVars/Store.h"

constexpr std::uint16_t ViewEverything = 0xFFFF;
constexpr std::uint16_t ViewAll = 3, ViewSent = 1, ViewReceived = 2, ViewFound = 0x80;

// Lists, in store order, the positions whose Flags share a bit with mask; returns ViewCount.
std::int32_t BuildView(MsgStore& S, std::uint16_t mask);
// BuildView as if the store stood in `order` (order[k] the 0-based message at 0-based
// place k): the view lists places of that order.
std::int32_t BuildViewInOrder(MsgStore& S, std::uint16_t mask, const std::vector<std::int32_t>& order);
// Exchanges messages a and b (texts move with their records); sets Modified.
void SwapMessages(MsgStore& S, std::int32_t a, std::int32_t b);
// Spreads names and colours over equal phones, then orders the store by grid column
// (1 time, 2 phone, 3 name, 4 type, 5 text, 6 size), direction 1 ascending, 0 descending,
// exactly as the gap-halving Shell sort with repeated passes orders it; sets
// D.SortColumn, counts the messages and sets Modified.
void SortMessages(MsgStore& S, DefaultsType& D, int column, int direction);

// The two steps of SortMessages, for sequences that sort more than once: every message
// takes Name and Color of the first message of its phone in store order; and the ranks of
// the column's keys of messages 1..MessageCount (rank k-1 for message k; equal keys share a
// rank), nothing for a column without a key. Ordering the ranks with ShellSortOrderByChains
// and applying that order from slot 1 is the sort.
void SpreadNamesAndColours(MsgStore& S);
std::optional<std::vector<std::int32_t>> ColumnRanks(const MsgStore& S, int column);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures of the activity summary and of the activity statistics dialog.
#include <string>
#include <vector>

#include "Lang/LocaleInfo.h"
#include "MBVars/Store.h"

// The summary box's text: a title line, then for all, sent and received messages a line
// with the day span (dates as "ddddd") and a line with the counts, separated by empty
// lines, with no line break at the end. A slot without messages shows its label and ":"
// alone on its first line (it has no dates and no span).
std::string ActivitySummaryText(const ActivityTotals& T, const LocaleInfo& locale);

// Fills Contacts[c].Activity for c = 1..ContactCount exactly as ComputeActivity with each
// contact's Name does (a nameless contact gets the whole collection's totals; contacts of
// one name share that name's totals), in one pass over the store.
void ComputeContactsActivity(MsgStore& S);

// One row of the statistics: a name with every number that carries it, or one nameless
// number, with the totals of its messages. Rows of different names never count a message
// twice, so the rows' figures add up to at most the collection's.
struct ActivityRow {
    std::string Name;                 // empty for a nameless number
    std::vector<std::string> Phones;  // the numbers it covers, in order
    std::int32_t Color = 0;           // the colour of its first contact
    ActivityTotals Activity;
};
// The rows of the contact table in its order, each at its first contact's place: the
// contacts of one name make one row, counting the messages of that name; each nameless
// contact makes its own row, counting the nameless messages of its number. One pass.
std::vector<ActivityRow> ContactActivityRows(const MsgStore& S);

// The statistics grid: columns 0 Name, 1/2 sent/received Items, 3/4 Chars, 5/6 Words,
// 7 First, 8 Last, 9 Days.
constexpr int StatsColumnCount = 10;
// The data cell of column c of a row (without the padding spaces); the Name column shows
// a nameless row's number; dates and days are empty when the row counts no message.
std::string StatsCellText(const ActivityRow& row, int column, const LocaleInfo& locale);
// The stored-bytes head of a row's breakdown: " --- name --- " and the line "Numbers: "
// with the numbers it covers, separated by ", ", each line ending in CR LF.
std::string StatsHeadingText(const ActivityRow& row);
// The figures of column c as the breakdown gives them below its head (columns 7, 8 and 9
// give the dates and the span; column 0 nothing).
std::string StatsFiguresText(const ActivityRow& row, int column, const LocaleInfo& locale);
// The breakdown shown as the tooltip after a click on column c: heading, then figures.
std::string StatsBreakdownText(const ActivityRow& row, int column, const LocaleInfo& locale);

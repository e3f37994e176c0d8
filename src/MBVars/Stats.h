#pragma once
// The figures of the activity summary and of the activity statistics dialog.
#include <string>

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

// The statistics grid: columns 0 Name, 1/2 sent/received Items, 3/4 Chars, 5/6 Words,
// 7 First, 8 Last, 9 Days.
constexpr int StatsColumnCount = 10;
// The data cell of column c for a contact (without the padding spaces); dates and days
// are empty when the contact's totals count no message.
std::string StatsCellText(const ContactRec& contact, int column, const LocaleInfo& locale);
// The breakdown shown as the tooltip after a click on column c: a heading line with the
// name, then the figures of the column (columns 7, 8 and 9 give the dates and the span).
std::string StatsBreakdownText(const ContactRec& contact, int column, const LocaleInfo& locale);

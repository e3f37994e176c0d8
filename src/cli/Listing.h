// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The listing kestro-cli prints: one line per message in store order, fields separated by
// one tab, and a count line. Scripts read this format: it only ever grows.
#include <ostream>
#include <string>
#include <string_view>

#include "MBVars/Store.h"

// The field with backslash, tab, CR and LF written as \\ \t \r \n; every other byte as it is.
std::string EscapeField(std::string_view field);
// Serial, Flags as 0x and four upper-case hex digits, Color, Time, Phone, Name, Text.
std::string ListingLine(const XMsgRecType& m);
// Messages 1..MessageCount, one ListingLine each, every line ending in a line feed.
void WriteMessageLines(std::ostream& out, const MsgStore& S);
// "N messages (S sent, R received)" from MessageCount and the counters of CountMessages.
std::string MessageCountLine(const MsgStore& S);
// The import report's count line: "%d messages (%d sent, %d received, %d blocked), %d contacts".
std::string ImportReportLine(const MsgStore& S, std::int32_t blocked);

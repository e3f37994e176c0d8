// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One line of a phone suite's message export, word form or numeric form.
#include <cstdint>
#include <string>
#include <string_view>

#include "MBVars/MsgRec.h"

// What a line gives: a message, no message at all (a header, an empty or foreign line), or a
// message left out for a reason the import's report names.
enum class LineVerdict : std::uint8_t { Message, NoMessage, WithoutNumberOrText, NoDate, NotSentOrReceived };

// Clears `work` and fills it from the line: Flags, Time, Phone and Text (cut to their
// capacities, Text to MaxTextLength bytes and without trailing spaces). True when the line
// gives a message: exactly one direction, and non-empty Time, Phone and Text. A separator
// of 0 (none found) gives no message.
bool ParseMessageLine(std::string_view line, unsigned char separator, XMsgRecType& work);
// The same with a buffer the caller keeps from line to line, for the lines that need one.
bool ParseMessageLine(std::string_view line, unsigned char separator, XMsgRecType& work, std::string& scratch);
// The same, telling why a line of an SMS or MMS gives no message: no phone or text (and a
// numeric-form MMS, whose fields hold neither), then no time, then not exactly one direction.
LineVerdict ReadMessageLine(std::string_view line, unsigned char separator, XMsgRecType& work, std::string& scratch);

// The line as its fields are read: with a closing quote added when it does not end in one,
// every ,""" replaced by ," and then every "" followed by a space by the space, until none
// is left. Either the line itself or a view of `scratch`, which holds the changed line.
std::string_view PrepareMessageLine(std::string_view line, std::string& scratch);

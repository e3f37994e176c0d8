#pragma once
// One line of a phone suite's message export, word form or numeric form.
#include <string_view>

#include "MBVars/MsgRec.h"

// Clears `work` and fills it from the line: Flags, Time, Phone and Text (cut to their
// capacities, Text to MaxTextLength bytes and without trailing spaces). True when the line
// gives a message: exactly one direction, and non-empty Time, Phone and Text. A separator
// of 0 (none found) gives no message.
bool ParseMessageLine(std::string_view line, unsigned char separator, XMsgRecType& work);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When two records are one and the same message: the test that both the import's
// already-held rule and duplicate removal apply. The same words sent again at another time,
// or in the other direction, are another message.
#include <cstdint>

#include "MBVars/MsgRec.h"

// Same Phone, same direction (sent or received), same time and same Text, trailing spaces
// aside (the suites' exports drop them). The time is the Time text; a message with the
// phone's own time (MsgExactTime) holds it in Time to the minute, which is as exact as the
// store keeps it, so two such messages compare their Time text too.
bool SameMessage(const XMsgRecType& a, const XMsgRecType& b);
// A hash of what SameMessage compares: equal for any two records it calls the same.
std::uint64_t SameMessageHash(const XMsgRecType& m);
// The same with each record's number given in place of its phone: the duplicate rule
// compares numbers in international form, so that one message under two forms is one.
bool SameMessageAs(const XMsgRecType& a, const PhoneText& numberA, const XMsgRecType& b, const PhoneText& numberB);
std::uint64_t SameMessageHashAs(const XMsgRecType& m, const PhoneText& number);

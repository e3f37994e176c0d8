// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/SameMessage.h"

#include <string_view>

#include "OFuncs/ByteHash.h"
#include "OFuncs/TextOps.h"

namespace {
std::uint16_t Direction(const XMsgRecType& m) { return static_cast<std::uint16_t>(m.Flags & (MsgSent | MsgReceived)); }
}  // namespace

bool SameMessageAs(const XMsgRecType& a, const PhoneText& numberA, const XMsgRecType& b, const PhoneText& numberB) {
    return a.Time == b.Time && numberA == numberB && Direction(a) == Direction(b) &&
           TrimTrailingSpaces(a.Text) == TrimTrailingSpaces(b.Text);
}

std::uint64_t SameMessageHashAs(const XMsgRecType& m, const PhoneText& number) {
    std::uint64_t h = Direction(m);
    for (const std::string_view part : {m.Time.view(), number.view(), TrimTrailingSpaces(m.Text)})
        h = HashBytes(part, h);
    return h;
}

bool SameMessage(const XMsgRecType& a, const XMsgRecType& b) { return SameMessageAs(a, a.Phone, b, b.Phone); }

std::uint64_t SameMessageHash(const XMsgRecType& m) { return SameMessageHashAs(m, m.Phone); }

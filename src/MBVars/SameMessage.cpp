// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/SameMessage.h"

#include <string_view>

#include "OFuncs/ByteHash.h"
#include "OFuncs/TextOps.h"

namespace {
std::uint16_t Direction(const XMsgRecType& m) { return static_cast<std::uint16_t>(m.Flags & (MsgSent | MsgReceived)); }
}  // namespace

bool SameMessage(const XMsgRecType& a, const XMsgRecType& b) {
    return a.Time == b.Time && a.Phone == b.Phone && Direction(a) == Direction(b) &&
           TrimTrailingSpaces(a.Text) == TrimTrailingSpaces(b.Text);
}

std::uint64_t SameMessageHash(const XMsgRecType& m) {
    std::uint64_t h = Direction(m);
    for (const std::string_view part : {m.Time.view(), m.Phone.view(), TrimTrailingSpaces(m.Text)})
        h = HashBytes(part, h);
    return h;
}

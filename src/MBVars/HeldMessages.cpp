#include "MBVars/HeldMessages.h"

#include <algorithm>
#include <string_view>

#include "OFuncs/ByteHash.h"
#include "OFuncs/TextOps.h"

namespace {
constexpr std::size_t TableSize = 1u << 15;  // over twice MaxMessages: short probe runs
static_assert(TableSize >= 2 * static_cast<std::size_t>(MaxMessages));

std::uint16_t Direction(const XMsgRecType& m) {
    return static_cast<std::uint16_t>(m.Flags & (MsgSent | MsgReceived));
}
}  // namespace

HeldMessages::HeldMessages(const MsgStore& S) : store_(S), slots_(TableSize) {
    for (std::int32_t n = 1; n <= std::min(S.MessageCount, MaxMessages); ++n) Add(n);
}

std::uint64_t HeldMessages::HashOf(const XMsgRecType& m) {
    std::uint64_t h = Direction(m);
    for (const std::string_view part : {m.Time.view(), m.Phone.view(), TrimTrailingSpaces(m.Text)})
        h = HashBytes(part, h);
    return h;
}

bool HeldMessages::SameMessage(const XMsgRecType& a, const XMsgRecType& b) {
    return a.Time == b.Time && a.Phone == b.Phone && Direction(a) == Direction(b) &&
           TrimTrailingSpaces(a.Text) == TrimTrailingSpaces(b.Text);
}

bool HeldMessages::Holds(const XMsgRecType& m, std::uint64_t hash) const {
    for (std::size_t i = hash & (TableSize - 1);; i = (i + 1) & (TableSize - 1)) {
        const Slot& slot = slots_[i];
        if (slot.Position == 0) return false;
        if (slot.Hash == hash && SameMessage(store_.Messages[slot.Position], m)) return true;
    }
}

void HeldMessages::Add(std::int32_t n, std::uint64_t hash) {
    std::size_t i = hash & (TableSize - 1);
    while (slots_[i].Position != 0) i = (i + 1) & (TableSize - 1);
    slots_[i] = Slot{hash, n};
}

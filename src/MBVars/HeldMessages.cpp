#include "MBVars/HeldMessages.h"

#include <functional>

#include "OFuncs/TextOps.h"

HeldMessages::HeldMessages(const MsgStore& S) {
    keys_.reserve(static_cast<std::size_t>(MaxMessages));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) Add(S.Messages[n]);
}

HeldMessages::Key HeldMessages::KeyOf(const XMsgRecType& m) {
    return Key{m.Time.view(), m.Phone.view(), TrimTrailingSpaces(m.Text),
               static_cast<std::uint16_t>(m.Flags & (MsgSent | MsgReceived))};
}

std::size_t HeldMessages::KeyHash::operator()(const Key& k) const {
    const std::hash<std::string_view> h;
    std::size_t seed = k.Direction;
    for (const std::string_view part : {k.Time, k.Phone, k.Text})
        seed ^= h(part) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    return seed;
}

#include "MBVars/Removal.h"

#include <algorithm>
#include <unordered_map>

#include "MBVars/Ordering.h"

namespace {

struct PhoneAndText {
    std::string_view Phone, Text;
    bool operator==(const PhoneAndText&) const = default;
};
struct PhoneAndTextHash {
    std::size_t operator()(const PhoneAndText& k) const {
        const std::hash<std::string_view> h;
        return h(k.Phone) * 1000003u ^ h(k.Text);
    }
};

void MarkDoomed(XMsgRecType& m) { m.Flags |= MsgDoomed; }

}  // namespace

std::int32_t PurgeMarked(MsgStore& S) {
    std::int32_t removed = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Flags & MsgDoomed) {
            S.Messages[n].Clear();
            ++removed;
        }
    // Exchanging each empty slot (Flags 0) with a following message until none is left
    // behind one is a stable partition: messages first, empty slots after, each in order.
    const auto first = S.Messages.begin() + 1;
    std::stable_partition(first, first + S.MessageCount, [](const XMsgRecType& m) { return m.Flags != 0; });
    S.MessageCount -= removed;
    BuildView(S, S.ViewMask);
    S.Modified = true;
    return removed;
}

std::int32_t DeleteViewRows(MsgStore& S, std::int32_t first, std::int32_t last) {
    // Only rows of the current view are marked (the table has no rows outside it).
    const std::int32_t lastRow = std::min({last, S.ViewCount, static_cast<std::int32_t>(S.ViewIndex.size()) - 1});
    for (std::int32_t r = std::max(first, 1); r <= lastRow; ++r) {
        const std::int32_t n = S.ViewIndex[static_cast<std::size_t>(r)];
        if (n >= 1 && n <= S.MessageCount) MarkDoomed(S.Messages[n]);
    }
    return PurgeMarked(S);
}

std::int32_t DeletePhone(MsgStore& S, std::string_view phone) {
    const PhoneText p(phone);
    const std::int32_t before = S.MessageCount;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Phone == p) MarkDoomed(S.Messages[n]);
    PurgeMarked(S);
    return before - S.MessageCount;
}

std::int32_t RemoveDuplicates(MsgStore& S, bool remove) {
    // Comparing every pair i < j marks j when j has no colour and i otherwise. So within a
    // group of equal phone and text, every member is marked except its last coloured
    // member, or its first member when none is coloured.
    std::unordered_map<PhoneAndText, std::int32_t, PhoneAndTextHash> survivorOf;
    survivorOf.reserve(static_cast<std::size_t>(S.MessageCount));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        auto [it, isFirst] = survivorOf.try_emplace({m.Phone.view(), m.Text}, n);
        if (!isFirst && m.Color != 0) it->second = n;
    }
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        if (survivorOf.at({m.Phone.view(), m.Text}) != n) MarkDoomed(m);
    }
    std::int32_t count = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        if (!(m.Flags & MsgDoomed)) continue;
        ++count;
        if (!remove) m.Flags &= static_cast<std::uint16_t>(~MsgDoomed);
    }
    PurgeMarked(S);
    S.Modified = true;
    return count;
}

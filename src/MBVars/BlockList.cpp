// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/BlockList.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

std::vector<BlockListEntry> BlockList(const MsgStore& S) {
    std::vector<BlockListEntry> list;
    std::unordered_map<std::string_view, std::size_t> at;  // views into the store
    auto entryOf = [&](const PhoneText& phone) -> BlockListEntry& {
        const auto [it, added] = at.try_emplace(phone.view(), list.size());
        if (added) list.push_back({phone.str(), {}, 0, false});
        return list[it->second];
    };
    for (std::int32_t i = 1; i <= S.HistoryCount; ++i) {
        const HistoryRec& h = S.History[static_cast<std::size_t>(i)];
        if (h.Phone.empty()) continue;
        const bool first = !at.contains(h.Phone.view());
        BlockListEntry& e = entryOf(h.Phone);
        if (!first) continue;  // the first entry of a number is the one that counts
        e.Name = h.Name.str();
        e.Color = h.Color;
        e.Blocked = h.Blocked != 0;
    }
    // As merging the collection into the history does: the latest name and colour win.
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        if (m.Phone.empty() || (m.Flags & 3) == 0) continue;
        BlockListEntry& e = entryOf(m.Phone);
        if (!m.Name.empty()) e.Name = m.Name.str();
        if (m.Color != 0) e.Color = m.Color;
    }
    std::sort(list.begin(), list.end(), [](const BlockListEntry& a, const BlockListEntry& b) {
        return a.Name != b.Name ? a.Name < b.Name : a.Phone < b.Phone;
    });
    return list;
}

BlockMarksStored StoreBlockMarks(MsgStore& S, const std::vector<BlockListEntry>& entries) {
    std::unordered_map<std::string_view, std::vector<std::int32_t>> entriesOf;  // views into the history
    for (std::int32_t i = 1; i <= S.HistoryCount; ++i)
        entriesOf[S.History[static_cast<std::size_t>(i)].Phone.view()].push_back(i);
    BlockMarksStored stored;
    for (const BlockListEntry& e : entries) {
        const auto it = entriesOf.find(e.Phone);
        if (it != entriesOf.end()) {
            for (const std::int32_t i : it->second) S.History[static_cast<std::size_t>(i)].Blocked = e.Blocked ? 1 : 0;
        } else if (e.Blocked) {
            if (S.HistoryCount >= MaxHistory) {
                ++stored.NoRoom;
                continue;
            }
            HistoryRec& h = S.History[static_cast<std::size_t>(++S.HistoryCount)];
            h = HistoryRec{1, PhoneText(e.Phone), NameText(e.Name), e.Color};
        }
        stored.Blocked += e.Blocked ? 1 : 0;
    }
    return stored;
}

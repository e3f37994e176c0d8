// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Removal.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "MBVars/Ordering.h"
#include "OFuncs/ByteHash.h"

namespace {

// The groups of messages with equal phone and text: an open-addressing table of eight-byte
// slots (a hash tag and the group's first member), and per group its survivor so far. A
// look-up costs one hash per message; a stored message is compared with it only when the
// tags agree, lengths first.
class PhoneTextGroups {
public:
    explicit PhoneTextGroups(const MsgStore& S)
        : store_(S), survivor_(static_cast<std::size_t>(std::max(S.MessageCount, 0)) + 1, 0) {
        std::size_t size = 16;
        while (size < 2 * static_cast<std::size_t>(std::max(S.MessageCount, 1))) size *= 2;
        slots_.assign(size, Slot{});
    }

    static std::uint64_t HashOf(const XMsgRecType& m) { return HashBytes(m.Text, HashBytes(m.Phone.view())); }
    // Brings the slot a look-up with this hash starts at towards the cache.
    void Prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }

    // The first member of message n's group (n itself when it opens the group); `hash` is its HashOf.
    std::int32_t GroupOf(std::int32_t n, std::uint64_t hash) {
        const XMsgRecType& m = store_.Messages[n];
        const auto tag = static_cast<std::uint32_t>(hash);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.First == 0) {
                slot = Slot{tag, n};
                survivor_[static_cast<std::size_t>(n)] = n;
                return n;
            }
            if (slot.Tag == tag && SamePhoneAndText(store_.Messages[slot.First], m)) return slot.First;
        }
    }
    // The survivor so far of the group that `first` opened.
    std::int32_t& Survivor(std::int32_t first) { return survivor_[static_cast<std::size_t>(first)]; }

private:
    struct Slot {
        std::uint32_t Tag = 0;   // the hash's low half: the index and a first check
        std::int32_t First = 0;  // 0: free
    };
    static bool SamePhoneAndText(const XMsgRecType& a, const XMsgRecType& b) {
        return a.Text.size() == b.Text.size() && a.Phone == b.Phone && a.Text == b.Text;
    }

    const MsgStore& store_;
    std::vector<Slot> slots_;               // a power of two, at least twice the messages
    std::vector<std::int32_t> survivor_;  // by the group's first member
};

void MarkDoomed(XMsgRecType& m) { m.Flags |= MsgDoomed; }

bool HasExactTime(const XMsgRecType& m) { return m.Flags & MsgExactTime; }

// The pairwise rule when some messages carry the phone's own time: two such messages are
// duplicates only when their times are equal too, every other pair of equal phone and text
// is. The relation is not transitive, so the groups are not enough: a message is marked when
// an earlier duplicate exists and it has no colour, or a later coloured duplicate exists
// (the pairwise rule marks j, or i when j is coloured). Counted per group, and per group
// and time for the exact ones, in one pass each way.
std::vector<std::int32_t> FindDuplicatesWithExactTimes(const MsgStore& S, const std::vector<std::int32_t>& groupOf) {
    const auto at = [](std::int32_t n) { return static_cast<std::size_t>(n); };
    std::vector<std::string> timeKey(at(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (HasExactTime(S.Messages[n])) timeKey[at(n)] = std::to_string(groupOf[at(n)]) + ' ' + S.Messages[n].Time.str();
    std::vector<bool> marked(at(S.MessageCount) + 1, false);
    {  // earlier duplicates
        std::vector<std::int32_t> seen(at(S.MessageCount) + 1, 0), seenPlain(at(S.MessageCount) + 1, 0);
        std::unordered_map<std::string, std::int32_t> seenExact;
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
            const XMsgRecType& m = S.Messages[n];
            const std::size_t g = at(groupOf[at(n)]);
            const bool earlier = HasExactTime(m) ? seenPlain[g] > 0 || seenExact[timeKey[at(n)]] > 0 : seen[g] > 0;
            if (earlier && m.Color == 0) marked[at(n)] = true;
            ++seen[g];
            if (HasExactTime(m)) ++seenExact[timeKey[at(n)]];
            else ++seenPlain[g];
        }
    }
    {  // later coloured duplicates
        std::vector<std::int32_t> coloured(at(S.MessageCount) + 1, 0), colouredPlain(at(S.MessageCount) + 1, 0);
        std::unordered_map<std::string, std::int32_t> colouredExact;
        for (std::int32_t n = S.MessageCount; n >= 1; --n) {
            const XMsgRecType& m = S.Messages[n];
            const std::size_t g = at(groupOf[at(n)]);
            const bool later =
                HasExactTime(m) ? colouredPlain[g] > 0 || colouredExact[timeKey[at(n)]] > 0 : coloured[g] > 0;
            if (later) marked[at(n)] = true;
            if (m.Color == 0) continue;
            ++coloured[g];
            if (HasExactTime(m)) ++colouredExact[timeKey[at(n)]];
            else ++colouredPlain[g];
        }
    }
    std::vector<std::int32_t> found;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (marked[at(n)]) found.push_back(n);
    return found;
}

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

std::vector<std::int32_t> FindDuplicates(const MsgStore& S) {
    // Comparing every pair i < j marks j when j has no colour and i otherwise. So within a
    // group of equal phone and text, every member is marked except its last coloured
    // member, or its first member when none is coloured.
    PhoneTextGroups groups(S);
    const auto at = [](std::int32_t n) { return static_cast<std::size_t>(n); };
    // Hashes first, then look-ups: the texts lie apart on the heap and the slots apart in the
    // table, so both are asked for a few messages ahead rather than waited for one by one.
    constexpr std::int32_t Ahead = 8;
    std::vector<std::uint64_t> hashes(at(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        if (n + Ahead <= S.MessageCount) {
            const std::string& later = S.Messages[n + Ahead].Text;
            __builtin_prefetch(later.data());
            __builtin_prefetch(later.data() + std::min<std::size_t>(later.size(), 64));
        }
        hashes[at(n)] = PhoneTextGroups::HashOf(S.Messages[n]);
    }
    std::vector<std::int32_t> groupOf(at(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        if (n + Ahead <= S.MessageCount) groups.Prefetch(hashes[at(n + Ahead)]);
        const std::int32_t first = groups.GroupOf(n, hashes[at(n)]);
        if (first != n && S.Messages[n].Color != 0) groups.Survivor(first) = n;
        groupOf[at(n)] = first;
    }
    if (std::any_of(S.Messages.begin() + 1, S.Messages.begin() + 1 + S.MessageCount, HasExactTime))
        return FindDuplicatesWithExactTimes(S, groupOf);
    std::vector<std::int32_t> found;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (groups.Survivor(groupOf[at(n)]) != n) found.push_back(n);
    return found;
}

std::int32_t RemoveFoundDuplicates(MsgStore& S, const std::vector<std::int32_t>& found, bool remove) {
    for (const std::int32_t n : found) MarkDoomed(S.Messages[n]);
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

std::int32_t RemoveDuplicates(MsgStore& S, bool remove) { return RemoveFoundDuplicates(S, FindDuplicates(S), remove); }

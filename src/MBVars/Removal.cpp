#include "MBVars/Removal.h"

#include <algorithm>
#include <vector>

#include "MBVars/Ordering.h"
#include "OFuncs/ByteHash.h"

namespace {

// The groups of messages with equal phone and text: an open-addressing table of group
// slots, each keyed by the hash of phone and text and holding the group's survivor so far.
// A look-up costs one hash per message; a stored message is compared with it only when
// the hashes agree, lengths first.
class PhoneTextGroups {
public:
    explicit PhoneTextGroups(const MsgStore& S) : store_(S) {
        std::size_t size = 16;
        while (size < 2 * static_cast<std::size_t>(std::max(S.MessageCount, 1))) size *= 2;
        slots_.assign(size, Slot{});
    }

    // The slot of message n's group, opened with n as its survivor when n is its first.
    std::int32_t& SurvivorOf(std::int32_t n) {
        const XMsgRecType& m = store_.Messages[n];
        const std::uint64_t hash = HashBytes(m.Text, HashBytes(m.Phone.view()));
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.Survivor == 0) {
                slot = Slot{hash, n, n};
                return slot.Survivor;
            }
            if (slot.Hash == hash && SamePhoneAndText(store_.Messages[slot.First], m)) return slot.Survivor;
        }
    }

private:
    struct Slot {
        std::uint64_t Hash = 0;
        std::int32_t First = 0;     // the group's first member, its key
        std::int32_t Survivor = 0;  // 0: free
    };
    static bool SamePhoneAndText(const XMsgRecType& a, const XMsgRecType& b) {
        return a.Text.size() == b.Text.size() && a.Phone == b.Phone && a.Text == b.Text;
    }

    const MsgStore& store_;
    std::vector<Slot> slots_;  // a power of two, at least twice the messages
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
    PhoneTextGroups groups(S);
    std::vector<std::int32_t*> survivorOf(static_cast<std::size_t>(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        std::int32_t& survivor = groups.SurvivorOf(n);
        if (survivor != n && S.Messages[n].Color != 0) survivor = n;
        survivorOf[static_cast<std::size_t>(n)] = &survivor;
    }
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (*survivorOf[static_cast<std::size_t>(n)] != n) MarkDoomed(S.Messages[n]);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Removal.h"

#include <algorithm>
#include <string>
#include <vector>

#include "MBVars/NumberForms.h"
#include "MBVars/Ordering.h"
#include "MBVars/People.h"
#include "MBVars/PhoneIndex.h"
#include "MBVars/SameMessage.h"

namespace {

// The groups of records of one and the same message (SameMessage): an open-addressing table
// of eight-byte slots (a hash tag and the group's first member), and per group its survivor
// so far. A look-up costs one hash per message; a stored message is compared with it only
// when the tags agree. SameMessage is an equivalence (equal keys), so every two members of
// a group are a duplicate pair and no pair lies across two groups.
class SameMessageGroups {
public:
    SameMessageGroups(const MsgStore& S, const std::vector<PhoneText>& numbers)
        : store_(S), numbers_(numbers), survivor_(static_cast<std::size_t>(std::max(S.MessageCount, 0)) + 1, 0) {
        std::size_t size = 16;
        while (size < 2 * static_cast<std::size_t>(std::max(S.MessageCount, 1))) size *= 2;
        slots_.assign(size, Slot{});
    }

    // Brings the slot a look-up with this hash starts at towards the cache.
    void Prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }

    // The first member of message n's group (n itself when it opens the group); `hash` is its SameMessageHash.
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
            if (slot.Tag == tag && SameMessageAs(store_.Messages[slot.First], numbers_[static_cast<std::size_t>(slot.First)],
                                                 m, numbers_[static_cast<std::size_t>(n)]))
                return slot.First;
        }
    }
    // The survivor so far of the group that `first` opened.
    std::int32_t& Survivor(std::int32_t first) { return survivor_[static_cast<std::size_t>(first)]; }

private:
    struct Slot {
        std::uint32_t Tag = 0;   // the hash's low half: the index and a first check
        std::int32_t First = 0;  // 0: free
    };

    const MsgStore& store_;
    const std::vector<PhoneText>& numbers_;  // by store position: the number compared
    std::vector<Slot> slots_;               // a power of two, at least twice the messages
    std::vector<std::int32_t> survivor_;  // by the group's first member
};

void MarkDoomed(XMsgRecType& m) { m.Flags |= MsgDoomed; }

// Every message's number as the duplicate rule compares it: its international form, else
// its phone; each distinct phone is formed once.
std::vector<PhoneText> NumbersInInternationalForm(const MsgStore& S) {
    const NumberForms forms(S.Book.HomeCountry);
    std::vector<PhoneText> numbers(static_cast<std::size_t>(std::max(S.MessageCount, 0)) + 1);
    PhoneIndex firstOf(256);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const PhoneText& phone = S.Messages[static_cast<std::size_t>(n)].Phone;
        const auto [first, isNew] = firstOf.TryEmplace(phone, n);
        const std::string key = isNew ? forms.KeyOf(phone.view()) : std::string();
        numbers[static_cast<std::size_t>(n)] =
            isNew ? (key.size() <= PhoneText::Capacity ? PhoneText(key) : phone) : numbers[static_cast<std::size_t>(first)];
    }
    return numbers;
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

std::int32_t DeletePerson(MsgStore& S, std::int32_t n) {
    const std::int32_t before = S.MessageCount;
    for (const std::int32_t k : PersonOfMessage(S, n).Messages) MarkDoomed(S.Messages[static_cast<std::size_t>(k)]);
    PurgeMarked(S);
    return before - S.MessageCount;
}

std::vector<std::int32_t> FindDuplicates(const MsgStore& S) {
    // Comparing every pair i < j marks j when j has no colour and i otherwise. So within a
    // group of one message, every member is marked except its last coloured member, or its
    // first member when none is coloured.
    const auto at = [](std::int32_t n) { return static_cast<std::size_t>(n); };
    const std::vector<PhoneText> numbers = NumbersInInternationalForm(S);
    SameMessageGroups groups(S, numbers);
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
        hashes[at(n)] = SameMessageHashAs(S.Messages[n], numbers[at(n)]);
    }
    std::vector<std::int32_t> groupOf(at(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        if (n + Ahead <= S.MessageCount) groups.Prefetch(hashes[at(n + Ahead)]);
        const std::int32_t first = groups.GroupOf(n, hashes[at(n)]);
        if (first != n && S.Messages[n].Color != 0) groups.Survivor(first) = n;
        groupOf[at(n)] = first;
    }
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

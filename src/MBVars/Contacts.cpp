// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Contacts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "Lang/TimeValue.h"
#include "MBVars/People.h"
#include "MBVars/PhoneIndex.h"
#include "MBVars/ShellOrder.h"
#include "OFuncs/CharCount.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/TextOps.h"

namespace {

// Names lose their control bytes (in the messages too); the first message of each phone in
// store order gives its contact name and colour, while the table has room. Returns whether
// a message's name was changed. positionAt(k) is the message at place k of that order.
template <class PositionAt>
bool RebuildFromMessages(MsgStore& S, PositionAt positionAt) {
    bool cleaned = false;
    S.ContactCount = 0;
    PhoneIndex known(static_cast<std::size_t>(std::min(S.MessageCount, MaxContacts)));
    for (std::int32_t k = 1; k <= S.MessageCount; ++k) {
        XMsgRecType& m = S.Messages[positionAt(k)];
        const std::string_view name = m.Name.view();
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }))
        {
            m.Name = RemoveControlChars(name);
            cleaned = true;
        }
        if (S.ContactCount >= MaxContacts || !known.TryEmplace(m.Phone, 0).second) continue;
        GrowContacts(S, S.ContactCount + 1);
        ContactRec& c = S.Contacts[++S.ContactCount];  // its Activity stays as the slot held it
        c.Phone = m.Phone;
        c.Name = m.Name;
        c.Color = m.Color;
    }
    return cleaned;
}

// The exact Shell sort of contacts 1..ContactCount by phone or name; like the procedure
// that exchanges through slot 0, it leaves slot 0 holding the last record it moved down.
void OrderContacts(MsgStore& S, int key) {
    const auto keyOf = [&](std::int32_t item) -> const ShortStr<30>& {
        const ContactRec& c = S.Contacts[static_cast<std::size_t>(item + 1)];
        return key == ContactsByPhone ? c.Phone : c.Name;
    };
    const ShellOrderResult sorted = ShellSortOrder(
        RankItems(S.ContactCount, [&](std::int32_t a, std::int32_t b) { return keyOf(a) < keyOf(b); }),
        true);
    if (sorted.LastSwapped < 0) return;
    S.Contacts[0] = S.Contacts[static_cast<std::size_t>(sorted.LastSwapped + 1)];
    ApplyOrder(S.Contacts, 1, sorted.Order);
}

}  // namespace

void BuildContacts(MsgStore& S, int key, bool rebuild) {
    // The table itself is never saved: only a name cleaned in the messages is a change.
    if (rebuild && RebuildFromMessages(S, [](std::int32_t k) { return k; })) S.Modified = true;
    if (key == ContactsByPhone || key == ContactsByName) OrderContacts(S, key);
}

void BuildContactsInOrder(MsgStore& S, int key, const std::vector<std::int32_t>& order) {
    const auto positionAt = [&](std::int32_t k) { return order[static_cast<std::size_t>(k - 1)] + 1; };
    if (RebuildFromMessages(S, positionAt)) S.Modified = true;
    if (key == ContactsByPhone || key == ContactsByName) OrderContacts(S, key);
}

std::int32_t AssignName(MsgStore& S, std::string_view phone, std::string_view name) {
    const PhoneText p(phone);
    const NameText m(CutOnCharBoundary(name, NameText::Capacity));
    if (p.empty()) return 0;
    std::int32_t count = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& msg = S.Messages[n];
        if (msg.Name.empty()) msg.Name = msg.Phone.view();
        if (msg.Phone == p) {
            msg.Name = m;
            ++count;
        }
    }
    S.Modified = true;
    return count;
}

std::int32_t AssignPersonName(MsgStore& S, std::int32_t n, std::string_view name) {
    std::int32_t count = 0;
    for (const std::string& phone : PersonOfMessage(S, n).Numbers) count += AssignName(S, phone, name);
    return count;
}

std::int32_t ActivityDay(std::string_view time) {
    return static_cast<std::int32_t>(std::floor(TimeValue(time)));
}

void ComputeActivity(const MsgStore& S, std::string_view name, ActivityTotals& T) {
    const NameText m(name);
    T = ActivityTotals{};
    for (ActivitySlot& slot : T.Slot) {
        slot.FirstDay = 2147483647;
        slot.LastDay = std::numeric_limits<std::int32_t>::min();  // 0 again when nothing is counted
    }
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& msg = S.Messages[n];
        if (!m.empty() && msg.Name != m) continue;
        const int direction = msg.Flags & 3;
        // A stored message has exactly one direction; a record with both or neither is not
        // counted rather than counted into a slot that does not exist.
        if (direction != MsgSent && direction != MsgReceived) continue;
        ActivitySlot& slot = T.Slot[direction];
        const std::int32_t day = ActivityDay(msg.Time.view());
        ++slot.Count;
        slot.Chars += DisplayCharCount(msg.Text);
        slot.Words += CountWords(msg.Text);  // the display form has the same words
        slot.FirstDay = std::min(slot.FirstDay, day);
        slot.LastDay = std::max(slot.LastDay, day);
    }
    const ActivitySlot& sent = T.Slot[ActivitySentSlot];
    const ActivitySlot& received = T.Slot[ActivityReceivedSlot];
    ActivitySlot& all = T.Slot[ActivityAll];
    all.Count = sent.Count + received.Count;
    all.Chars = sent.Chars + received.Chars;
    all.Words = sent.Words + received.Words;
    all.FirstDay = std::min(sent.FirstDay, received.FirstDay);
    all.LastDay = std::max(sent.LastDay, received.LastDay);
    for (ActivitySlot& slot : T.Slot)
        if (slot.Count == 0) slot.LastDay = 0;
}

double PreviousReplyTime(const MsgStore& S, std::int32_t n) {
    if (n < 1 || n > S.MessageCount) return -1;
    const XMsgRecType& current = S.Messages[n];
    const double T = TimeValue(current.Time.view());
    const int direction = current.Flags & 3;
    double best = -1;
    for (std::int32_t i = 1; i <= S.MessageCount; ++i) {
        const XMsgRecType& m = S.Messages[i];
        if (i == n || m.Name != current.Name || (m.Flags & 3) == direction) continue;
        const double t = TimeValue(m.Time.view());
        if (t < T && t > 0 && t > best) best = t;
    }
    return best;
}

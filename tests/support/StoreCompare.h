// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole-store equality for the differential tests: every slot, field, counter and table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "MBVars/Store.h"

inline bool SameMessage(const XMsgRecType& a, const XMsgRecType& b) {
    return a.Flags == b.Flags && a.Serial == b.Serial && a.Color == b.Color &&
           a.Reserved == b.Reserved && a.Time == b.Time && a.Phone == b.Phone && a.Name == b.Name &&
           a.Text == b.Text;
}

inline bool SameContact(const ContactRec& a, const ContactRec& b) {
    return a.Phone == b.Phone && a.Name == b.Name && a.Color == b.Color && a.Activity == b.Activity;
}

inline bool SameHistory(const HistoryRec& a, const HistoryRec& b) {
    return a.Blocked == b.Blocked && a.Phone == b.Phone && a.Name == b.Name && a.Color == b.Color;
}

// Slot n of a table, or an empty slot where the table has not grown that far: two stores
// that grew differently but hold the same are the same.
template <class T>
const T& SlotOr(const std::vector<T>& table, std::size_t n) {
    static const T empty{};
    return n < table.size() ? table[n] : empty;
}

// Fails the test at the first difference; slot 0 of the messages is a work record with no
// meaning after an operation and is left out.
inline void ExpectSameStore(const MsgStore& a, const MsgStore& b) {
    ASSERT_EQ(a.MessageCount, b.MessageCount);
    for (std::size_t n = 1; n < std::max(a.Messages.size(), b.Messages.size()); ++n) {
        const XMsgRecType &x = SlotOr(a.Messages, n), &y = SlotOr(b.Messages, n);
        ASSERT_TRUE(SameMessage(x, y)) << "message " << n << ": " << x.Phone.str() << " " << x.Time.str()
                                       << " / " << y.Phone.str() << " " << y.Time.str();
    }
    EXPECT_EQ(a.SentCount, b.SentCount);
    EXPECT_EQ(a.ReceivedCount, b.ReceivedCount);
    EXPECT_EQ(a.ColoredCount, b.ColoredCount);
    EXPECT_EQ(a.Modified, b.Modified);
    ASSERT_EQ(a.ContactCount, b.ContactCount);
    for (std::size_t c = 0; c < std::max(a.Contacts.size(), b.Contacts.size()); ++c)
        ASSERT_TRUE(SameContact(SlotOr(a.Contacts, c), SlotOr(b.Contacts, c))) << "contact " << c;
    ASSERT_EQ(a.HistoryCount, b.HistoryCount);
    for (std::size_t h = 0; h < a.History.size(); ++h)
        ASSERT_TRUE(SameHistory(a.History[h], b.History[h])) << "history entry " << h;
    EXPECT_EQ(a.ViewCount, b.ViewCount);
    EXPECT_EQ(a.ViewMask, b.ViewMask);
    for (std::size_t r = 0; r < std::max(a.ViewIndex.size(), b.ViewIndex.size()); ++r)
        ASSERT_EQ(SlotOr(a.ViewIndex, r), SlotOr(b.ViewIndex, r)) << "view row " << r;
}

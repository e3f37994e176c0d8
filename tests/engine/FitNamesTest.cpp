// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "MBVars/History.h"
#include "MBVars/Ordering.h"
#include "support/LiteralReference.h"
#include "support/RandomStores.h"
#include "support/StoreCompare.h"

namespace {

// A random store with a contact table and a history drawn from its own phones (and a few
// strangers), with names that are usable, empty, one space, below the space, or the phone.
MsgStore FitNamesTestStore(unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    MsgStore S;
    FillTieRichStore(S, 1 + pick(400), seed);
    auto somePhone = [&]() -> std::string {
        if (pick(8) == 0) return pick(2) ? "" : "+15555550999";
        return S.Messages[1 + pick(S.MessageCount)].Phone.str();
    };
    auto someName = [&](const std::string& phone) -> std::string {
        switch (pick(7)) {
            case 0: return "";
            case 1: return " ";
            case 2: return " x";
            case 3: return "\x1Fy";
            case 4: return phone;
            default: return "Name " + std::to_string(pick(6));
        }
    };
    S.ContactCount = pick(30);
    GrowContacts(S, S.ContactCount);
    for (std::int32_t c = 1; c <= S.ContactCount; ++c) {
        const std::string phone = somePhone();
        S.Contacts[c].Phone = phone;
        S.Contacts[c].Name = someName(phone);
    }
    S.HistoryCount = pick(4) == 0 ? 0 : pick(40);
    for (std::int32_t h = 1; h <= S.HistoryCount; ++h) {
        HistoryRec& e = S.History[h];
        const std::string phone = somePhone();
        e.Phone = phone;
        e.Name = someName(phone);
        e.Color = pick(2) ? 0 : 0x10 + pick(5);
        e.Blocked = pick(6) == 0 ? 1 : 0;
    }
    BuildView(S, pick(2) ? ViewEverything : ViewReceived);
    S.Modified = false;
    return S;
}

TEST(FitNames, MatchesTheLiteralProcedure) {
    for (unsigned seed = 1; seed <= 60; ++seed)
        for (bool useHistory : {false, true}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " history " << useHistory);
            MsgStore fast = FitNamesTestStore(seed), literal = fast;
            EXPECT_EQ(FitNames(fast, useHistory), Literal::FitNames(literal, useHistory));
            ExpectSameStore(fast, literal);
            if (HasFatalFailure()) return;
        }
}

MsgStore SmallStore() {
    MsgStore S;
    AddMessage(S, "2007.01.01 10:00", "+15555550100", "a", MsgSms | MsgSent, "");
    AddMessage(S, "2007.01.01 10:01", "+15555550101", "b", MsgSms | MsgReceived, "");
    AddMessage(S, "2007.01.01 10:02", "+15555550100", "c", MsgSms | MsgReceived, "Old");
    AddMessage(S, "2007.01.01 10:03", "+15555550102", "d", MsgSms | MsgSent, "");
    return S;
}

TEST(FitNames, ContactNamesWithoutTheHistory) {
    MsgStore S = SmallStore();
    GrowContacts(S, 3);
    S.ContactCount = 3;
    S.Contacts[1].Phone = "+15555550100";
    S.Contacts[1].Name = "Ann";
    S.Contacts[2].Phone = "+15555550101";
    S.Contacts[2].Name = " ";  // one space never reaches the messages
    S.Contacts[3].Phone = "+15555550100";
    S.Contacts[3].Name = "Ann Lee";  // a later contact of the same phone wins
    S.HistoryCount = 1;
    S.History[1].Phone = "+15555550102";
    S.History[1].Blocked = 1;
    EXPECT_EQ(FitNames(S, false), 0);
    EXPECT_EQ(S.MessageCount, 4);
    EXPECT_EQ(S.Messages[1].Name, "Ann Lee");
    EXPECT_EQ(S.Messages[3].Name, "Ann Lee");
    EXPECT_EQ(S.Messages[2].Name, "+15555550101");  // nameless messages get their number
    EXPECT_EQ(S.Messages[4].Name, "+15555550102");
    EXPECT_TRUE(S.Modified);
}

TEST(FitNames, NoUsableContactLeavesNamelessMessagesAlone) {
    MsgStore S = SmallStore();
    GrowContacts(S, 1);
    S.ContactCount = 1;
    S.Contacts[1].Phone = "+15555550100";
    S.Contacts[1].Name = " ";
    S.Messages[3].Name = "";  // no name its number's other message could give it
    EXPECT_EQ(FitNames(S, true), 0);
    EXPECT_EQ(S.Messages[1].Name, "");
    EXPECT_FALSE(S.Modified);
}

void SetEntry(HistoryRec& e, std::uint8_t blocked, std::string_view phone, std::string_view name,
              std::int32_t color) {
    e.Blocked = blocked, e.Phone = phone, e.Name = name, e.Color = color;
}

TEST(FitNames, HistoryNamesColoursAndBlockedPurges) {
    MsgStore S = SmallStore();
    BuildView(S, ViewEverything);
    S.HistoryCount = 5;
    SetEntry(S.History[1], 0, "+15555550100", "Ann", 0x11);
    SetEntry(S.History[2], 0, "+15555550101", "+15555550101", 0x22);  // its own number: never renames
    SetEntry(S.History[3], 0, "+15555550100", "Ann Lee", 0);           // the last name wins, colour stays
    SetEntry(S.History[4], 1, "+15555550102", " ", 0);
    SetEntry(S.History[5], 0, "+15555550101", " ", 0x33);  // one space: never renames
    EXPECT_EQ(FitNames(S, true), 1);
    ASSERT_EQ(S.MessageCount, 3);
    EXPECT_EQ(S.Messages[1].Name, "Ann Lee");
    EXPECT_EQ(S.Messages[1].Color, 0x11);
    EXPECT_EQ(S.Messages[3].Name, "Ann Lee");
    EXPECT_EQ(S.Messages[2].Name, "");
    EXPECT_EQ(S.Messages[2].Color, 0);
    EXPECT_EQ(S.ViewCount, 3);
    // The blocked number has nothing left to remove.
    EXPECT_EQ(FitNames(S, true), 0);
    EXPECT_EQ(S.MessageCount, 3);
}

}  // namespace

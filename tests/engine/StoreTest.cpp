// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "MBVars/Ordering.h"
#include "MBVars/Store.h"
#include "support/StoreBuilder.h"

TEST(Store, ClearStoreEmptiesEverythingButTheHistory) {
    MsgStore S;
    DefaultsType D;
    FillRandomStore(S, {.Messages = MaxMessages}, 1);
    GrowContacts(S, 3);
    S.ContactCount = 3;
    S.History[1].Phone = "+15555550100";
    S.HistoryCount = 1;
    BuildView(S, ViewEverything);
    S.Modified = true;
    D.SortColumn = 4;
    D.ViewMode = 1;
    ClearStore(S, D);
    EXPECT_EQ(S.MessageCount, 0);
    EXPECT_EQ(S.ContactCount, 0);
    EXPECT_EQ(S.ViewCount, 0);
    EXPECT_FALSE(S.Modified);
    EXPECT_EQ(D.SortColumn, 1);
    EXPECT_EQ(D.ViewMode, 3);
    // No slot keeps its text's memory for the next import to pass around.
    for (const auto& m : S.Messages)
        ASSERT_TRUE(m.Flags == 0 && m.Text.empty() && m.Text.capacity() == std::string().capacity() && m.Phone.empty());
    EXPECT_EQ(S.HistoryCount, 1);
    EXPECT_EQ(S.History[1].Phone, "+15555550100");
}

TEST(Store, StartValuesOfTheSettingsRecord) {
    DefaultsType D;
    EXPECT_EQ(D.SortColumn, 1);
    EXPECT_EQ(D.ViewMode, 3);
    for (bool up : D.SortAscending) EXPECT_FALSE(up);
    EXPECT_EQ(D.ColumnWidth, (std::array<std::int32_t, 7>{40, 130, 110, 110, 20, 100, 50}));
    DefaultsType saved = D;
    saved.DefaultFont->Name = "Tahoma";
    EXPECT_EQ(D.DefaultFont->Name, "Tahoma");  // a record copy shares the font
}

TEST(Store, CountsSerialsAndScrambling) {
    MsgStore S;
    AddMessage(S, "2007.05.01 18:22", "+1", "Hi", MsgSms | MsgSent, "", 5);
    AddMessage(S, "2007.05.01 18:23", "+1", std::string("A") + char(TextMask), MsgSms | MsgReceived);
    CountMessages(S);
    EXPECT_EQ(S.SentCount, 1);
    EXPECT_EQ(S.ReceivedCount, 1);
    EXPECT_EQ(S.ColoredCount, 1);

    Renumber(S);
    EXPECT_EQ(FindSerial(S, 2), 2);
    EXPECT_EQ(FindSerial(S, 9), 0);
    AddMessage(S, "2007.05.01 18:24", "+1", "x");  // not renumbered yet: serial 0
    S.Messages[3].Serial = 1;
    EXPECT_EQ(FindSerial(S, 1), 1);  // the lower position wins

    const std::string before = S.Messages[2].Text;
    ScrambleTexts(S, TextMask);
    EXPECT_EQ(S.Messages[2].Text[1], '\0');
    EXPECT_EQ(S.Messages[2].Text.size(), 2u);
    S.Modified = false;
    ScrambleTexts(S, TextMask);
    EXPECT_EQ(S.Messages[2].Text, before);
    EXPECT_TRUE(S.Modified);
}

TEST(Store, BuildViewByMask) {
    MsgStore S;
    EXPECT_EQ(BuildView(S, ViewEverything), 0);
    AddMessage(S, "2007.05.01 18:22", "+1", "a", MsgSms | MsgSent);
    AddMessage(S, "2007.05.01 18:23", "+1", "b", MsgSms | MsgReceived);
    AddMessage(S, "2007.05.01 18:24", "+1", "c", MsgSms | MsgSent | MsgFound);
    EXPECT_EQ(BuildView(S, ViewEverything), 3);
    EXPECT_EQ(BuildView(S, ViewAll), 3);
    EXPECT_EQ(BuildView(S, ViewSent), 2);
    EXPECT_EQ(S.ViewIndex[1], 1);
    EXPECT_EQ(S.ViewIndex[2], 3);
    EXPECT_EQ(S.ViewIndex[3], 0);
    EXPECT_EQ(S.ViewMask, ViewSent);
    EXPECT_EQ(BuildView(S, ViewFound), 1);
    EXPECT_EQ(BuildView(S, 0), 0);
}

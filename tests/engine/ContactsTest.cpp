// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "Lang/TimeValue.h"
#include "MBVars/Contacts.h"
#include "support/LiteralReference.h"
#include "support/RandomStores.h"
#include "support/StoreCompare.h"

namespace {

// Random store whose names sometimes hold control bytes, and whose contact slots hold
// leftover activity figures.
MsgStore ContactsTestStore(int messages, int phones, unsigned seed) {
    MsgStore S;
    FillRandomStore(S, {.Messages = messages, .Phones = phones, .Texts = 20, .Minutes = 50}, seed);
    for (std::int32_t n = 1; n <= S.MessageCount; n += 7) S.Messages[n].Name = "Ann\tLee\r\n" + std::to_string(n % 3);
    for (std::int32_t n = 3; n <= S.MessageCount; n += 11) S.Messages[n].Name = "";
    GrowContacts(S, MaxContacts);
    for (std::int32_t c = 0; c <= MaxContacts; ++c) S.Contacts[c].Activity.Slot[1].Count = c;
    return S;
}

TEST(BuildContacts, MatchesTheLiteralProcedure) {
    for (unsigned seed = 1; seed <= 12; ++seed)
        for (int key = 0; key <= 3; ++key) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " key " << key);
            // A few phones, many phones, and more phones than the table holds.
            const int phones[] = {3, 40, 400, 1500};
            const MsgStore original = ContactsTestStore(2000, phones[seed % 4], seed);
            MsgStore fast = original, literal = original;
            BuildContacts(fast, key, true);
            Literal::BuildContacts(literal, key, true);
            ExpectSameStore(fast, literal);
            // Reordering the table without a rebuild.
            BuildContacts(fast, 3 - key % 2, false);
            Literal::BuildContacts(literal, 3 - key % 2, false);
            ExpectSameStore(fast, literal);
            if (HasFatalFailure()) return;
        }
}

TEST(BuildContacts, TheFirstMessageOfEachPhoneGivesNameAndColour) {
    MsgStore S;
    AddMessage(S, "2007.01.01 10:00", "+15555550101", "a", MsgSms | MsgSent, "Bo\tb", 7);
    AddMessage(S, "2007.01.01 10:01", "+15555550100", "b", MsgSms | MsgSent, "Ann", 0);
    AddMessage(S, "2007.01.01 10:02", "+15555550101", "c", MsgSms | MsgSent, "Other", 9);
    AddMessage(S, "2007.01.01 10:03", "+1 5555550100", "d", MsgSms | MsgSent, "\n", 0);
    BuildContacts(S, ContactsByPhone, true);
    ASSERT_EQ(S.ContactCount, 3);
    EXPECT_EQ(S.Contacts[1].Phone, "+1 5555550100");  // a space makes another contact
    EXPECT_EQ(S.Contacts[1].Name, "");
    EXPECT_EQ(S.Contacts[2].Phone, "+15555550100");
    EXPECT_EQ(S.Contacts[3].Name, "Bob");
    EXPECT_EQ(S.Contacts[3].Color, 7);
    EXPECT_EQ(S.Messages[1].Name, "Bob");  // the message's name is cleaned too
    EXPECT_EQ(S.Messages[4].Name, "");
    EXPECT_TRUE(S.Modified);
}

TEST(BuildContacts, OnlyACleanedNameCountsAsAChange) {
    MsgStore S;
    AddMessage(S, "2007.01.01 10:00", "+15555550101", "a", MsgSms | MsgSent, "Bob", 7);
    AddMessage(S, "2007.01.01 10:01", "+15555550100", "b", MsgSms | MsgReceived, "", 0);
    for (int key : {ContactsByPhone, ContactsByName}) {
        BuildContacts(S, key, true);
        BuildContacts(S, key, false);
    }
    EXPECT_EQ(S.ContactCount, 2);
    EXPECT_FALSE(S.Modified);  // the table is not part of the collection

    S.Messages[2].Name = "Ann\r";
    BuildContacts(S, ContactsByName, true);
    EXPECT_EQ(S.Messages[2].Name, "Ann");
    EXPECT_TRUE(S.Modified);
}

TEST(BuildContacts, TheTableHoldsTheFirstThousandPhones) {
    MsgStore S;
    for (int p = 0; p < MaxContacts + 1; ++p)
        AddMessage(S, "2007.01.01 10:00", "+1555555" + std::to_string(1000 + p), "x");
    BuildContacts(S, 0, true);
    EXPECT_EQ(S.ContactCount, MaxContacts);
    EXPECT_EQ(S.Contacts[MaxContacts].Phone, "+15555551999");
    for (std::int32_t c = 1; c <= S.ContactCount; ++c) ASSERT_NE(S.Contacts[c].Phone, "+15555552000");
}

TEST(AssignName, NamesEveryMessageOfThePhone) {
    MsgStore S;
    AddMessage(S, "2007.01.01 10:00", "+15555550100", "a", MsgSms | MsgSent, "Old");
    AddMessage(S, "2007.01.01 10:01", "+15555550101", "b", MsgSms | MsgSent, "");
    AddMessage(S, "2007.01.01 10:02", "+15555550100", "c", MsgSms | MsgSent, "");

    EXPECT_EQ(AssignName(S, "", "Ann"), 0);
    EXPECT_FALSE(S.Modified);
    EXPECT_EQ(S.Messages[2].Name, "");

    EXPECT_EQ(AssignName(S, "+15555550199", "Ann"), 0);
    EXPECT_TRUE(S.Modified);
    EXPECT_EQ(S.Messages[2].Name, "+15555550101");  // nameless messages get their phone
    EXPECT_EQ(S.Messages[3].Name, "+15555550100");

    EXPECT_EQ(AssignName(S, "+15555550100", std::string(40, 'n')), 2);
    EXPECT_EQ(S.Messages[1].Name, std::string(30, 'n'));
    EXPECT_EQ(S.Messages[3].Name, std::string(30, 'n'));
    EXPECT_EQ(S.Messages[2].Name, "+15555550101");

    // A UTF-8 name loses whole characters only; a Windows-1252 one is cut at 30 bytes.
    std::string cyrillic;
    for (int i = 0; i < 16; ++i) cyrillic += "\xD0\xAF";  // 32 bytes
    cyrillic.insert(0, "A");                               // 33 bytes, letters on odd offsets
    AssignName(S, "+15555550100", cyrillic);
    EXPECT_EQ(S.Messages[1].Name, cyrillic.substr(0, 29));
    AssignName(S, "+15555550100", std::string(33, '\xE9'));
    EXPECT_EQ(S.Messages[1].Name, std::string(30, '\xE9'));
}

TEST(ComputeActivity, EmptyStoreAndSentOnly) {
    MsgStore S;
    ActivityTotals T;
    ComputeActivity(S, "", T);
    for (const ActivitySlot& slot : T.Slot) {
        EXPECT_EQ(slot.Count, 0);
        EXPECT_EQ(slot.FirstDay, 2147483647);
        EXPECT_EQ(slot.LastDay, 0);
    }
    AddMessage(S, "2007.05.01 18:22", "+15555550100", "Hello, there!", MsgSms | MsgSent, "Ann");
    AddMessage(S, "2007.05.03 08:00", "+15555550100", "K\xC3\xA4se ok", MsgSms | MsgSent, "Ann");
    AddMessage(S, "2007.05.02 09:00", "+15555550101", "Hi", MsgSms | MsgReceived, "Bo");
    ComputeActivity(S, "Ann", T);
    const ActivitySlot& sent = T.Slot[ActivitySentSlot];
    EXPECT_EQ(sent.Count, 2);
    EXPECT_EQ(sent.Chars, 13 + 7);  // the two-byte letter counts as one
    EXPECT_EQ(sent.Words, 4);
    EXPECT_EQ(sent.FirstDay, DayNumber(2007, 5, 1));
    EXPECT_EQ(sent.LastDay, DayNumber(2007, 5, 3));
    EXPECT_EQ(T.Slot[ActivityReceivedSlot].Count, 0);
    EXPECT_EQ(T.Slot[ActivityReceivedSlot].FirstDay, 2147483647);
    EXPECT_EQ(T.Slot[ActivityAll], sent);

    ComputeActivity(S, "", T);
    EXPECT_EQ(T.Slot[ActivityAll].Count, 3);
    EXPECT_EQ(T.Slot[ActivityReceivedSlot].FirstDay, DayNumber(2007, 5, 2));
}

TEST(PreviousReplyTime, LatestEarlierMessageInTheOtherDirection) {
    MsgStore S;
    AddMessage(S, "2007.05.01 10:00", "+15555550100", "q1", MsgSms | MsgReceived, "Ann");
    AddMessage(S, "2007.05.01 10:05", "+15555550100", "q2", MsgSms | MsgReceived, "Ann");
    AddMessage(S, "2007.05.01 10:07", "+15555550101", "x", MsgSms | MsgReceived, "Bo");
    AddMessage(S, "2007.05.01 10:09", "+15555550100", "a1", MsgSms | MsgSent, "Ann");
    AddMessage(S, "2007.05.01 10:20", "+15555550100", "q3", MsgSms | MsgReceived, "Ann");
    EXPECT_EQ(PreviousReplyTime(S, 1), -1);  // first of the conversation
    EXPECT_EQ(PreviousReplyTime(S, 2), -1);  // an earlier message in the same direction does not count
    EXPECT_DOUBLE_EQ(PreviousReplyTime(S, 4), TimeValue("2007.05.01 10:05"));
    EXPECT_DOUBLE_EQ(PreviousReplyTime(S, 5), TimeValue("2007.05.01 10:09"));
    EXPECT_EQ(PreviousReplyTime(S, 3), -1);
    EXPECT_EQ(PreviousReplyTime(S, 0), -1);
    EXPECT_EQ(PreviousReplyTime(S, 6), -1);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "Lang/TimeValue.h"
#include "MBVars/Stats.h"
#include "MBVars/Contacts.h"
#include "OFuncs/TextOps.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"

namespace {
const LocaleInfo English = LocaleInfo::English();

// The activity procedure as written: one pass over the store for one name (every message
// when empty), or over the nameless messages of one number; days counted down.
ActivityTotals LiteralActivity(const MsgStore& S, std::string_view name, std::string_view namelessPhone = {}) {
    ActivityTotals T;
    for (auto& slot : T.Slot) slot.FirstDay = 2147483647, slot.LastDay = -2147483647 - 1;
    for (int n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        if (!name.empty() && m.Name.view() != name) continue;
        if (!namelessPhone.empty() && (!m.Name.empty() || m.Phone.view() != namelessPhone)) continue;
        const int k = m.Flags & 3;
        const std::string t = NormaliseText(m.Text);
        const int day = static_cast<int>(std::floor(TimeValue(m.Time.view())));
        ActivitySlot& s = T.Slot[k];
        s.Count += 1;
        s.Chars += Literal::CharCount(m.Text);
        s.Words += CountWords(t);
        s.FirstDay = std::min(s.FirstDay, day);
        s.LastDay = std::max(s.LastDay, day);
    }
    ActivitySlot &all = T.Slot[0], &a = T.Slot[1], &b = T.Slot[2];
    all.Count = a.Count + b.Count;
    all.Chars = a.Chars + b.Chars;
    all.Words = a.Words + b.Words;
    all.FirstDay = std::min(a.FirstDay, b.FirstDay);
    all.LastDay = std::max(a.LastDay, b.LastDay);
    for (auto& slot : T.Slot)
        if (slot.Count == 0) slot.LastDay = 0;
    return T;
}

void AddContact(MsgStore& S, std::string_view phone, std::string_view name) {
    GrowContacts(S, S.ContactCount + 1);
    ContactRec& c = S.Contacts[static_cast<std::size_t>(++S.ContactCount)];
    c.Phone = phone;
    c.Name = name;
}

MsgStore& SmallStore(MsgStore& S) {
    AddMessage(S, "2007.03.01 10:00", "+15555550100", "Hello, world!", MsgSent, "Ann");
    AddMessage(S, "2007.03.03 09:00", "+15555550100", "a-b", MsgSent, "Ann");
    AddMessage(S, "2007.03.02 12:00", "+15555550101", "...", MsgReceived, "Bob");
    return S;
}
}  // namespace

TEST(ActivitySummary, TextOfASmallCollection) {
    MsgStore S;
    const ActivityTotals T = LiteralActivity(SmallStore(S), "");
    EXPECT_EQ(ActivitySummaryText(T, English),
              "Activity summary:\r\n\r\n"
              "All messages in 01/03/2007-03/03/2007 (3 days):\r\n"
              "3 messages, 19 characters, 5 words\r\n\r\n"
              "Sent messages in 01/03/2007-03/03/2007 (3 days):\r\n"
              "2 messages, 16 characters, 4 words\r\n\r\n"
              "Received messages in 02/03/2007-02/03/2007 (1 days):\r\n"
              "1 messages, 3 characters, 1 words");
}

TEST(ActivitySummary, ASlotWithoutMessagesShowsNoDates) {
    MsgStore S;
    AddMessage(S, "2007.03.02 12:00", "+15555550101", "\xC3\xA4!", MsgReceived);
    const ActivityTotals T = LiteralActivity(S, "");
    EXPECT_EQ(ActivitySummaryText(T, English),
              "Activity summary:\r\n\r\n"
              "All messages in 02/03/2007-02/03/2007 (1 days):\r\n"
              "1 messages, 2 characters, 1 words\r\n\r\n"
              "Sent messages:\r\n"
              "0 messages, 0 characters, 0 words\r\n\r\n"
              "Received messages in 02/03/2007-02/03/2007 (1 days):\r\n"
              "1 messages, 2 characters, 1 words");
}

TEST(ContactsActivity, OnePassEqualsOneLiteralPassPerContact) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        MsgStore S;
        FillRandomStore(S, {.Messages = 3000, .Phones = 60, .Texts = 40, .Minutes = 20000}, seed);
        std::mt19937 rng(seed);
        // Contacts as a rebuild makes them, plus the awkward cases: shared names, a name
        // no message carries, and nameless contacts (which count every message).
        for (int p = 0; p < 60; ++p) {
            const int pick = std::uniform_int_distribution<int>(0, 9)(rng);
            const std::string name = pick == 0 ? "" : pick == 1 ? "Nobody" : "Person " + std::to_string(p % 25);
            AddContact(S, "+1555" + std::to_string(p), name);
        }
        if (seed % 2) S.Messages[7].Text = "\xC3\x84 and \xC3\xB6, \"quoted\" +-;";
        ComputeContactsActivity(S);
        for (int c = 1; c <= S.ContactCount; ++c) {
            const ContactRec& contact = S.Contacts[static_cast<std::size_t>(c)];
            ASSERT_EQ(contact.Activity, LiteralActivity(S, contact.Name.view())) << seed << " " << c;
        }
    }
}

TEST(ContactActivityRows, OneRowPerNameAndPerNamelessNumberWithTheLiteralFigures) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        MsgStore S;
        FillRandomStore(S, {.Messages = 3000, .Phones = 60, .Texts = 40, .Minutes = 20000}, seed);
        // Shared names (several numbers of one person) and nameless numbers.
        for (int n = 1; n <= S.MessageCount; ++n) {
            XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            const int p = std::stoi(std::string(m.Phone.view().substr(m.Phone.size() - 2)));
            m.Name = p % 7 == 0 ? std::string() : "Person " + std::to_string(p % 13);
        }
        S.Messages[5].Time = "1506.03.28 10:00";
        BuildContacts(S, ContactsByName, true);
        const std::vector<ActivityRow> rows = ContactActivityRows(S);

        std::vector<std::string> covered;
        std::int32_t counted = 0;
        for (const ActivityRow& row : rows) {
            ASSERT_FALSE(row.Phones.empty());
            if (!row.Name.empty()) EXPECT_EQ(row.Activity, LiteralActivity(S, row.Name)) << seed << row.Name;
            else {
                ASSERT_EQ(row.Phones.size(), 1u);
                EXPECT_EQ(row.Activity, LiteralActivity(S, {}, row.Phones[0])) << seed << row.Phones[0];
            }
            covered.insert(covered.end(), row.Phones.begin(), row.Phones.end());
            counted += row.Activity.Slot[ActivityAll].Count;
        }
        // Every contact in exactly one row, names once each, and no message counted twice.
        std::vector<std::string> phones;
        std::vector<std::string> names;
        for (int c = 1; c <= S.ContactCount; ++c) phones.emplace_back(S.Contacts[static_cast<std::size_t>(c)].Phone.view());
        for (const ActivityRow& row : rows)
            if (!row.Name.empty()) names.push_back(row.Name);
        std::sort(phones.begin(), phones.end());
        std::sort(covered.begin(), covered.end());
        EXPECT_EQ(covered, phones);
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
        EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
        EXPECT_EQ(counted, S.MessageCount);
    }
}

TEST(ActivitySummary, AMessageBeforeTheScalesStartKeepsItsOwnDay) {
    MsgStore S;
    AddMessage(S, "1506.03.28 10:00", "+15555550101", "old", MsgReceived, "Ann");
    ActivityTotals T;
    ComputeActivity(S, {}, T);
    EXPECT_EQ(T, LiteralActivity(S, {}));
    EXPECT_NE(ActivitySummaryText(T, English).find("All messages in 28/03/1506-28/03/1506 (1 days):"), std::string::npos);
}

TEST(ContactsActivity, CountsAndSpansOfTheExamples) {
    MsgStore S;
    AddMessage(S, "2007.03.01 23:59", "+15555550100", ".", MsgReceived, "Ann");
    AddMessage(S, "2007.03.03 00:00", "+15555550100", "Hello, world!", MsgReceived, "Ann");
    AddMessage(S, "2007.03.03 08:00", "+15555550101", "only sent", MsgSent, "Bob");
    AddContact(S, "+15555550100", "Ann");
    AddContact(S, "+15555550101", "Bob");
    const std::vector<ActivityRow> rows = ContactActivityRows(S);
    ASSERT_EQ(rows.size(), 2u);
    const ActivityTotals& ann = rows[0].Activity;
    EXPECT_EQ(ann.Slot[2].Count, 2);
    EXPECT_EQ(ann.Slot[2].Chars, 14);
    EXPECT_EQ(ann.Slot[2].Words, 3);  // "." is one word
    EXPECT_EQ(ann.Slot[1].Count, 0);
    EXPECT_EQ(ann.Slot[1].FirstDay, 2147483647);
    EXPECT_EQ(StatsCellText(rows[0], 1, English), "0");
    EXPECT_EQ(StatsCellText(rows[0], 7, English), "01/03/2007");
    EXPECT_EQ(StatsCellText(rows[0], 8, English), "03/03/2007");
    EXPECT_EQ(StatsCellText(rows[0], 9, English), "3");
    EXPECT_EQ(StatsCellText(rows[1], 9, English), "1");
    EXPECT_EQ(StatsCellText(rows[1], 0, English), "Bob");
    EXPECT_EQ(rows[1].Activity.Slot[0], rows[1].Activity.Slot[1]);
}

TEST(ContactsActivity, BreakdownTexts) {
    ActivityRow c;
    c.Name = "Ann";
    c.Phones = {"+15555550100", "+15555550101"};
    const std::string head = " --- Ann --- \r\nNumbers: +15555550100, +15555550101\r\n";
    c.Activity.Slot[1] = {12, 300, 40, 39000, 39010};
    c.Activity.Slot[2] = {15, 200, 50, 39005, 39156};
    c.Activity.Slot[0] = {27, 500, 90, 39000, 39156};
    EXPECT_EQ(StatsBreakdownText(c, 2, English),
              head + "Messages:\r\nSent 12,\r\nReceived 15,\r\nSent+Received 27,\r\nSent-Received -3");
    EXPECT_EQ(StatsBreakdownText(c, 3, English),
              head + "Characters:\r\nSent 300,\r\nReceived 200,\r\nSent+Received 500,\r\nSent-Received 100");
    EXPECT_EQ(StatsFiguresText(c, 6, English).substr(0, 8), "Words:\r\n");
    EXPECT_EQ(StatsBreakdownText(c, 0, English), head);
    const std::string dates =
        head + "First message sent/received: 10/10/2006\r\n"
        "Last message sent/received: 15/03/2007\r\nTime range 157 days";
    EXPECT_EQ(StatsBreakdownText(c, 7, English), dates);
    EXPECT_EQ(StatsBreakdownText(c, 9, English), dates);
}

TEST(ActivityFigures, CharactersCountAsShownInEveryScriptAndWordsAsBefore) {
    MsgStore S;
    // Привет, мир! (12 characters, 22 bytes); a thumbs-up with a skin tone and a flag (2
    // characters); Windows-1252 "café" (4); the five mapped letters in a text that is not
    // UTF-8 (the pair counts once, the lone E9 once); a CR LF counts two, as ever.
    AddMessage(S, "2007.03.01 10:00", "+15555550100",
               "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80!", MsgSent, "Ann");
    AddMessage(S, "2007.03.01 10:01", "+15555550100", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD\xF0\x9F\x87\xB8\xF0\x9F\x87\xAA",
               MsgSent, "Ann");
    AddMessage(S, "2007.03.01 10:02", "+15555550101", "caf\xE9", MsgReceived, "Bob");
    AddMessage(S, "2007.03.01 10:03", "+15555550101", "\xC3\xA4\xE9", MsgReceived, "Bob");
    AddMessage(S, "2007.03.01 10:04", "+15555550101", "ok\r\nbye", MsgReceived, "Bob");
    ActivityTotals T;
    ComputeActivity(S, "Ann", T);
    EXPECT_EQ(T.Slot[ActivitySentSlot].Chars, 12 + 2);
    EXPECT_EQ(T.Slot[ActivitySentSlot].Words, 2 + 1);
    ComputeActivity(S, "Bob", T);
    EXPECT_EQ(T.Slot[ActivityReceivedSlot].Chars, 4 + 2 + 7);
    EXPECT_EQ(T.Slot[ActivityReceivedSlot].Words, 1 + 1 + 1);
    AddContact(S, "+15555550100", "Ann");
    AddContact(S, "+15555550101", "Bob");
    ComputeContactsActivity(S);
    EXPECT_EQ(S.Contacts[1].Activity, LiteralActivity(S, "Ann"));
    EXPECT_EQ(S.Contacts[2].Activity, T);
}

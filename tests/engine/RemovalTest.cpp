// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "MBVars/Ordering.h"
#include "MBVars/Removal.h"
#include "support/LiteralReference.h"
#include "support/RandomStores.h"
#include "support/StoreCompare.h"

namespace {

std::string TextsInOrder(const MsgStore& S) {
    std::string s;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) s += S.Messages[n].Text + " ";
    return s;
}

TEST(RemoveDuplicates, MatchesTheLiteralProcedure) {
    for (unsigned seed = 1; seed <= 50; ++seed)
        for (bool remove : {false, true}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " remove " << remove);
            MsgStore fast;
            FillTieRichStore(fast, 1 + static_cast<int>(seed * 53 % 600), seed);
            fast.Messages[1].Flags |= MsgDoomed;  // a mark left from before counts too
            BuildView(fast, seed % 2 ? ViewEverything : ViewSent);
            MsgStore literal = fast;
            EXPECT_EQ(RemoveDuplicates(fast, remove), Literal::RemoveDuplicates(literal, remove));
            ExpectSameStore(fast, literal);
            if (HasFatalFailure()) return;
        }
}

// Collections full of one message: few phones, texts that differ only in trailing spaces,
// a few minutes, both directions, the phone's own time on some and colours on some.
TEST(RemoveDuplicates, RepeatedWordsMatchTheLiteralPairs) {
    const std::vector<std::string> phones = {"+15555550100", "+15555550101", "+1555555010"};
    const std::vector<std::string> texts = {"Ok", "Ok ", "Ok  ", "ok", "\xF0\x9F\x91\x8D", "", " "};
    const std::vector<std::string> minutes = {"2011.03.04 10:00", "2011.03.04 10:01", "2011.03.05 10:00"};
    for (unsigned seed = 1; seed <= 60; ++seed)
        for (bool remove : {false, true}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " remove " << remove);
            std::mt19937 rng(seed);
            const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
            MsgStore fast;
            const int count = 1 + static_cast<int>(pick(400));
            const std::size_t colourEvery = 1 + pick(6), exactEvery = 1 + pick(3);
            for (int k = 0; k < count; ++k) {
                const auto flags = static_cast<std::uint16_t>((pick(2) ? MsgSent : MsgReceived) |
                                                              (pick(exactEvery) == 0 ? MsgExactTime : MsgWordCodes) |
                                                              (pick(8) ? MsgSms : MsgMms));
                AddMessage(fast, minutes[pick(minutes.size())], phones[pick(phones.size())], texts[pick(texts.size())],
                           flags, {}, pick(colourEvery) == 0 ? static_cast<std::int32_t>(1 + pick(3)) : 0);
            }
            BuildView(fast, ViewEverything);
            MsgStore literal = fast;
            EXPECT_EQ(RemoveDuplicates(fast, remove), Literal::RemoveDuplicates(literal, remove));
            ExpectSameStore(fast, literal);
            if (HasFatalFailure()) return;
        }
}

TEST(RemoveDuplicates, WhichMessageSurvives) {
    // Three records of one message at positions 1 < 2 < 3 with colours c1, c2, c3; the
    // survivor's name tag. The others differ from them in one thing each and stay.
    struct Case {
        std::int32_t c1, c2, c3;
        const char* survivor;
    };
    for (const Case& k : {Case{0, 0, 0, "a"}, Case{0, 5, 0, "b"}, Case{5, 5, 5, "c"}, Case{5, 0, 0, "a"},
                          Case{0, 0, 5, "c"}, Case{5, 5, 0, "b"}}) {
        MsgStore S;
        AddMessage(S, "2007.01.01 10:00", "+15555550100", "same", MsgSms | MsgSent, "a", k.c1);
        AddMessage(S, "2007.01.01 10:00", "+15555550101", "same", MsgSms | MsgSent);      // other phone
        AddMessage(S, "2007.01.01 10:00", "+15555550100", "same  ", MsgMms | MsgSent, "b", k.c2);
        AddMessage(S, "2007.01.02 10:00", "+15555550100", "same", MsgSms | MsgSent);      // other day
        AddMessage(S, "2007.01.01 10:00", "+15555550100", "same", MsgSms | MsgReceived);  // received
        AddMessage(S, "2007.01.01 10:00", "+15555550100", "same", MsgSms | MsgSent | MsgExactTime, "c", k.c3);
        AddMessage(S, "2007.01.01 10:01", "+15555550100", "same", MsgSms | MsgSent | MsgExactTime);  // next minute
        AddMessage(S, "2007.01.01 10:00", "+15555550100", "Same", MsgSms | MsgSent);      // other text
        EXPECT_EQ(RemoveDuplicates(S, false), 2);
        EXPECT_EQ(S.MessageCount, 8);
        for (std::int32_t n = 1; n <= 8; ++n) EXPECT_FALSE(S.Messages[n].Flags & MsgDoomed);
        S.Modified = false;
        EXPECT_EQ(RemoveDuplicates(S, true), 2);
        EXPECT_TRUE(S.Modified);
        ASSERT_EQ(S.MessageCount, 6);
        std::string survivors;
        for (std::int32_t n = 1; n <= 6; ++n) survivors += S.Messages[n].Name.str();
        EXPECT_EQ(survivors, k.survivor);
    }
}

TEST(PurgeMarked, MatchesTheLiteralPassesAndKeepsTheOrder) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        MsgStore fast;
        FillTieRichStore(fast, static_cast<int>(seed * 31 % 500), seed);
        for (std::int32_t n = 1; n <= fast.MessageCount; ++n)
            if ((n * seed) % 3 == 0) fast.Messages[n].Flags |= MsgDoomed;
        BuildView(fast, ViewReceived);
        MsgStore literal = fast;
        EXPECT_EQ(PurgeMarked(fast), Literal::PurgeMarked(literal));
        ExpectSameStore(fast, literal);
    }
}

TEST(PurgeMarked, RemovingTheFirstOfAFullStore) {
    MsgStore S;
    FillRandomStore(S, {.Messages = MaxMessages}, 5);
    Renumber(S);
    BuildView(S, ViewEverything);
    EXPECT_EQ(DeleteViewRows(S, 1, 1), 1);
    ASSERT_EQ(S.MessageCount, MaxMessages - 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) ASSERT_EQ(S.Messages[n].Serial, n + 1);
    EXPECT_EQ(S.Messages[MaxMessages].Flags, 0);
    EXPECT_EQ(S.ViewCount, MaxMessages - 1);
}

TEST(DeleteViewRows, RemovesTheSelectedRowsOfAFilteredView) {
    MsgStore S;
    for (int i = 0; i < 6; ++i)
        AddMessage(S, "2007.01.01 10:00", "+15555550100", std::to_string(i), MsgSms | (i % 2 ? MsgSent : MsgReceived));
    BuildView(S, ViewSent);  // messages "1", "3", "5"
    EXPECT_EQ(DeleteViewRows(S, 2, 3), 2);
    EXPECT_EQ(TextsInOrder(S), "0 1 2 4 ");
    EXPECT_EQ(S.ViewCount, 1);
    EXPECT_EQ(S.ViewMask, ViewSent);
    // Rows outside the view and reversed ranges remove nothing, yet the view is rebuilt.
    EXPECT_EQ(DeleteViewRows(S, 3, 2), 0);
    EXPECT_EQ(DeleteViewRows(S, -5, 0), 0);
    EXPECT_EQ(DeleteViewRows(S, 2, 100000), 0);
    EXPECT_EQ(TextsInOrder(S), "0 1 2 4 ");
}

TEST(DeletePhone, RemovesEveryMessageOfThePhoneOnly) {
    MsgStore S;
    AddMessage(S, "2007.01.01 10:00", "+15555550100", "a");
    AddMessage(S, "2007.01.01 10:00", "+15555550101", "b");
    AddMessage(S, "2007.01.01 10:00", "+15555550100", "c");
    S.Modified = false;
    EXPECT_EQ(DeletePhone(S, "+15555550199"), 0);
    EXPECT_EQ(TextsInOrder(S), "a b c ");
    EXPECT_TRUE(S.Modified);
    EXPECT_EQ(DeletePhone(S, "+15555550100"), 2);
    EXPECT_EQ(TextsInOrder(S), "b ");
}

}  // namespace

// Keys that only a byte-exact comparison tells apart: a phone's end moved into the text,
// texts that are prefixes of each other, equal lengths differing in the last byte, empty
// texts, and long equal texts; colours spread so that every survivor rule is taken.
TEST(RemoveDuplicates, NearlyEqualKeysMatchTheLiteralProcedure) {
    const std::string longText(300, 'x');
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"+15555550100", "ab"}, {"+1555555010", "0ab"}, {"+15555550100", "a"}, {"+15555550100", "abc"},
        {"+15555550100", ""},   {"+15555550101", ""},   {"+15555550100", longText},
        {"+15555550100", longText.substr(1) + "y"},   {"+15555550100", longText + " "}};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        MsgStore fast;
        for (int n = 0; n < 200; ++n) {
            const auto& [phone, text] = keys[rng() % keys.size()];
            AddMessage(fast, "2009.01.01 10:00", phone, text, MsgSms | MsgSent, {},
                       rng() % 3 == 0 ? static_cast<std::int32_t>(1 + rng() % 4) : 0);
        }
        BuildView(fast, ViewEverything);
        MsgStore literal = fast;
        EXPECT_EQ(RemoveDuplicates(fast, true), Literal::RemoveDuplicates(literal, true)) << "seed " << seed;
        ExpectSameStore(fast, literal);
    }
}

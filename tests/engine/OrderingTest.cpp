// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "MBVars/Ordering.h"
#include "support/LiteralReference.h"
#include "support/RandomStores.h"
#include "support/StoreCompare.h"

namespace {

std::string PhonesInOrder(const MsgStore& S) {
    std::string s;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) s += S.Messages[n].Phone.str() + " ";
    return s;
}

TEST(SortMessages, MatchesTheLiteralProcedureOnRandomStores) {
    for (unsigned seed = 1; seed <= 30; ++seed) {
        MsgStore original;
        FillTieRichStore(original, 1 + static_cast<int>(seed * 37 % 500), seed);
        for (int column = 0; column <= 7; ++column)
            for (int direction = 0; direction <= 1; ++direction) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << " column " << column
                                                << " direction " << direction);
                MsgStore fast = original, literal = original;
                DefaultsType fastD, literalD;
                SortMessages(fast, fastD, column, direction);
                Literal::SortMessages(literal, literalD, column, direction);
                ExpectSameStore(fast, literal);
                EXPECT_EQ(fastD.SortColumn, literalD.SortColumn);
                if (HasFatalFailure()) return;
            }
    }
}

// Stores already in a column's order, either way round, are ranked by a scan and, when in
// the asked order, not moved at all; the result must still be the procedure's, ties and all.
TEST(SortMessages, StoresAlreadyInOrderOrInReverseMatchTheLiteralProcedure) {
    for (unsigned seed = 1; seed <= 24; ++seed) {
        for (int column = 1; column <= 6; ++column)
            for (int before = 0; before <= 1; ++before)
                for (int direction = 0; direction <= 1; ++direction) {
                    SCOPED_TRACE(testing::Message() << "seed " << seed << " column " << column << " sorted "
                                                    << before << " then " << direction);
                    MsgStore original;
                    FillTieRichStore(original, 1 + static_cast<int>(seed * 53 % 600), seed);
                    DefaultsType D;
                    Literal::SortMessages(original, D, column, before);
                    Renumber(original);  // tied messages stay told apart
                    MsgStore fast = original, literal = original;
                    SortMessages(fast, D, column, direction);
                    Literal::SortMessages(literal, D, column, direction);
                    ExpectSameStore(fast, literal);
                    if (HasFatalFailure()) return;
                }
    }
}

TEST(SortMessages, RepeatedSortsStayIdenticalToTheLiteralProcedure) {
    MsgStore fast, literal;
    FillTieRichStore(fast, 700, 99);
    literal = fast;
    DefaultsType D;
    const int sequence[][2] = {{1, 0}, {3, 1}, {5, 0}, {2, 1}, {6, 1}, {4, 0}, {1, 1}, {6, 0}};
    for (const auto& [column, direction] : sequence) {
        SortMessages(fast, D, column, direction);
        Literal::SortMessages(literal, D, column, direction);
        ExpectSameStore(fast, literal);
    }
}

TEST(SortMessages, EveryMessageTakesNameAndColourOfTheFirstOfItsPhone) {
    MsgStore S;
    DefaultsType D;
    AddMessage(S, "2007.01.01 10:00", "+15555550100", "one", MsgSms | MsgSent, "B", 0x111);
    AddMessage(S, "2007.01.01 10:01", "+15555550100", "two", MsgSms | MsgSent, "A", 0x222);
    AddMessage(S, "2007.01.01 10:02", "+15555550100", "three", MsgSms | MsgSent, "", 0);
    AddMessage(S, "2007.01.01 10:03", "+15555550199", "other", MsgSms | MsgSent, "", 0);
    for (int column : {0, 1, 3, 9}) {
        MsgStore s = S;
        SortMessages(s, D, column, 1);
        for (std::int32_t n = 1; n <= 4; ++n) {
            const XMsgRecType& m = s.Messages[n];
            const bool first = m.Phone == "+15555550100";
            EXPECT_EQ(m.Name.str(), first ? "B" : "");
            EXPECT_EQ(m.Color, first ? 0x111 : 0);
        }
    }
}

TEST(SortMessages, OppositeDirectionsGiveReverseOrdersForDistinctKeys) {
    MsgStore S;
    DefaultsType D;
    for (int i = 0; i < 50; ++i) {
        std::string time = "2007.01.01 10:00";
        time.replace(14, 2, std::to_string(10 + (i * 17) % 50));
        AddMessage(S, time, "+15555550100", std::to_string(i));
    }
    SortMessages(S, D, 1, 1);
    const std::string up = [&] {
        std::string s;
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) s += S.Messages[n].Time.str() + "|";
        return s;
    }();
    SortMessages(S, D, 1, 0);
    std::string down;
    for (std::int32_t n = S.MessageCount; n >= 1; --n) down += S.Messages[n].Time.str() + "|";
    EXPECT_EQ(up, down);
    EXPECT_EQ(S.Messages[1].Time, "2007.01.01 10:59");
}

TEST(SortMessages, JoinedKeysCompareAsOneText) {
    MsgStore S;
    DefaultsType D;
    AddMessage(S, "2007.01.01 10:00", "12", "a");
    AddMessage(S, "2007.01.01 10:00", "121", "b");
    SortMessages(S, D, 2, 1);
    // "122007..." against "1212007...": the third bytes 2 and 1 decide.
    EXPECT_EQ(PhonesInOrder(S), "121 12 ");
}

TEST(SortMessages, SizeColumnPutsShortTextsFirstAndKeepsTheProcedureOrderForTies) {
    MsgStore S, literal;
    DefaultsType D;
    const char* texts[] = {"ccc", "a", "bb", "x", "dddd", "y", "zz"};
    for (int i = 0; i < 7; ++i) AddMessage(S, "2007.01.01 10:00", "+1555555010" + std::to_string(i), texts[i]);
    literal = S;
    SortMessages(S, D, 6, 1);
    Literal::SortMessages(literal, D, 6, 1);
    ExpectSameStore(S, literal);
    for (std::int32_t n = 2; n <= S.MessageCount; ++n)
        EXPECT_LE(S.Messages[n - 1].Text.size(), S.Messages[n].Text.size());
}

TEST(SortMessages, EmptyStoreStillSetsTheColumnAndModified) {
    MsgStore S;
    DefaultsType D;
    SortMessages(S, D, 5, 0);
    EXPECT_EQ(D.SortColumn, 5);
    EXPECT_TRUE(S.Modified);
    EXPECT_EQ(S.MessageCount, 0);
}

TEST(SortMessages, ColumnWithoutKeyMovesNothingButCounts) {
    MsgStore S;
    DefaultsType D;
    FillRandomStore(S, {.Messages = 100, .Phones = 100}, 3);
    const std::string before = PhonesInOrder(S);
    SortMessages(S, D, 200, 1);
    EXPECT_EQ(PhonesInOrder(S), before);
    EXPECT_EQ(D.SortColumn, 200);
    EXPECT_EQ(S.SentCount + S.ReceivedCount, 100);
}

}  // namespace

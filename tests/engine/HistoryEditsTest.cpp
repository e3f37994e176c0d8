// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping blocked marks, forgetting the history, and removing blocked contacts' messages.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "MBVars/History.h"
#include "MBVars/Ordering.h"
#include "support/FileTestHelpers.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"
#include "support/StoreCompare.h"

namespace {

HistoryRec Entry(std::string_view phone, std::string_view name, std::uint8_t blocked) {
    return {blocked, PhoneText(phone), NameText(name), 0};
}

// A random collection with a history whose entries name some of its phones, some phones
// it lacks, a phone listed twice, and random blocked marks.
MsgStore BlockingStore(unsigned seed) {
    MsgStore S;
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    FillRandomStore(S, {.Messages = 50 + pick(300), .Phones = 1 + pick(40), .Texts = 100}, seed);
    S.HistoryCount = pick(50);
    for (std::int32_t h = 1; h <= S.HistoryCount; ++h) {
        const std::string phone = pick(5) == 0 ? "+1555555099" + std::to_string(pick(10))
                                               : S.Messages[1 + pick(S.MessageCount)].Phone.str();
        S.History[h] = Entry(phone, "Someone", pick(3) == 0 ? 1 : 0);
    }
    BuildView(S, pick(2) ? ViewEverything : ViewSent);
    S.Modified = false;
    return S;
}

}  // namespace

TEST(HistoryEdits, DeleteBlockedMatchesRemovingEachBlockedPhoneInTurn) {
    for (unsigned seed = 1; seed <= 80; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        MsgStore fast = BlockingStore(seed), literal = fast;
        std::int32_t expected = 0;
        for (std::int32_t h = 1; h <= literal.HistoryCount; ++h)
            if (literal.History[h].Blocked) expected += Literal::DeletePhone(literal, literal.History[h].Phone.view());
        EXPECT_EQ(DeleteBlocked(fast), expected);
        ExpectSameStore(fast, literal);
        if (HasFatalFailure()) return;
    }
}

TEST(HistoryEdits, DeleteBlockedWithNoMarksChangesNothing) {
    MsgStore S;
    AddMessage(S, "2007.03.01 08:00", "+15555550100", "Hi");
    S.History[1] = Entry("+15555550100", "Anna Berg", 0);
    S.HistoryCount = 1;
    EXPECT_EQ(DeleteBlocked(S), 0);
    EXPECT_EQ(S.MessageCount, 1);
    EXPECT_FALSE(S.Modified);
}

TEST(HistoryEdits, SaveHistoryWritesTheTableAsItStands) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore S;
    // A phone of the collection that the history lacks stays out: no merge here.
    AddMessage(S, "2007.03.01 08:00", "+15555550177", "Hello", MsgSms | MsgReceived, "Nora Quill");
    S.History[1] = Entry("+15555550100", "Anna Berg", 1);
    S.History[2] = Entry("+15555550101", "Tom Hale", 0);
    S.HistoryCount = 2;
    ASSERT_EQ(SaveHistory(S, path), 0);
    EXPECT_EQ(TempDir::Read(path).size(), 3 * HistoryEntrySize);

    MsgStore T;
    ASSERT_EQ(ReadHistory(T, path), 0);
    ASSERT_EQ(T.HistoryCount, 2);
    EXPECT_TRUE(SameHistory(T.History[1], S.History[1]));
    EXPECT_TRUE(SameHistory(T.History[2], S.History[2]));
    EXPECT_EQ(S.HistoryCount, 2);
    EXPECT_EQ(FileCount(dir), 1u);  // no temporary file left behind

    EXPECT_EQ(SaveHistory(S, PathIn(dir, "missing/Kestro.hst")), ENOENT);
}

TEST(HistoryEdits, RemovingTheHistoryForgetsEntriesAndNames) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore S;
    AddMessage(S, "2007.03.01 08:00", "+15555550100", "Hi", MsgSms | MsgReceived, "Anna Berg");
    AddMessage(S, "2007.03.01 09:00", "+15555550101", "Yo", MsgSms | MsgSent, "");
    S.History[1] = Entry("+15555550100", "Anna Berg", 1);
    S.HistoryCount = 1;
    ASSERT_EQ(SaveHistory(S, path), 0);

    RemoveContactsHistory(S, path);
    EXPECT_EQ(S.HistoryCount, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(S.Messages[1].Name, "+15555550100");
    EXPECT_EQ(S.Messages[2].Name, "+15555550101");
    EXPECT_TRUE(S.Modified);

    // Without a file it still names every message by its phone.
    S.Messages[1].Name = "Again";
    S.Modified = false;
    RemoveContactsHistory(S, path);
    EXPECT_EQ(S.Messages[1].Name, "+15555550100");
    EXPECT_TRUE(S.Modified);
}

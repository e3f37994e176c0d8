// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "MBVars/BlockList.h"
#include "support/StoreBuilder.h"

namespace {
void AddEntry(MsgStore& S, std::string_view phone, std::string_view name, bool blocked = false) {
    HistoryRec& h = S.History[static_cast<std::size_t>(++S.HistoryCount)];
    h = HistoryRec{static_cast<std::uint8_t>(blocked ? 1 : 0), phone, name, 0};
}
}  // namespace

TEST(BlockList, EveryNumberOfHistoryAndCollectionOnceByNameThenNumber) {
    MsgStore S;
    AddEntry(S, "+15555550103", "Old Name");
    AddEntry(S, "+15555550199", "Nora", true);
    AddEntry(S, "+15555550103", "Twice", true);  // a number listed twice: the first entry counts
    AddEntry(S, "+15555550198", "");
    AddMessage(S, "2007.03.01 08:00", "+15555550103", "a", MsgReceived, "Ann");
    AddMessage(S, "2007.03.01 08:01", "+15555550101", "b", MsgReceived, "", 0x42);
    AddMessage(S, "2007.03.01 08:02", "+15555550100", "c", MsgSent, "Ann");
    const std::vector<BlockListEntry> list = BlockList(S);
    std::vector<std::string> shown;
    for (const BlockListEntry& e : list) shown.push_back(e.Name + "|" + e.Phone + (e.Blocked ? "|x" : ""));
    EXPECT_EQ(shown, (std::vector<std::string>{"|+15555550101", "|+15555550198", "Ann|+15555550100", "Ann|+15555550103",
                                               "Nora|+15555550199|x"}));
    EXPECT_EQ(list[0].Color, 0x42);
}

TEST(BlockList, MarksGoToTheHistoryAndANewNumberGetsAnEntryWhileThereIsRoom) {
    MsgStore S;
    AddEntry(S, "+15555550100", "Ann", true);
    AddEntry(S, "+15555550100", "Ann again");
    AddMessage(S, "2007.03.01 08:00", "+15555550101", "a", MsgReceived, "Tom");
    AddMessage(S, "2007.03.01 08:01", "+15555550102", "b", MsgReceived, "Mia");
    std::vector<BlockListEntry> marks = BlockList(S);
    ASSERT_EQ(marks.size(), 3u);  // Ann, Mia, Tom
    marks[0].Blocked = false;
    marks[2].Blocked = true;
    const BlockMarksStored stored = StoreBlockMarks(S, marks);
    EXPECT_EQ(stored.Blocked, 1);
    EXPECT_EQ(stored.NoRoom, 0);
    ASSERT_EQ(S.HistoryCount, 3);  // Mia, unchecked and unknown to the history, gets no entry
    EXPECT_EQ(S.History[1].Blocked, 0);
    EXPECT_EQ(S.History[2].Blocked, 0);
    EXPECT_EQ(S.History[3].Phone, "+15555550101");
    EXPECT_EQ(S.History[3].Name, "Tom");
    EXPECT_EQ(S.History[3].Blocked, 1);

    while (S.HistoryCount < MaxHistory) AddEntry(S, "+1555" + std::to_string(S.HistoryCount), "Filler");
    marks = {{"+15555550102", "Mia", 0, true}, {"+15555550101", "Tom", 0, true}};
    const BlockMarksStored full = StoreBlockMarks(S, marks);
    EXPECT_EQ(full.Blocked, 1);
    EXPECT_EQ(full.NoRoom, 1);
    EXPECT_EQ(S.HistoryCount, MaxHistory);
}

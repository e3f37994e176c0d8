// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "MBVars/History.h"
#include "MBVars/HistoryWriteInBackground.h"
#include "MBVars/LoadSequences.h"
#include "OFuncs/IoError.h"
#include "support/FileTestHelpers.h"
#include "support/RandomStores.h"
#include "support/StoreBuilder.h"
#include "support/StoreCompare.h"

namespace {

std::string Phone(int i) { return "+1555555" + std::to_string(1000 + i); }

// A store whose history already names some of its numbers, and which holds numbers the
// history has not seen.
void FillNamedStore(MsgStore& S, int messages) {
    S.HistoryCount = 3;
    S.History[1] = {0, PhoneText(Phone(1)), NameText("Ada Park"), 0x00FF00};
    S.History[2] = {1, PhoneText(Phone(7)), NameText(""), 0};
    S.History[3] = {0, PhoneText(Phone(900)), NameText("Cy Dale"), 0x0000FF};
    for (int i = 0; i < messages; ++i)
        AddMessage(S, "2026.01.01 10:00", Phone(i % 40), "Hello " + std::to_string(i), MsgSms | MsgReceived,
                   i % 3 == 0 ? "Bo Lind" : "");
}

}  // namespace

TEST(HistoryWriteInBackground, WritesWhatWriteHistoryWritesAndLeavesTheSameTable) {
    TempDir dir;
    for (const bool incomplete : {false, true}) {
        const std::string here = PathIn(dir, "here.hst"), there = PathIn(dir, "there.hst");
        WriteFileBytes(here, "old bytes");
        WriteFileBytes(there, "old bytes");
        MsgStore direct, background;
        FillNamedStore(direct, 300);
        FillNamedStore(background, 300);
        direct.HistoryIncomplete = background.HistoryIncomplete = incomplete;

        ASSERT_EQ(WriteHistory(direct, here), 0);
        HistoryWriteInBackground writer;
        writer.Start(background, there);
        ASSERT_EQ(writer.Finish(), 0);

        EXPECT_EQ(TempDir::Read(there), TempDir::Read(here));
        ExpectSameStore(direct, background);
        EXPECT_EQ(background.HistoryIncomplete, false);
        // The file not read completely is kept aside by both, byte for byte.
        EXPECT_EQ(background.HistoryKeptAs.empty(), !incomplete);
        if (incomplete) {
            EXPECT_EQ(TempDir::Read(background.HistoryKeptAs), "old bytes");
        }
        EXPECT_EQ(writer.Finish(), 0);  // given once
    }
}

TEST(HistoryWriteInBackground, FailuresComeBackAtFinishAndTheOldFileStays) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore S;
    FillNamedStore(S, 50);
    ASSERT_EQ(WriteHistory(S, path), 0);
    const std::string before = TempDir::Read(path);

    HistoryWriteInBackground writer;
    writer.Start(S, PathIn(dir, "missing/Kestro.hst"));
    EXPECT_EQ(writer.Finish(), ENOENT);

    for (int i = 50; i < 900; ++i) AddMessage(S, "2026.01.01 10:00", Phone(i), "Hello");
    {
        FileSizeCap cap(4096);
        writer.Start(S, path);
        EXPECT_THROW(writer.Finish(), IoError);
    }
    EXPECT_EQ(writer.Finish(), 0);  // the failure was given once
    EXPECT_EQ(S.HistoryCount, 3 + 38 + 850);  // the table keeps its changes, as WriteHistory leaves it
    EXPECT_EQ(TempDir::Read(path), before);
    EXPECT_EQ(FileCount(dir), 1u);  // no temporary file left

    // A writer left without Finish still ends its write before it goes; a second Start
    // waits for the first.
    {
        HistoryWriteInBackground unfinished;
        unfinished.Start(S, path);
        unfinished.Start(S, path);
    }
    MsgStore reread;
    ASSERT_EQ(ReadHistory(reread, path), 0);
    EXPECT_EQ(reread.HistoryCount, 3 + 38 + 850);
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(HistoryWriteInBackground, TheEndOfAnImportGivesTheSameStoreAndFileEitherWay) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        MsgStore direct, background;
        DefaultsType D1, D2;
        FillTieRichStore(direct, 400, seed);
        FillTieRichStore(background, 400, seed);
        const std::string here = PathIn(dir, "here.hst"), there = PathIn(dir, "there.hst");
        const FinishImportResult a = FinishImport(direct, D1, FinishImportOptions{true, seed % 2 == 0, here});
        HistoryWriteInBackground writer;
        const FinishImportResult b =
            FinishImport(background, D2, FinishImportOptions{true, seed % 2 == 0, there, &writer});
        EXPECT_EQ(writer.Finish(), a.HistoryError);
        EXPECT_EQ(b.Blocked, a.Blocked);
        ExpectSameStore(direct, background);
        EXPECT_EQ(TempDir::Read(there), TempDir::Read(here)) << "seed " << seed;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/LoadSequences.h"
#include "OFuncs/IoError.h"
#include "support/FileTestHelpers.h"
#include "support/LiteralReference.h"
#include "support/RandomStores.h"
#include "support/StoreBuilder.h"
#include "support/StoreCompare.h"

namespace {

constexpr const char* Alice = "+15555550100";
constexpr const char* Bob = "+15555550101";
constexpr const char* Carol = "+15555550102";

// Messages in no particular order; Bob's number is blocked in the history.
void FillMixedStore(MsgStore& S) {
    AddMessage(S, "2024.03.02 10:00", Alice, "middle", MsgSms | MsgSent);
    AddMessage(S, "2024.03.01 09:00", Bob, "oldest", MsgSms | MsgReceived);
    AddMessage(S, "2024.03.04 12:00", Carol, "newest", MsgSms | MsgReceived);
    AddMessage(S, "2024.03.03 11:00", Alice, "middle", MsgSms | MsgSent);  // the same words a day later
    S.HistoryCount = 1;
    S.History[1].Phone = Bob;
    S.History[1].Name = "Bob Blocked";
    S.History[1].Blocked = 1;
}

std::vector<std::string> Times(const MsgStore& S) {
    std::vector<std::string> out;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) out.push_back(S.Messages[n].Time.str());
    return out;
}

std::vector<int> Serials(const MsgStore& S) {
    std::vector<int> out;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) out.push_back(S.Messages[n].Serial);
    return out;
}

// A data file of the mixed store without its blocked number's history entry.
std::string WriteMixedDataFile(const TempDir& dir) {
    MsgStore S;
    FillMixedStore(S);
    S.HistoryCount = 0;
    const std::string path = PathIn(dir, "mixed.kst");
    EXPECT_EQ(WriteDataFile(S, path), 0);
    return path;
}

TEST(FinishImport, FitsSortsNumbersAndWritesTheHistory) {
    TempDir dir;
    MsgStore S;
    DefaultsType D;
    FillMixedStore(S);
    const std::string history = PathIn(dir, HistoryFileName);
    const FinishImportResult r = FinishImport(S, D, {true, false, history});
    EXPECT_EQ(r.Blocked, 1);
    EXPECT_EQ(r.HistoryError, 0);
    EXPECT_EQ(Times(S), (std::vector<std::string>{"2024.03.04 12:00", "2024.03.03 11:00", "2024.03.02 10:00"}));
    EXPECT_EQ(Serials(S), (std::vector<int>{1, 2, 3}));  // numbered newest first
    EXPECT_EQ(S.ViewCount, 3);
    EXPECT_EQ(S.ContactCount, 2);
    EXPECT_EQ(S.Contacts[1].Phone.str(), Alice);  // ordered by phone
    EXPECT_EQ(S.SentCount, 2);
    EXPECT_EQ(S.ReceivedCount, 1);
    EXPECT_TRUE(S.Modified);
    EXPECT_EQ(D.SortColumn, 1);

    MsgStore reread;
    EXPECT_EQ(ReadHistory(reread, history), 0);
    EXPECT_GE(reread.HistoryCount, 1);
}

TEST(FinishImport, WithoutHistoryKeepsBlockedNumbersAndRemovesDuplicatesOnlyWhenAsked) {
    // The mixed store's two "middle" of different days are two messages; a copy of the
    // first, trailing spaces aside, is the same message.
    const auto fill = [](MsgStore& S) {
        FillMixedStore(S);
        AddMessage(S, "2024.03.02 10:00", Alice, "middle  ", MsgSms | MsgSent);
    };
    MsgStore S;
    DefaultsType D;
    fill(S);
    const FinishImportResult kept = FinishImport(S, D, {false, false, ""});
    EXPECT_EQ(kept.Blocked, 0);
    EXPECT_EQ(kept.DuplicatesRemoved, 0);
    EXPECT_EQ(S.MessageCount, 5);

    MsgStore T;
    fill(T);
    const FinishImportResult removed = FinishImport(T, D, {false, true, ""});
    EXPECT_EQ(removed.Blocked, 0);
    EXPECT_EQ(removed.DuplicatesRemoved, 1);  // counted for the import's report
    EXPECT_EQ(Times(T), (std::vector<std::string>{"2024.03.04 12:00", "2024.03.03 11:00", "2024.03.02 10:00",
                                                  "2024.03.01 09:00"}));
}

TEST(FinishImport, TheSettingsFormReadsUseHistoryAndRemoveDups) {
    MsgStore S, T;
    DefaultsType D;
    D.UseHistory = true;
    D.RemoveDups = true;
    FillMixedStore(S);
    FillMixedStore(T);
    EXPECT_EQ(FinishImport(S, D, std::string()), 1);
    FinishImport(T, D, FinishImportOptions{true, true, ""});
    ExpectSameStore(S, T);
}

TEST(FinishImport, AHistoryThatCannotBeWrittenIsReportedNotThrown) {
    TempDir dir;
    MsgStore S;
    DefaultsType D;
    FillMixedStore(S);
    const FinishImportResult r = FinishImport(S, D, {true, false, PathIn(dir, "missing/Kestro.hst")});
    EXPECT_EQ(r.HistoryError, ENOENT);
    EXPECT_EQ(S.MessageCount, 3);
}

TEST(OpenCollection, NewestFirstSerialsFromTheOldestHistoryAlwaysApplied) {
    TempDir dir;
    const std::string path = WriteMixedDataFile(dir);
    MsgStore S;
    DefaultsType D;  // UseHistory off: the open applies the history all the same
    S.HistoryCount = 1;
    S.History[1].Phone = Bob;
    S.History[1].Blocked = 1;
    D.ViewMode = 1;
    ASSERT_EQ(OpenCollection(S, D, path), 0);
    EXPECT_EQ(Times(S), (std::vector<std::string>{"2024.03.04 12:00", "2024.03.03 11:00", "2024.03.02 10:00"}));
    EXPECT_EQ(Serials(S), (std::vector<int>{3, 2, 1}));
    EXPECT_FALSE(S.Modified);
    EXPECT_EQ(S.ViewCount, 3);
    EXPECT_EQ(S.ContactCount, 2);
    EXPECT_EQ(D.ViewMode, 3);  // cleared with the store
}

TEST(OpenCollection, AFileThatCannotBeReadLeavesTheCollectionAsItWas) {
    TempDir dir;
    MsgStore S, before;
    DefaultsType D;
    FillMixedStore(S);
    S.Modified = true;
    before = S;
    EXPECT_EQ(OpenCollection(S, D, PathIn(dir, "absent.kst")), ENOENT);
    ExpectSameStore(S, before);
    EXPECT_EQ(OpenCollection(S, D, dir.Path().string()), EISDIR);
    ExpectSameStore(S, before);
}

TEST(OpenCollection, AFileThatIsNotADataFileOrEndsEarlyThrowsAndKeepsTheCollection) {
    TempDir dir;
    const std::string good = WriteMixedDataFile(dir);
    const std::string bytes = TempDir::Read(good);
    const std::string cut = PathIn(dir, "cut.kst"), foreign = PathIn(dir, "foreign.kst");
    WriteFileBytes(cut, bytes.substr(0, bytes.size() - 9));
    WriteFileBytes(foreign, std::string("\x01\x00\x07\x00", 4) + std::string(40, 'x'));
    for (const std::string& path : {cut, foreign}) {
        SCOPED_TRACE(path);
        MsgStore S, before;
        DefaultsType D;
        AddMessage(S, "2020.01.01 00:00", Carol, "kept");
        S.Modified = true;
        before = S;
        EXPECT_THROW(OpenCollection(S, D, path), IoError);
        ExpectSameStore(S, before);
    }
}

TEST(ReopenCollection, FitsByTheSettingAndNumbersNewestFirst) {
    TempDir dir;
    const std::string path = WriteMixedDataFile(dir);
    for (bool useHistory : {false, true}) {
        MsgStore S;
        DefaultsType D;
        D.UseHistory = useHistory;
        S.HistoryCount = 1;
        S.History[1].Phone = Bob;
        S.History[1].Blocked = 1;
        ASSERT_EQ(ReopenCollection(S, D, path), 0);
        EXPECT_EQ(S.MessageCount, useHistory ? 3 : 4);
        EXPECT_EQ(S.Messages[1].Time.str(), "2024.03.04 12:00");
        EXPECT_EQ(S.Messages[1].Serial, 1);
        EXPECT_EQ(S.ViewCount, S.MessageCount);
        EXPECT_FALSE(S.Modified);
    }
}

TEST(ReopenCollection, AMissingFileChangesNothingAndAShortOneKeepsWhatWasRead) {
    TempDir dir;
    MsgStore S, before;
    DefaultsType D;
    AddMessage(S, "2020.01.01 00:00", Carol, "kept");
    before = S;
    EXPECT_EQ(ReopenCollection(S, D, PathIn(dir, "absent.kst")), ENOENT);
    ExpectSameStore(S, before);

    const std::string bytes = TempDir::Read(WriteMixedDataFile(dir));
    const std::string cut = PathIn(dir, "cut.kst");
    WriteFileBytes(cut, bytes.substr(0, bytes.size() - 9));  // the last text is cut short
    EXPECT_THROW(ReopenCollection(S, D, cut), IoError);
    EXPECT_EQ(S.MessageCount, 4);
    EXPECT_EQ(S.ViewCount, 4);
    EXPECT_FALSE(S.Modified);
    for (std::int32_t n = 1; n < S.MessageCount; ++n) EXPECT_GE(S.Messages[n].Time, S.Messages[n + 1].Time);
}

// A history naming and blocking some of the numbers of a tie-rich store.
void FillHistoryFor(MsgStore& S, unsigned seed) {
    std::mt19937 rng(seed);
    S.HistoryCount = 0;
    for (std::int32_t n = 1; n <= S.MessageCount && S.HistoryCount < 8; n += 1 + static_cast<std::int32_t>(rng() % 40)) {
        HistoryRec& h = S.History[++S.HistoryCount];
        h = HistoryRec{};
        h.Phone = S.Messages[n].Phone;
        h.Name = rng() % 3 ? "Known " + std::to_string(rng() % 5) : S.Messages[n].Phone.str();
        h.Color = rng() % 2 ? 0x123456 : 0;
        h.Blocked = rng() % 6 == 0 ? 1 : 0;
    }
}

// Open as the literal procedures do it, on files saved newest first (as the program saves)
// and in other orders, with ties of time and phone.
TEST(OpenCollection, MatchesTheLiteralSequence) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 16; ++seed)
        for (int saved = 0; saved <= 2; ++saved) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " saved order " << saved);
            MsgStore source;
            FillTieRichStore(source, 1 + static_cast<int>(seed * 61 % 700), seed);
            DefaultsType D;
            if (saved < 2) Literal::SortMessages(source, D, 1, saved);
            Renumber(source);
            const std::string path = PathIn(dir, "seq.kst");
            ASSERT_EQ(WriteDataFile(source, path), 0);

            MsgStore fast, literal;
            FillHistoryFor(fast, seed);
            literal.History = fast.History;
            literal.HistoryCount = fast.HistoryCount;
            DefaultsType fastD, literalD;
            ASSERT_EQ(OpenCollection(fast, fastD, path), 0);
            ClearStore(literal, literalD);
            ASSERT_EQ(ReadDataFile(literal, path), 0);
            Literal::OpenSequence(literal, literalD);
            ExpectSameStore(fast, literal);
            if (HasFatalFailure()) return;
        }
}

// More phones than the contact table holds, few minutes: which phones get a contact depends
// on the order the table is built in, and equal times abound.
TEST(OpenCollection, MatchesTheLiteralSequenceWithMorePhonesThanContacts) {
    TempDir dir;
    for (int saved = 0; saved <= 2; ++saved) {
        SCOPED_TRACE(testing::Message() << "saved order " << saved);
        MsgStore source;
        FillRandomStore(source, {.Messages = 3000, .Phones = 1500, .Texts = 30, .Minutes = 60}, 77);
        DefaultsType D;
        if (saved < 2) Literal::SortMessages(source, D, 1, saved);
        const std::string path = PathIn(dir, "many.kst");
        ASSERT_EQ(WriteDataFile(source, path), 0);
        MsgStore fast, literal;
        DefaultsType fastD, literalD;
        ASSERT_EQ(OpenCollection(fast, fastD, path), 0);
        ClearStore(literal, literalD);
        ASSERT_EQ(ReadDataFile(literal, path), 0);
        Literal::OpenSequence(literal, literalD);
        EXPECT_EQ(fast.ContactCount, MaxContacts);
        ExpectSameStore(fast, literal);
    }
}

// The end of an import as the literal procedures do it, from stores in import order
// (oldest first), newest first and unordered.
TEST(FinishImport, MatchesTheLiteralSequence) {
    for (unsigned seed = 1; seed <= 16; ++seed)
        for (int order = 0; order <= 2; ++order)
            for (int options = 0; options <= 3; ++options) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << " order " << order << " options " << options);
                MsgStore fast;
                FillTieRichStore(fast, 1 + static_cast<int>(seed * 67 % 700), seed);
                FillHistoryFor(fast, seed + 100);
                DefaultsType D;
                if (order < 2) Literal::SortMessages(fast, D, 1, order == 0 ? 1 : 0);
                MsgStore literal = fast;
                const bool useHistory = options & 1, removeDups = options & 2;
                DefaultsType fastD, literalD;
                const FinishImportResult result = FinishImport(fast, fastD, {useHistory, removeDups, ""});
                const std::int32_t blocked = Literal::FinishImportSequence(literal, literalD, useHistory, removeDups);
                EXPECT_EQ(result.Blocked, blocked);
                ExpectSameStore(fast, literal);
                if (HasFatalFailure()) return;
            }
}

// Stores large enough for the duplicates to be found on the helper thread while the
// contacts are made, with names that lose their control bytes meanwhile.
TEST(FinishImport, LargeStoresMatchTheLiteralSequenceWhenRemovingDuplicates) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        MsgStore fast;
        FillTieRichStore(fast, 2000 + static_cast<int>(seed) * 1500, seed);
        for (std::int32_t n = 1; n <= fast.MessageCount; n += 7) fast.Messages[n].Name = NameText("Di\tna");
        MsgStore literal = fast;
        DefaultsType fastD, literalD;
        const FinishImportResult result = FinishImport(fast, fastD, {false, true, ""});
        EXPECT_EQ(result.Blocked, Literal::FinishImportSequence(literal, literalD, false, true));
        ExpectSameStore(fast, literal);
        if (HasFatalFailure()) return;
    }
}

// Fresh imports carry no names or colours; a contact table left from before (its totals
// computed for the statistics) lends its slots' totals to the rebuilt table, unevenly.
TEST(FinishImport, MatchesTheLiteralSequenceOnNamelessStoresAndLeftoverContactTotals) {
    for (unsigned seed = 1; seed <= 12; ++seed)
        for (int leftover = 0; leftover <= 2; ++leftover) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " leftover " << leftover);
            MsgStore fast;
            FillTieRichStore(fast, 1 + static_cast<int>(seed * 53 % 500), seed);
            for (std::int32_t n = 1; n <= fast.MessageCount; ++n) {
                fast.Messages[n].Name = NameText();
                fast.Messages[n].Color = 0;
            }
            if (leftover > 0) {
                fast.ContactCount = 0;
                for (std::int32_t c = 1; c <= 20; ++c) {
                    GrowContacts(fast, c);
                    fast.Contacts[c].Activity.Slot[ActivityAll].Count = leftover == 1 ? 5 : c * 3 % 7;
                }
            }
            MsgStore literal = fast;
            DefaultsType fastD, literalD;
            const bool removeDups = seed % 2;
            FinishImport(fast, fastD, {false, removeDups, ""});
            Literal::FinishImportSequence(literal, literalD, false, removeDups);
            ExpectSameStore(fast, literal);
            if (HasFatalFailure()) return;
        }
}

}  // namespace

TEST(OpenCollection, ShortAndTextualFilesAreRefusedOnOpenAndReopen) {
    TempDir dir;
    const std::string csv = PathIn(dir, "export.csv"), empty = PathIn(dir, "empty.kst"),
                      three = PathIn(dir, "three.kst"), text = PathIn(dir, "notes.kst");
    WriteFileBytes(csv, "\"sms\",\"submit\",\"+15555550100\",\"\",\"\",\"2007.03.01 08:00\",\"\",\"Hi\"\r\n");
    WriteFileBytes(empty, "");
    WriteFileBytes(three, "abc");
    WriteFileBytes(text, "Shopping list\r\nbread\r\n");
    for (const std::string& path : {csv, empty, three, text}) {
        SCOPED_TRACE(path);
        const std::string bytes = TempDir::Read(path);
        MsgStore S, before;
        DefaultsType D;
        AddMessage(S, "2020.01.01 00:00", Carol, "kept");
        S.Modified = true;
        before = S;
        EXPECT_THROW(OpenCollection(S, D, path), NotDataFileError);
        ExpectSameStore(S, before);
        EXPECT_THROW(ReopenCollection(S, D, path), NotDataFileError);
        ExpectSameStore(S, before);
        EXPECT_EQ(TempDir::Read(path), bytes);
    }
}

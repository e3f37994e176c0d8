// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <string>

#include "MBVars/History.h"
#include "OFuncs/IoError.h"
#include "support/StoreBuilder.h"
#include "support/StoreCompare.h"
#include "support/FileTestHelpers.h"

namespace {

// The table update of a history write, literally: a linear search per message.
void LiteralMergeCollection(MsgStore& S) {
    for (std::int32_t m = 1; m <= S.MessageCount; ++m) {
        const XMsgRecType& msg = S.Messages[m];
        std::int32_t i = 1;
        while (i <= S.HistoryCount && !(S.History[i].Phone == msg.Phone)) ++i;
        if (i <= MaxHistory && !msg.Phone.empty()) {
            HistoryRec& h = S.History[i];
            if (i > S.HistoryCount) h = HistoryRec{};  // a new entry starts blank
            h.Phone = msg.Phone;
            if (!msg.Name.empty()) h.Name = msg.Name;
            if (msg.Color != 0) h.Color = msg.Color;
            if (i > S.HistoryCount) S.HistoryCount = i;
        }
    }
}

void ExpectSameHistory(const MsgStore& a, const MsgStore& b) {
    ASSERT_EQ(a.HistoryCount, b.HistoryCount);
    for (std::int32_t i = 1; i <= a.HistoryCount; ++i) {
        ASSERT_TRUE(SameHistory(a.History[i], b.History[i]))
            << "entry " << i << ": " << a.History[i].Phone.str() << " / " << b.History[i].Phone.str();
    }
}

std::string Phone(int i) { return "+1555555" + std::to_string(1000 + i); }

HistoryRec Entry(std::string_view phone, std::string_view name, std::int32_t color, std::uint8_t blocked) {
    return {blocked, PhoneText(phone), NameText(name), color};
}

std::string HistoryImage(std::int32_t count, int entries) {
    std::string bytes(HistoryEntrySize * std::size_t(entries + 1), '\0');
    for (int b = 0; b < 4; ++b) bytes[63 + b] = static_cast<char>((static_cast<std::uint32_t>(count) >> (8 * b)) & 0xFF);
    for (int i = 1; i <= entries; ++i) {
        const std::string phone = Phone(i);
        char* e = bytes.data() + HistoryEntrySize * i;
        e[1] = static_cast<char>(phone.size());
        phone.copy(e + 2, phone.size());
    }
    return bytes;
}

}  // namespace

TEST(HistoryFile, EmptyHistoryIsOneHeaderEntry) {
    TempDir dir;
    MsgStore S;
    ASSERT_EQ(WriteHistory(S, PathIn(dir, HistoryFileName)), 0);
    const std::string bytes = TempDir::Read(PathIn(dir, HistoryFileName));
    EXPECT_EQ(bytes, std::string(67, '\0'));
    MsgStore T;
    T.HistoryCount = 5;
    ASSERT_EQ(ReadHistory(T, PathIn(dir, HistoryFileName)), 0);
    EXPECT_EQ(T.HistoryCount, 0);
}

TEST(HistoryFile, EntriesSurviveAWriteAndARead) {
    TempDir dir;
    MsgStore S;
    S.History[1] = Entry("+15555550100", "Ann Example", 0x00C0FFEE, 1);
    S.History[2] = Entry("+15555550101", "", -5, 0);
    S.History[3] = Entry(std::string(30, '9'), std::string(30, 'N'), 0, 0);
    S.HistoryCount = 3;
    ASSERT_EQ(WriteHistory(S, PathIn(dir, HistoryFileName)), 0);
    const std::string bytes = TempDir::Read(PathIn(dir, HistoryFileName));
    ASSERT_EQ(bytes.size(), 67u * 4);
    EXPECT_EQ(bytes[63], 3);
    EXPECT_EQ(bytes[67], 1);                      // blocked
    EXPECT_EQ(bytes[68], 12);                     // phone length
    EXPECT_EQ(static_cast<unsigned char>(bytes[67 + 63]), 0xEE);  // colour, little-endian

    MsgStore T;
    ASSERT_EQ(ReadHistory(T, PathIn(dir, HistoryFileName)), 0);
    ExpectSameHistory(S, T);
}

TEST(HistoryFile, MissingFileReturnsTheErrorAndLeavesTheTable) {
    TempDir dir;
    MsgStore S;
    S.HistoryCount = 1;
    EXPECT_EQ(ReadHistory(S, PathIn(dir, "absent.hst")), ENOENT);
    EXPECT_EQ(S.HistoryCount, 1);
}

TEST(HistoryFile, TwelveHundredNumbersGiveAThousandEntries) {
    TempDir dir;
    MsgStore S;
    for (int i = 0; i < 1200; ++i) AddMessage(S, "2026.01.01 10:00", Phone(i), "Hello");
    ASSERT_EQ(WriteHistory(S, PathIn(dir, HistoryFileName)), 0);
    EXPECT_EQ(S.HistoryCount, 1000);
    EXPECT_EQ(S.History[1000].Phone, Phone(999));
    EXPECT_EQ(TempDir::Read(PathIn(dir, HistoryFileName)).size(), 67u * 1001);
}

TEST(HistoryFile, TheHistoryLastsAcrossCollections) {
    TempDir dir;
    MsgStore S;
    S.History[1] = Entry("+15555550100", "Blocked Bob", 0x123456, 1);
    S.History[2] = Entry("+15555550101", "Carla Old", 0, 0);
    S.HistoryCount = 2;
    // A collection without Bob, with a new name for Carla and one new number.
    AddMessage(S, "2026.01.01 10:00", "+15555550101", "Hi", MsgSms | MsgSent, "Carla New", 0x55);
    AddMessage(S, "2026.01.01 10:01", "+15555550101", "Hi", MsgSms | MsgSent, "", 0);
    AddMessage(S, "2026.01.01 10:02", "+15555550102", "Yo", MsgSms | MsgSent, "Dan", 0);
    ASSERT_EQ(WriteHistory(S, PathIn(dir, HistoryFileName)), 0);
    ASSERT_EQ(S.HistoryCount, 3);
    EXPECT_EQ(S.History[1].Blocked, 1);
    EXPECT_EQ(S.History[1].Name, "Blocked Bob");
    EXPECT_EQ(S.History[2].Name, "Carla New");
    EXPECT_EQ(S.History[2].Color, 0x55);
    EXPECT_EQ(S.History[3].Phone, "+15555550102");
    EXPECT_EQ(S.History[3].Blocked, 0);
}

TEST(HistoryFile, ANewEntryNeverInheritsAnOldSlot) {
    TempDir dir;
    MsgStore S;
    S.History[1] = Entry("+15555550100", "Stale", 77, 1);  // left behind by a cleared history
    S.HistoryCount = 0;
    AddMessage(S, "2026.01.01 10:00", "+15555550199", "Hi");
    ASSERT_EQ(WriteHistory(S, PathIn(dir, HistoryFileName)), 0);
    EXPECT_EQ(S.History[1].Phone, "+15555550199");
    EXPECT_EQ(S.History[1].Blocked, 0);
    EXPECT_TRUE(S.History[1].Name.empty());
    EXPECT_EQ(S.History[1].Color, 0);
}

TEST(HistoryFile, TableUpdateMatchesTheLiteralProcedure) {
    std::mt19937 rng(7);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        MsgStore fast;
        const int phones = 1 + pick(round % 4 == 0 ? 1500 : 60);
        FillRandomStore(fast, {.Messages = 1 + pick(3000), .Phones = phones, .NamedPercent = pick(101),
                               .ColoredPercent = pick(101)},
                        static_cast<unsigned>(round));
        for (std::int32_t n = 1; n <= fast.MessageCount; ++n)
            if (pick(30) == 0) fast.Messages[n].Phone = "";
        // A table left by earlier collections: repeated and empty phones, blocked marks.
        fast.HistoryCount = pick(3) == 0 ? MaxHistory - pick(5) : pick(80);
        for (std::int32_t i = 1; i <= MaxHistory; ++i) {
            const std::string phone = pick(15) == 0 ? "" : "+1555" + std::to_string(1000000 + pick(phones * 2) * 7919 % 1000000);
            fast.History[i] = Entry(phone, pick(2) ? "Old " + std::to_string(i) : "", pick(3) ? 0 : i, pick(4) == 0);
        }
        MsgStore literal = fast;
        LiteralMergeCollection(literal);
        ASSERT_EQ(WriteHistory(fast, PathIn(dir, HistoryFileName)), 0);
        ExpectSameHistory(fast, literal);
    }
}

TEST(HistoryFile, HostileCountsAreBounded) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore S;
    WriteFileBytes(path, HistoryImage(-3, 2));
    ASSERT_EQ(ReadHistory(S, path), 0);
    EXPECT_EQ(S.HistoryCount, 0);

    WriteFileBytes(path, HistoryImage(5000, 1200));
    ASSERT_EQ(ReadHistory(S, path), 0);
    EXPECT_EQ(S.HistoryCount, 1000);
    EXPECT_EQ(S.History[1000].Phone, Phone(1000));
}

TEST(HistoryFile, AShortFileKeepsTheWholeEntriesRead) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    std::string bytes = HistoryImage(10, 10);
    bytes.resize(67 * 4 + 20);  // header, three entries, part of the fourth
    WriteFileBytes(path, bytes);
    MsgStore S;
    try {
        ReadHistory(S, path);
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
    }
    EXPECT_EQ(S.HistoryCount, 3);
    EXPECT_EQ(S.History[3].Phone, Phone(3));

    WriteFileBytes(path, std::string(40, '\x7F'));  // not even a header
    S.HistoryCount = 2;
    EXPECT_THROW(ReadHistory(S, path), IoError);
    EXPECT_EQ(S.HistoryCount, 2);
}

TEST(HistoryFile, LengthBytesAreClampedAndRandomBytesAreSafe) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    std::string bytes = HistoryImage(1, 1);
    bytes[67 + 1] = '\xFF';
    bytes[67 + 32] = '\xFF';
    WriteFileBytes(path, bytes);
    MsgStore S;
    ASSERT_EQ(ReadHistory(S, path), 0);
    EXPECT_EQ(S.History[1].Phone.size(), 30u);
    EXPECT_EQ(S.History[1].Name.size(), 30u);

    std::mt19937 rng(3);
    MsgStore T;
    for (int round = 0; round < 200; ++round) {
        std::string noise(std::uniform_int_distribution<int>(0, 3000)(rng), '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        WriteFileBytes(path, noise);
        try {
            ReadHistory(T, path);
        } catch (const IoError&) {
        }
        ASSERT_GE(T.HistoryCount, 0);
        ASSERT_LE(T.HistoryCount, MaxHistory);
        for (std::int32_t i = 1; i <= T.HistoryCount; ++i) ASSERT_LE(T.History[i].Phone.size(), 30u);
    }
}

TEST(HistoryFile, AFailedWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore S;
    for (int i = 0; i < 50; ++i) AddMessage(S, "2026.01.01 10:00", Phone(i), "Hello");
    ASSERT_EQ(WriteHistory(S, path), 0);
    const std::string before = TempDir::Read(path);

    EXPECT_EQ(WriteHistory(S, PathIn(dir, "missing/Kestro.hst")), ENOENT);
    for (int i = 50; i < 900; ++i) AddMessage(S, "2026.01.01 10:00", Phone(i), "Hello");
    {
        FileSizeCap cap(4096);
        EXPECT_THROW(WriteHistory(S, path), IoError);
    }
    EXPECT_EQ(S.HistoryCount, 900);  // the table keeps its changes
    EXPECT_EQ(TempDir::Read(path), before);
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(HistoryKeptAside, AHistoryNotReadCompletelyIsKeptBesideTheNewOne) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore before;
    AddMessage(before, "2007.05.01 18:22", Phone(1), "Hi", MsgSms | MsgReceived, "Ada Park");
    AddMessage(before, "2007.05.01 18:23", Phone(2), "Hi", MsgSms | MsgReceived, "Bo Lind");
    ASSERT_EQ(WriteHistory(before, path), 0);
    const std::string whole = TempDir::Read(path);
    const std::string cut = whole.substr(0, whole.size() - 10);  // the last entry cut short
    WriteFileBytes(path, cut);

    MsgStore S;
    EXPECT_THROW(ReadHistory(S, path), IoError);
    EXPECT_TRUE(S.HistoryIncomplete);
    AddMessage(S, "2007.05.02 09:00", Phone(3), "New", MsgSms | MsgReceived, "Cy Dale");
    ASSERT_EQ(WriteHistory(S, path), 0);
    ASSERT_FALSE(S.HistoryKeptAs.empty());
    EXPECT_EQ(S.HistoryKeptAs.rfind(path + ".unreadable-", 0), 0u);
    EXPECT_EQ(TempDir::Read(S.HistoryKeptAs), cut);  // byte-identical
    EXPECT_FALSE(S.HistoryIncomplete);
    MsgStore reread;
    ASSERT_EQ(ReadHistory(reread, path), 0);
    EXPECT_FALSE(reread.HistoryIncomplete);
    EXPECT_EQ(reread.HistoryCount, 2);  // the entry that was read, and the new one

    // Kept aside once: the next write replaces the new file as usual.
    const std::string kept = S.HistoryKeptAs;
    S.HistoryKeptAs.clear();
    ASSERT_EQ(WriteHistory(S, path), 0);
    EXPECT_TRUE(S.HistoryKeptAs.empty());
    EXPECT_EQ(FileCount(dir), 2u);

    // A second unreadable file in the same second gets a name of its own.
    WriteFileBytes(path, cut);
    MsgStore again;
    EXPECT_THROW(ReadHistory(again, path), IoError);
    ASSERT_EQ(WriteHistory(again, path), 0);
    EXPECT_NE(again.HistoryKeptAs, kept);
    EXPECT_EQ(TempDir::Read(kept), cut);
    EXPECT_EQ(TempDir::Read(again.HistoryKeptAs), cut);
}

TEST(HistoryKeptAside, OnlyAFileThatWasNotReadWholeIsKeptAside) {
    TempDir dir;
    const std::string path = PathIn(dir, HistoryFileName);
    MsgStore first;
    EXPECT_EQ(ReadHistory(first, path), ENOENT);  // a first start: nothing to keep
    EXPECT_FALSE(first.HistoryIncomplete);
    AddMessage(first, "2007.05.01 18:22", Phone(1), "Hi", MsgSms | MsgReceived, "Ada Park");
    ASSERT_EQ(WriteHistory(first, path), 0);
    MsgStore whole;
    ASSERT_EQ(ReadHistory(whole, path), 0);
    ASSERT_EQ(WriteHistory(whole, path), 0);
    EXPECT_TRUE(whole.HistoryKeptAs.empty());
    EXPECT_EQ(FileCount(dir), 1u);

    // A count above the table's capacity: the entries beyond it would be lost.
    std::string big = TempDir::Read(path);
    big[63] = static_cast<char>(0xE9), big[64] = 0x03;  // 1001 entries announced
    for (int i = 0; i < 1000; ++i) big += std::string(67, '\0');
    WriteFileBytes(path, big);
    MsgStore over;
    ASSERT_EQ(ReadHistory(over, path), 0);
    EXPECT_TRUE(over.HistoryIncomplete);
    ASSERT_EQ(WriteHistory(over, path), 0);
    EXPECT_EQ(TempDir::Read(over.HistoryKeptAs), big);

    // A history that cannot be opened is kept aside too; where it cannot be moved, nothing
    // is written over it.
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    MsgStore fifo;
    EXPECT_EQ(ReadHistory(fifo, path), NotRegularFileCode);
    EXPECT_TRUE(fifo.HistoryIncomplete);
    ASSERT_EQ(WriteHistory(fifo, path), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo.HistoryKeptAs));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "OFuncs/IoError.h"
#include "support/StoreBuilder.h"
#include "support/StoreCompare.h"
#include "support/FileTestHelpers.h"

namespace {

// A data file put together byte by byte.
struct Image {
    std::string bytes;
    Image& U16(std::uint32_t v) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
        return *this;
    }
    Image& Chunk(std::uint32_t tag, std::uint32_t length) { return U16(tag).U16(length); }
    Image& Zeros(std::size_t n) {
        bytes.append(n, '\0');
        return *this;
    }
    // A short-text image of capacity n with the given length byte.
    Image& Short(std::size_t capacity, unsigned lengthByte, char fill) {
        bytes += static_cast<char>(lengthByte);
        bytes.append(capacity, fill);
        return *this;
    }
    // Heads, times, phones and names of n messages, all plain.
    Image& Groups(int n) {
        Chunk(1, 12).U16(static_cast<std::uint32_t>(n)).Zeros(10);
        for (int k = 1; k <= n; ++k) U16(MsgSms | MsgSent).U16(static_cast<std::uint32_t>(k)).Zeros(8);
        Chunk(2, 17).Zeros(17);
        for (int k = 1; k <= n; ++k) Short(16, 16, static_cast<char>('0' + k % 10));
        Chunk(3, 31).Zeros(31);
        for (int k = 1; k <= n; ++k) Short(30, 12, '5');
        Chunk(4, 31).Zeros(31);
        for (int k = 1; k <= n; ++k) Short(30, 4, 'N');
        return *this;
    }
    Image& Text(std::uint32_t k, std::string_view text) {
        Chunk(5, 2).U16(k).U16(static_cast<std::uint32_t>(text.size()));
        for (char c : text) bytes += static_cast<char>(static_cast<unsigned char>(c) ^ TextMask);
        return *this;
    }
};

class DataFile : public ::testing::Test {
protected:
    // Reads the bytes into the cleared store; the error text, or "" when none was thrown.
    std::string Load(const std::string& bytes) {
        WriteFileBytes(path, bytes);
        ClearStore(S, D);
        try {
            EXPECT_EQ(ReadDataFile(S, path), 0);
        } catch (const IoError& e) {
            return e.what();
        }
        return "";
    }
    // Whatever a file held, the store keeps its shape.
    void ExpectSoundStore() const {
        ASSERT_GE(S.MessageCount, 0);
        ASSERT_LE(S.MessageCount, MaxMessages);
        ASSERT_GE(S.Messages.size(), std::size_t(S.MessageCount) + 1);
        ASSERT_LE(S.Messages.size(), std::size_t(MaxMessages) + 1);
        for (std::size_t k = 1; k < S.Messages.size(); ++k) {
            const XMsgRecType& m = S.Messages[k];
            ASSERT_LE(m.Text.size(), MaxTextLength);
            ASSERT_LE(m.Time.size(), 16u);
            ASSERT_LE(m.Phone.size(), 30u);
            ASSERT_LE(m.Name.size(), 30u);
            if (k > std::size_t(S.MessageCount)) {
                ASSERT_TRUE(m.Flags == 0 && m.Text.empty() && m.Phone.empty()) << k;
            }
        }
    }

    TempDir dir;
    const std::string path = PathIn(dir, "test.kst");
    MsgStore S;
    DefaultsType D;
};

}  // namespace

TEST_F(DataFile, AnEmptyCollectionIsThe111ByteFile) {
    ASSERT_EQ(WriteDataFile(S, path), 0);
    const std::string expected = Image().Groups(0).Chunk(0, 2).bytes;
    ASSERT_EQ(expected.size(), 111u);
    EXPECT_EQ(TempDir::Read(path), expected);
    GrowMessages(S, 3);
    S.MessageCount = 3;
    S.Modified = true;
    EXPECT_EQ(Load(expected), "");
    EXPECT_EQ(S.MessageCount, 0);
    EXPECT_FALSE(S.Modified);
}

TEST_F(DataFile, EveryFieldSurvivesAWriteAndARead) {
    FillRandomStore(S, {.Messages = 3000, .Phones = 400, .ColoredPercent = 40}, 9);
    std::mt19937 rng(2);
    for (std::int32_t k = 1; k <= S.MessageCount; ++k) {
        XMsgRecType& m = S.Messages[k];
        m.Serial = static_cast<std::uint16_t>(rng());
        if (k % 7 == 0) m.Flags |= MsgFound;
        if (k % 11 == 0) m.Name = "Tab\there\r\nand bell\a";
        if (k % 13 == 0) m.Text = std::string(MaxTextLength, 'L');
        if (k % 17 == 0) m.Text.clear();
        if (k % 19 == 0) m.Text = std::string("with mask ") + static_cast<char>(TextMask) + '\0' + "\xFF";
        if (k % 23 == 0) m.Phone = std::string(30, '7');
    }
    ASSERT_EQ(WriteDataFile(S, path), 0);
    EXPECT_FALSE(S.Modified);
    EXPECT_EQ(S.Messages[11].Name, "Tabhereand bell");  // names are cleaned before writing

    std::size_t textBytes = 0;
    for (std::int32_t k = 1; k <= S.MessageCount; ++k) textBytes += S.Messages[k].Text.size();
    EXPECT_EQ(TempDir::Read(path).size(), 20 + 91 * std::size_t(S.MessageCount + 1) + 8 * std::size_t(S.MessageCount) + textBytes);

    MsgStore T;
    T.Modified = true;
    ASSERT_EQ(ReadDataFile(T, path), 0);
    EXPECT_FALSE(T.Modified);
    ASSERT_EQ(T.MessageCount, S.MessageCount);
    for (std::int32_t k = 1; k <= S.MessageCount; ++k)
        ASSERT_TRUE(SameMessage(S.Messages[k], T.Messages[k])) << "message " << k;
}

TEST_F(DataFile, TextsAreScrambledOnceWithTheMask) {
    AddMessage(S, "2026.01.01 10:00", "+15555550100", std::string("a") + static_cast<char>(TextMask) + "b");
    AddMessage(S, "2026.01.01 10:01", "+15555550100", "");
    ASSERT_EQ(WriteDataFile(S, path), 0);
    const std::string bytes = TempDir::Read(path);
    const std::string expectedTail = Image().Text(1, S.Messages[1].Text).Text(2, "").Chunk(0, 2).bytes;
    EXPECT_EQ(bytes.substr(bytes.size() - expectedTail.size()), expectedTail);
    EXPECT_EQ(expectedTail[9], '\0');  // the mask byte is stored as 0
    ASSERT_EQ(Load(bytes), "");
    EXPECT_EQ(S.Messages[1].Text, std::string("a") + static_cast<char>(TextMask) + "b");
    EXPECT_EQ(S.Messages[2].Text, "");
}

TEST_F(DataFile, AFileCutBetweenTextsLoadsEveryMessage) {
    const std::string cut = Image().Groups(3).Text(1, "one").Text(2, "two").bytes;
    EXPECT_EQ(Load(cut), "");
    EXPECT_EQ(S.MessageCount, 3);
    EXPECT_EQ(S.Messages[2].Text, "two");
    EXPECT_EQ(S.Messages[3].Text, "");
    EXPECT_EQ(S.Messages[3].Phone, "555555555555");
    EXPECT_FALSE(S.Modified);
    // A few stray bytes after the last chunk (less than a header) end reading too.
    EXPECT_EQ(Load(cut + "\x05\x00"), "");
}

TEST_F(DataFile, AFileCutInsideATextKeepsWhatWasRead) {
    const std::string whole = Image().Groups(3).Text(1, "one").Text(2, "second text").bytes;
    EXPECT_EQ(Load(whole.substr(0, whole.size() - 4)), "Read beyond end of file");
    EXPECT_EQ(S.MessageCount, 3);
    EXPECT_EQ(S.Messages[1].Text, "one");
    EXPECT_EQ(S.Messages[2].Text, "");
    EXPECT_EQ(S.Messages[3].Time.size(), 16u);

    // Cut inside the heads: the messages whose heads were read whole stay.
    const std::string heads = Image().Groups(3).bytes.substr(0, 16 + 12 + 5);
    EXPECT_EQ(Load(heads), "Read beyond end of file");
    EXPECT_EQ(S.MessageCount, 1);
    ExpectSoundStore();
}

TEST_F(DataFile, FilesTheWriterNeverMakesAreRefusedOrBounded) {
    // A count above the capacity, and element lengths of another layout: not a data file.
    EXPECT_EQ(Load(Image().Chunk(1, 12).U16(16381).Zeros(10).bytes), "Not a Kestro data file");
    EXPECT_EQ(S.MessageCount, 0);
    EXPECT_EQ(Load(Image().Chunk(1, 12).U16(0xFFFF).Zeros(10).bytes), "Not a Kestro data file");
    EXPECT_EQ(Load(Image().Chunk(1, 14).U16(1).Zeros(40).bytes), "Not a Kestro data file");
    std::string times = Image().Groups(2).bytes;
    times[16 + 24 + 2] = 18;  // the times chunk's element length
    EXPECT_EQ(Load(times), "Not a Kestro data file");
    EXPECT_EQ(S.MessageCount, 2);  // the heads read before it stay

    // Text chunks for positions outside 1..N are passed over, bytes and all.
    const std::string positions =
        Image().Groups(2).Text(0, "zero").Text(3, "three").Text(65535, "far").Text(2, "kept").Chunk(0, 2).bytes;
    EXPECT_EQ(Load(positions), "");
    EXPECT_EQ(S.Messages[0].Text, "");
    EXPECT_EQ(S.Messages[2].Text, "kept");
    EXPECT_TRUE(S.Messages.size() <= 3 || S.Messages[3].Text.empty());

    // Length bytes above the capacity read as the capacity.
    Image lengths;
    lengths.Chunk(1, 12).U16(1).Zeros(10).U16(MsgSent).Zeros(10);
    lengths.Chunk(2, 17).Zeros(17).Short(16, 255, 'T').Chunk(3, 31).Zeros(31).Short(30, 255, 'P');
    lengths.Chunk(4, 31).Zeros(31).Short(30, 31, 'N').Text(1, "x");
    EXPECT_EQ(Load(lengths.bytes), "");
    EXPECT_EQ(S.Messages[1].Time, std::string(16, 'T'));
    EXPECT_EQ(S.Messages[1].Phone, std::string(30, 'P'));
    EXPECT_EQ(S.Messages[1].Name, std::string(30, 'N'));

    // A text longer than the buffer keeps its first 16383 bytes; reading goes on after it.
    const std::string longText =
        Image().Groups(2).Text(1, std::string(40000, 'a')).Text(2, "next").Chunk(7, 9).Text(2, "last").bytes;
    EXPECT_EQ(Load(longText), "");
    EXPECT_EQ(S.Messages[1].Text, std::string(MaxTextLength, 'a'));
    EXPECT_EQ(S.Messages[2].Text, "last");  // the unknown tag 7 has no body

    // A second heads chunk with fewer messages leaves no message behind the count.
    EXPECT_EQ(Load(Image().Groups(3).Text(3, "three").Chunk(1, 12).U16(1).Zeros(10).U16(MsgSent).Zeros(10).bytes), "");
    EXPECT_EQ(S.MessageCount, 1);
    ExpectSoundStore();
}

TEST_F(DataFile, RandomAndMangledBytesNeverHurt) {
    std::mt19937 rng(17);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    FillRandomStore(S, {.Messages = 40}, 4);
    ASSERT_EQ(WriteDataFile(S, path), 0);
    const std::string good = TempDir::Read(path);
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        if (round % 3 == 0) {
            bytes.resize(pick(4000));
            for (char& c : bytes) c = static_cast<char>(rng());
        } else {
            bytes = good.substr(0, pick(good.size() + 1));
            for (int flips = 1 + static_cast<int>(pick(8)); flips > 0 && !bytes.empty(); --flips)
                bytes[pick(bytes.size())] = static_cast<char>(rng());
        }
        Load(bytes);
        ExpectSoundStore();
    }
}

TEST_F(DataFile, FailuresToOpenOrCreateReturnTheError) {
    AddMessage(S, "2026.01.01 10:00", "+15555550100", "Hi");
    EXPECT_EQ(ReadDataFile(S, PathIn(dir, "absent.kst")), ENOENT);
    EXPECT_EQ(S.MessageCount, 1);
    EXPECT_EQ(ReadDataFile(S, dir.Path().string()), EISDIR);
    EXPECT_EQ(ReadDataFile(S, "/dev/zero"), NotRegularFileCode);  // endless devices are never read
    EXPECT_EQ(ReadHistory(S, "/dev/zero"), NotRegularFileCode);
    EXPECT_EQ(WriteDataFile(S, PathIn(dir, "missing/test.kst")), ENOENT);
    EXPECT_EQ(WriteDataFile(S, dir.Path().string()), EISDIR);
}

TEST_F(DataFile, AFailedWriteLeavesTheOldFileIntact) {
    FillRandomStore(S, {.Messages = 2000}, 3);
    ASSERT_EQ(WriteDataFile(S, path), 0);
    const std::string before = TempDir::Read(path);
    AddMessage(S, "2026.01.01 10:00", "+15555550100", std::string(10000, 'x'));
    S.Modified = true;  // as the command that added it would have
    try {
        FileSizeCap cap(64 * 1024);
        WriteDataFile(S, path);
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_STREQ(e.what(), "File too large");
        EXPECT_EQ(e.Text(), "Cannot write \"" + path + "\": File too large");
    }
    EXPECT_TRUE(S.Modified);
    EXPECT_EQ(TempDir::Read(path), before);
    EXPECT_EQ(FileCount(dir), 1u);  // no temporary file is left
}

TEST_F(DataFile, OnlyAFileThatBeginsAsTheWriterBeginsIsRead) {
    // Empty, short, textual and message-export files: refused, the store left alone.
    const std::string refused[] = {
        "",
        std::string("\x01\x00\x0c", 3),
        std::string("\x01\x00\x0c\x00\x00\x00", 6),  // the file header cut short
        "\"sms\",\"deliver\",\"+15555550100\",\"\",\"\",\"2007.03.01 08:00\",\"\",\"Hello\"\r\n",
        "Notes for Tuesday\nbuy milk\n",
        std::string("\x00\x00\x02\x00", 4),           // an end chunk alone
        std::string("\x07\x00\x02\x00", 4) + Image().Groups(1).bytes,  // an unknown tag first
    };
    for (const std::string& bytes : refused) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        WriteFileBytes(path, bytes);
        ClearStore(S, D);
        AddMessage(S, "2020.01.01 00:00", "+15555550199", "kept");
        const MsgStore before = S;
        EXPECT_THROW(ReadDataFile(S, path), NotDataFileError);
        ExpectSameStore(S, before);
        EXPECT_THROW(CheckDataFileStart(path), NotDataFileError);
        EXPECT_EQ(TempDir::Read(path), bytes);
    }
    // The smallest file that begins right: the heads chunk with its file header, no more.
    EXPECT_EQ(Load(Image().Chunk(1, 12).U16(0).Zeros(10).bytes), "");
    EXPECT_EQ(S.MessageCount, 0);
    EXPECT_EQ(CheckDataFileStart(path), 0);
    EXPECT_EQ(CheckDataFileStart(PathIn(dir, "absent.kst")), ENOENT);
}

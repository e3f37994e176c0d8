// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <string>

#include "MBVars/HeldMessages.h"
#include "MBVars/Import.h"
#include "OFuncs/IoError.h"
#include "MBVars/ImportSource.h"
#include "MBVars/Store.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/TextOps.h"
#include "support/StoreBuilder.h"
#include "support/FileTestHelpers.h"

namespace {
const std::string kPhone = "+15555550100";

// One word-form received line.
std::string Received(const std::string& time, const std::string& text,
                     const std::string& phone = kPhone) {
    return "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
}
std::string Sent(const std::string& time, const std::string& text) {
    return "\"sms\",\"submit\",\"\",\"" + kPhone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
}

class Import : public ::testing::Test {
protected:
    int Run(std::string_view bytes, const std::string& name = "export.csv") {
        return ImportCsvFile(S, dir.Write(name, bytes));
    }
    const XMsgRecType& Msg(int n) const { return S.Messages[n]; }

    MsgStore S;
    TempDir dir;
};

void ExpectMessage(const XMsgRecType& m, std::uint16_t flags, std::string_view time,
                   std::string_view phone, std::string_view text) {
    EXPECT_EQ(m.Flags, flags);
    EXPECT_EQ(m.Time.view(), time);
    EXPECT_EQ(m.Phone.view(), phone);
    EXPECT_EQ(m.Text, text);
    EXPECT_EQ(m.Serial, 0);
    EXPECT_EQ(m.Color, 0);
    EXPECT_TRUE(m.Name.empty());
}

// Every stored message satisfies the store's invariants.
void ExpectSoundStore(const MsgStore& S) {
    ASSERT_LE(S.MessageCount, MaxMessages);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        EXPECT_EQ(__builtin_popcount(m.Flags & (MsgSent | MsgReceived)), 1);
        EXPECT_FALSE(m.Time.empty() || m.Phone.empty() || m.Text.empty());
        EXPECT_LE(m.Text.size(), MaxTextLength);
        EXPECT_EQ(TrimTrailingSpaces(m.Text).size(), m.Text.size());
    }
    EXPECT_EQ(S.Messages[0].Flags, 0);
    EXPECT_LE(S.ContactCount, MaxContacts);
}

const char* const kExampleLines =
    R"("sms","deliver","+15555550100","","","2007.05.01 18:22","","See you at 8")" "\r\n"
    R"("sms","submit","","+15555550100","","2007.05.01 18:25","","OK")" "\r\n"
    R"("sms","5","+15555550100","","","2007.05.01 18:40","","Hi")" "\r\n"
    R"("sms","5","","+15555550100","","2007.05.01 18:41","","Hi")" "\r\n"
    R"("sms","36","","+15555550100","","2007.05.01 18:42","","Hi")" "\r\n"
    R"("sms","submit","","+15555550100","","2007.05.01 18:43","","Say ""hi"" now")" "\r\n"
    R"("sms","submit","","+15555550100","","2007.05.01 18:44","","""Hi"" she said")" "\r\n"
    R"("mms","deliver","+15555550100","","","2007.05.01 18:45","","Photo")" "\r\n"
    R"("mms","submit","","+15555550100","","2007.05.01 18:46","","Photo")" "\r\n";

void ExpectExampleResults(const MsgStore& S) {
    ASSERT_EQ(S.MessageCount, 7);  // L4 and L9 give nothing
    const std::uint16_t wordIn = MsgSms | MsgReceived | MsgWordCodes;
    const std::uint16_t wordOut = MsgSms | MsgSent | MsgWordCodes;
    ExpectMessage(S.Messages[1], wordIn, "2007.05.01 18:22", kPhone, "See you at 8");
    ExpectMessage(S.Messages[2], wordOut, "2007.05.01 18:25", kPhone, "OK");
    ExpectMessage(S.Messages[3], MsgSms | MsgReceived | MsgNumericCodes, "2007.05.01 18:40", kPhone, "Hi");
    ExpectMessage(S.Messages[4], MsgSms | MsgSent | MsgNumericCodes, "2007.05.01 18:42", kPhone, "Hi");
    ExpectMessage(S.Messages[5], wordOut, "2007.05.01 18:43", kPhone, "Say");
    ExpectMessage(S.Messages[6], wordOut, "2007.05.01 18:44", kPhone, "Hi she said");
    ExpectMessage(S.Messages[7], MsgMms | MsgReceived | MsgWordCodes, "2007.05.01 18:45", kPhone, "Photo");
}
}  // namespace

TEST_F(Import, ExampleLinesGiveTheirMessagesAndLeaveTheCountersAlone) {
    S.Modified = false;
    S.SentCount = 11;
    S.ViewCount = 0;
    EXPECT_EQ(Run(kExampleLines), 0);
    ExpectExampleResults(S);
    EXPECT_EQ(S.SentCount, 11);
    EXPECT_EQ(S.ReceivedCount, 0);
    EXPECT_EQ(S.ViewCount, 0);
    EXPECT_FALSE(S.Modified);
    EXPECT_EQ(S.ContactCount, 0);
    ExpectSoundStore(S);
}

TEST_F(Import, SemicolonsAreFoundByTheVote) {
    std::string lines = kExampleLines;
    for (std::size_t p = 0; (p = lines.find("\",\"", p)) != std::string::npos; ++p) lines[p + 1] = ';';
    EXPECT_EQ(Run(lines), 0);
    ExpectExampleResults(S);
}

TEST_F(Import, AFileWithoutSeparatorGivesNothing) {
    EXPECT_EQ(Run("\"sms\"\"deliver\"\"+15555550100\"\"2007.05.01 18:22\"\"Hi\"\r\nplain text\r\n"), 0);
    EXPECT_EQ(S.MessageCount, 0);
}

TEST_F(Import, SeparatorVoteKeepsTheFirstValueToReachTheTopCount) {
    unsigned char block[] = "\"a\"b\"";
    SeparatorVote vote;
    ExamineBlock(block, 5, vote);
    EXPECT_EQ(vote.Separator(), 'a');
    unsigned char nul[] = {'"', 0, '"'};
    SeparatorVote none;
    ExamineBlock(nul, 3, none);
    EXPECT_EQ(none.Separator(), 0);
}

TEST_F(Import, LineBreaksInsideTextsAreJoinedButNotAfterAQuote) {
    EXPECT_EQ(Run(Received("2007.05.01 18:22", "First\r\nsecond\r\nthird") +
                  Received("2007.05.01 18:23", "He said \"\"go\"\"\r\nnow") +
                  Received("2007.05.01 18:24", "A\rB") + Received("2007.05.01 18:25", "last")
                      .substr(0, 66)),  // no line end, no closing quote
              0);
    ASSERT_EQ(S.MessageCount, 4);
    EXPECT_EQ(Msg(1).Text, "First  second  third");
    EXPECT_EQ(Msg(2).Text, "He said");  // the rest of the text, now" is a line of its own
    EXPECT_EQ(Msg(3).Text, "AB");       // a lone CR is dropped
    EXPECT_EQ(Msg(4).Text, "last");
}

TEST_F(Import, HeaderStatusCodesAndSecondsInTheWordForm) {
    const std::string numeric = R"("sms","STATUS","+15555550100","","","2007.05.01 18:3M","","Hi")" "\n";
    auto withStatus = [&](const char* status, char minute) {
        std::string line = numeric;
        line.replace(line.find("STATUS"), 6, status);
        line[line.find('M')] = minute;
        return line;
    };
    EXPECT_EQ(Run("\"Message type\",\"Message status\",\"Sender\",\"Receiver\",\"\",\"Date\",\"\",\"Message\"\n" +
                  withStatus("25", '1') + withStatus("356", '2') + withStatus("136", '3') +
                  Received("2007.05.01 18:22:45", "Hello")),
              0);
    ASSERT_EQ(S.MessageCount, 4);
    EXPECT_EQ(Msg(1).Flags, MsgSms | MsgReceived | MsgNumericCodes);
    EXPECT_EQ(Msg(2).Flags, MsgSms | MsgReceived | MsgNumericCodes);
    EXPECT_EQ(Msg(3).Flags, MsgSms | MsgSent | MsgNumericCodes);
    // The time is cut to 16 characters, so the whole column also becomes the text.
    ExpectMessage(Msg(4), MsgSms | MsgReceived | MsgWordCodes, "2007.05.01 18:22", kPhone,
                  "2007.05.01 18:22:45");
}

TEST_F(Import, AFullStoreTakesNothingMoreAndTheFileStillCounts) {
    FillRandomStore(S, {.Messages = MaxMessages - 1}, 3);
    EXPECT_EQ(Run(Received("1999.01.01 00:00", "one") + Received("1999.01.01 00:01", "two")), 0);
    EXPECT_EQ(S.MessageCount, MaxMessages);
    EXPECT_EQ(Msg(MaxMessages).Text, "one");
    EXPECT_EQ(Run(Received("1999.01.01 00:02", "three")), 0);
    EXPECT_EQ(S.MessageCount, MaxMessages);
}

TEST_F(Import, TheLinesAFullStoreDroppedAreCounted) {
    FillRandomStore(S, {.Messages = MaxMessages - 2}, 5);
    const std::string path = dir.Write("late.csv", Received("1999.01.01 00:00", "one") +
                                                       Received("1999.01.01 00:00", "one") +  // held by then
                                                       "not a message line\r\n" + Received("1999.01.01 00:01", "two") +
                                                       Received("1999.01.01 00:02", "three") +
                                                       Received("1999.01.01 00:03", "four"));
    std::int32_t dropped = -1;
    EXPECT_EQ(ImportCsvFile(S, path, dropped), 0);
    EXPECT_EQ(S.MessageCount, MaxMessages);
    EXPECT_EQ(dropped, 2);
    // Again: every message line is new to the store but finds it full, except the held ones.
    EXPECT_EQ(ImportCsvFile(S, path, dropped), 0);
    EXPECT_EQ(dropped, 2);
    EXPECT_EQ(ImportCsvFile(S, dir.Write("contacts.csv", "\"Title\",\"First name\"\r\n\"\",\"Ann\"\r\n"), dropped), 0);
    EXPECT_EQ(dropped, 0);
    EXPECT_EQ(ImportCsvFile(S, PathIn(dir, "absent.csv"), dropped), ENOENT);
    EXPECT_EQ(dropped, 0);
}

TEST_F(Import, AMessageIsHeldOnlyWithTheSameTimePhoneDirectionAndText) {
    AddMessage(S, "2007.05.01 18:00", kPhone, "Stored  ", MsgSms | MsgReceived);
    const std::string file = Received("2007.05.01 18:00", "Stored") +      // held
                             Received("2007.05.01 18:22", "See you") +     // new
                             Sent("2007.05.01 18:22", "See you") +         // other direction
                             Received("2007.05.01 18:22", "See you", "+15555550111") +
                             Received("2007.05.01 18:22", "See you too") +
                             Received("2007.05.01 18:22", "See you   ");   // same after trimming
    EXPECT_EQ(Run(file), 0);
    EXPECT_EQ(S.MessageCount, 5);
    EXPECT_EQ(Run(file), 0);
    EXPECT_EQ(S.MessageCount, 5);
}

// The rule as a scan of the store, the reference for the index.
bool HeldByScan(const MsgStore& S, const XMsgRecType& m) {
    const auto dir = [](const XMsgRecType& r) { return r.Flags & (MsgSent | MsgReceived); };
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& s = S.Messages[n];
        if (s.Time == m.Time && s.Phone == m.Phone && dir(s) == dir(m) &&
            TrimTrailingSpaces(s.Text) == TrimTrailingSpaces(m.Text))
            return true;
    }
    return false;
}

TEST(HeldMessagesIndex, AgreesWithAScanOfTheStore) {
    const RandomStoreShape shape{.Messages = 3000, .Phones = 4, .Texts = 5, .Minutes = 6};
    MsgStore S;
    FillRandomStore(S, shape, 21);
    std::mt19937 rng(22);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[n].Text.append(rng() % 3, ' ');
    HeldMessages held(S);
    MsgStore candidates;
    FillRandomStore(candidates, shape, 23);
    int heldCount = 0;
    for (std::int32_t n = 1; n <= candidates.MessageCount; ++n) {
        XMsgRecType& m = candidates.Messages[n];
        m.Text.append(rng() % 3, ' ');
        if (rng() % 4 == 0) m.Flags = MsgSms | MsgSent | MsgReceived;
        ASSERT_EQ(held.Holds(m), HeldByScan(S, m)) << n;
        heldCount += held.Holds(m);
    }
    EXPECT_GT(heldCount, 100);
    EXPECT_LT(heldCount, candidates.MessageCount);
}

// Built empty and grown one added message at a time past several doublings of its table.
TEST(HeldMessagesIndex, AgreesWithAScanWhileItGrows) {
    const RandomStoreShape shape{.Messages = 5000, .Phones = 6, .Texts = 40, .Minutes = 30};
    MsgStore source, S;
    FillRandomStore(source, shape, 31);
    HeldMessages held(S);
    std::mt19937 rng(32);
    for (std::int32_t n = 1; n <= source.MessageCount; ++n) {
        const XMsgRecType& m = source.Messages[n];
        ASSERT_EQ(held.Holds(m), HeldByScan(S, m)) << n;
        if (held.Holds(m)) continue;
        GrowMessages(S, S.MessageCount + 1);
        S.Messages[++S.MessageCount] = m;
        held.Add(S.MessageCount);
        const XMsgRecType& earlier = source.Messages[1 + rng() % static_cast<unsigned>(n)];
        ASSERT_EQ(held.Holds(earlier), HeldByScan(S, earlier)) << n;
    }
    EXPECT_GT(S.MessageCount, 2048);  // past the first table sizes
}

TEST_F(Import, LongTextsAreCutToTheTextBuffer) {
    // (a first line longer than 1000 characters would make it a contacts export)
    EXPECT_EQ(Run(Received("2007.05.01 18:21", "short") + Received("2007.05.01 18:22", std::string(20000, 'x'))), 0);
    ASSERT_EQ(S.MessageCount, 2);
    EXPECT_EQ(Msg(2).Text, std::string(MaxTextLength, 'x'));
}

// A short line, then a text line whose CR LF starts at file offset `crAt`, then a line
// that is a message of its own unless that CR LF is joined.
std::string LineWithBreakAt(std::size_t crAt) {
    std::string head = Received("2007.05.01 18:21", "short") + "\"sms\",\"deliver\",\"" + kPhone + "\",\"\",\"\",\"2007.05.01 18:22\",\"\",\"";
    return head + std::string(crAt - head.size(), 'x') + "\r\n" + Received("2007.05.01 18:30", "tail");
}

TEST_F(Import, LineBreaksAreJoinedWhereverTheyFallAgainstTheBlocks) {
    // The CR LF inside the first block, straddling the boundary, and at the start of the
    // second block (with the byte before it at the end of the first).
    const std::size_t block = ImportBufferSize;
    for (const std::size_t crAt : {block - 3, block - 2, block - 1, block, block + 1, 2 * block - 1}) {
        MsgStore fresh;
        const std::string bytes = LineWithBreakAt(crAt);
        ASSERT_EQ(ImportCsvFile(fresh, dir.Write("straddle.csv", bytes)), 0) << crAt;
        ASSERT_EQ(fresh.MessageCount, 2) << crAt;  // the tail line became part of the text
        // The text runs from its opening quote to the joined break (trailing spaces go),
        // kept up to its longest length.
        const std::size_t textStart = bytes.rfind('"', crAt) + 1;
        const std::string& text = fresh.Messages[2].Text;
        EXPECT_EQ(text.size(), std::min(crAt - textStart, MaxTextLength)) << crAt;
        EXPECT_EQ(text.find_first_not_of('x'), std::string::npos) << crAt;
    }
}

TEST_F(Import, AQuoteBeforeTheBoundaryStillEndsTheLine) {
    // A line that ends with its closing quote as the block's last byte: a real line end.
    std::string head = Received("2007.05.01 18:21", "short") + "\"sms\",\"deliver\",\"" + kPhone +
                       "\",\"\",\"\",\"2007.05.01 18:22\",\"\",\"";
    const std::string bytes = head + std::string(ImportBufferSize - 1 - head.size(), 'x') + "\"\r\n" +
                              Received("2007.05.01 18:30", "tail");
    EXPECT_EQ(Run(bytes), 0);
    ASSERT_EQ(S.MessageCount, 3);
    EXPECT_EQ(Msg(3).Text, "tail");
}

TEST_F(Import, ContactLinesK1AndK2) {
    const std::string header = "\"Title\",\"First name\",\"Middle name\",\"Last name\"\r\n";
    EXPECT_EQ(Run(header +
                  R"("Mr","John","","Smith","","","","","","","","","","","","","+15555550100")" "\r\n"
                  R"("","Anna","","","","","","","","","","","","","","","+1 555 555 0101","+15555550102")" "\r\n"
                  R"("","J)" "\xF6" R"(rg","","","","","","","","","","","","","","","+15555550103")" "\n"
                  "\n"),
              0);
    EXPECT_EQ(S.MessageCount, 0);
    ASSERT_EQ(S.ContactCount, 4);
    EXPECT_EQ(S.Contacts[1].Phone.view(), "+15555550100");
    EXPECT_EQ(S.Contacts[1].Name.view(), "Mr John Smith");
    EXPECT_EQ(S.Contacts[2].Phone.view(), "+15555550101");
    EXPECT_EQ(S.Contacts[2].Name.view(), "Anna");
    EXPECT_EQ(S.Contacts[3].Name.view(), "J\xC3\xB6rg");  // converted to UTF-8
    EXPECT_TRUE(S.Contacts[4].Phone.empty() && S.Contacts[4].Name.empty());  // the empty line
}

TEST_F(Import, SemicolonContactsAndTheLongFirstLine) {
    std::string line = R"("Mrs";"Eve";"";"Stone";"";"";"";"";"";"";"";"";"";"";"";"";"+15555550100")";
    EXPECT_EQ(Run(std::string(1001, 'h') + "\n" + line + "\n"), 0);
    ASSERT_EQ(S.ContactCount, 1);
    EXPECT_TRUE(S.Contacts[1].Phone.empty());
    // No column boundary for the number; the name's columns split at the semicolons.
    EXPECT_EQ(S.Contacts[1].Name.view(), "Mrs Eve Stone");
}

TEST_F(Import, ContactNamesJoinTheirNonEmptyColumnsWithoutTheFilesQuotes) {
    const std::string header = "\"Title\",\"First name\",\"Middle name\",\"Last name\"\r\n";
    const std::string tail = R"(,"","","","","","","","","","","","+15555550100")" "\r\n";
    EXPECT_EQ(Run(header +
                  R"("Dr","Cora","Lynn","Oakhurst","Jr.","x")" + tail +          // all six columns
                  R"("",""," Ada ","","Ashgrove  Hill","")" + tail +            // spaces tidied
                  R"("","Big ""Ed""","","Vantwell, Sr.","","")" + tail +        // the text's own quotes and comma
                  R"(Mr,Hugo,,Zouch,,,,,,,,,,,,,"+15555550101")" "\r\n" +       // unquoted fields
                  R"("","","","","","Seventh","column")" + tail),                 // column 6 is not the name
              0);
    ASSERT_EQ(S.ContactCount, 5);
    EXPECT_EQ(S.Contacts[1].Name.view(), "Dr Cora Lynn Oakhurst Jr. x");
    EXPECT_EQ(S.Contacts[1].Phone.view(), "+15555550100");
    EXPECT_EQ(S.Contacts[2].Name.view(), "Ada Ashgrove Hill");
    EXPECT_EQ(S.Contacts[3].Name.view(), "Big \"Ed\" Vantwell, Sr.");
    EXPECT_EQ(S.Contacts[4].Name.view(), "Mr Hugo Zouch");
    EXPECT_EQ(S.Contacts[5].Name.view(), "Seventh");
}

TEST_F(Import, ContactNamesStayWholeCharactersAndUtf8LinesAreNotConvertedTwice) {
    const std::string header = "\"Title\",\"First name\"\n";
    const std::string tail = R"(,"","","","","","","","","","","","","","","+15555550100")" "\n";
    // Fifteen two-byte Cyrillic letters and a space: 31 bytes, so the cut takes 29.
    std::string cyrillic;
    for (int i = 0; i < 7; ++i) cyrillic += "\xD0\x96";  // Zhe
    cyrillic += " ";
    for (int i = 0; i < 8; ++i) cyrillic += "\xD0\xB0";  // a
    EXPECT_EQ(Run(header + "\"" + cyrillic + "\"" + tail +
                  "\"Bj\xC3\xB6rn \xC3\x85kesson\"" + tail +  // already UTF-8
                  "\"Bj\xF6rn \xC5kesson\"" + tail),            // Windows-1252
              0);
    ASSERT_EQ(S.ContactCount, 3);
    const std::string_view cut = S.Contacts[1].Name.view();
    EXPECT_EQ(cut.size(), 29u);
    EXPECT_EQ(cut, std::string_view(cyrillic).substr(0, 29));
    EXPECT_TRUE(IsValidUtf8(cut));
    EXPECT_EQ(S.Contacts[2].Name.view(), "Bj\xC3\xB6rn \xC3\x85kesson");
    EXPECT_EQ(S.Contacts[3].Name.view(), "Bj\xC3\xB6rn \xC3\x85kesson");
}

TEST_F(Import, WithoutSeparatorEmptyContactFieldsStayEmpty) {
    EXPECT_EQ(Run("\"Title\"\nAnn\"\"Lee\n"), 0);  // no byte stands between two quotes
    ASSERT_EQ(S.ContactCount, 1);
    EXPECT_EQ(S.Contacts[1].Name.view(), "Ann\"\"Lee");  // and no NUL byte in the name
}

TEST_F(Import, TheContactTableStopsAtItsCapacity) {
    GrowContacts(S, 901);
    S.ContactCount = 900;
    S.Contacts[901].Color = 0x123456;
    std::string file = "\"Title\"\n";
    for (int i = 0; i < 200; ++i) file += "\"Name" + std::to_string(i) + "\"\n";
    EXPECT_EQ(Run(file), 0);
    EXPECT_EQ(S.ContactCount, MaxContacts);
    EXPECT_EQ(S.Contacts[901].Name.view(), "Name0");
    EXPECT_EQ(S.Contacts[901].Color, 0);
    EXPECT_EQ(S.Contacts[1000].Name.view(), "Name99");
}

TEST_F(Import, ReadOnlyFilesAndFoldersImportAndTempCsvIsNeverTouched) {
    const std::string mine = dir.Write("temp.csv", Received("2007.05.01 18:22", "from temp"));
    const std::string source = dir.Write("ro.csv", Received("2007.05.01 18:23", "read-only"));
    std::filesystem::permissions(source, std::filesystem::perms::owner_read);
    namespace fs = std::filesystem;
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ImportCsvFile(S, source), 0);
    EXPECT_EQ(ImportCsvFile(S, mine), 0);
    ASSERT_EQ(S.MessageCount, 2);
    EXPECT_EQ(Msg(2).Text, "from temp");
    EXPECT_EQ(TempDir::Read(mine), Received("2007.05.01 18:22", "from temp"));
    EXPECT_EQ(FileCount(dir), 2u);
}

TEST_F(Import, MissingFilesAndFoldersReturnTheirError) {
    EXPECT_EQ(ImportCsvFile(S, PathIn(dir, "missing.csv")), ENOENT);
    EXPECT_EQ(ImportCsvFile(S, dir.Path().string()), EISDIR);
    EXPECT_EQ(ImportCsvFile(S, "/dev/zero"), NotRegularFileCode);  // endless: refused, not read
    EXPECT_EQ(S.MessageCount, 0);
}

TEST_F(Import, HostileBytesNeitherCrashNorHang) {
    std::mt19937 rng(11);
    const std::string alphabet = "\",;\r\n \0sm5deliver36submit2007.:x";
    for (int round = 0; round < 20; ++round) {
        std::string bytes(static_cast<std::size_t>(rng() % 200000), '\0');
        const bool anyByte = round % 2 == 0;
        for (char& c : bytes)
            c = anyByte ? static_cast<char>(rng()) : alphabet[rng() % (alphabet.size() + 1)];
        if (round % 4 == 1) bytes.insert(0, "\"Title\"\n");
        EXPECT_EQ(Run(bytes, "hostile" + std::to_string(round) + ".csv"), 0);
        ExpectSoundStore(S);
    }
    auto repeat = [](std::string_view piece, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) out += piece;
        return out;
    };
    const std::string hugeLines[] = {
        std::string(1'000'000, '"'),
        std::string(1'000'000, 'x'),
        "\"sms\",\"deliver\"" + repeat(",\"\"\" ", 40'000),
        "\"sms\",\"deliver\"" + repeat(",\"a\"", 40'000),
        "\"mms\",\"deliver\"" + repeat(",\"2007.05.01 18:22\"", 40'000),
        "\"sms\",\"5\"" + repeat(",\"+1555\"", 40'000),
        repeat("\"\",", 200'000) + repeat("_+1", 40'000),
    };
    for (const std::string& line : hugeLines) {
        EXPECT_EQ(Run(Received("2007.05.01 18:20", "short") + line + "\n" + line), 0);  // messages
        EXPECT_EQ(Run("\"Title\"\n" + line + "\n" + line), 0);                     // contacts
        ExpectSoundStore(S);
    }
    EXPECT_EQ(Run(Received("2007.05.01 18:22", std::string("A\0B", 3))), 0);
    EXPECT_EQ(Msg(S.MessageCount).Text, std::string("A\0B", 3));
    ExpectSoundStore(S);
}

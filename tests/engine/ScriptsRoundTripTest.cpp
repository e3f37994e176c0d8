// SPDX-License-Identifier: GPL-3.0-or-later
// Texts and names in several scripts and encodings: the summary counts them as shown, and
// showing, searching and counting leave the data file and the history file byte for byte.
#include <gtest/gtest.h>

#include <sstream>

#include "MBVars/Contacts.h"
#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/Search.h"
#include "MBVars/Stats.h"
#include "OFuncs/DisplayText.h"
#include "cli/CollectionCommands.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/TempDir.h"

namespace {
std::string Received(const char* phone, const char* time, const std::string& text) {
    return std::string("\"sms\",\"deliver\",\"") + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
}

// Messages in UTF-8 (Cyrillic, Greek, Polish, emoji) and in Windows-1252, and a contacts
// export with a UTF-8 name and a Windows-1252 one.
struct ScriptExports {
    TempDir dir;
    std::string messages = PathIn(dir, "messages.csv"), contacts = PathIn(dir, "contacts.csv");
    ScriptExports() {
        WriteFileBytes(messages,
                       Received("+15555550140", "2026.04.01 09:00", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82!") +
                       Received("+15555550141", "2026.04.01 10:00", "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1 \xF0\x9F\x98\x80") +
                       Received("+15555550142", "2026.04.02 11:00", "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87") +
                       Received("+15555550141", "2026.04.02 12:00", "K\xE4se und caf\xE9"));
        std::string tail;
        for (int column = 2; column < 16; ++column) tail += ",\"\"";
        WriteFileBytes(contacts, "\"Title\",\"First name\",\"Middle name\"\r\n"
                                 "\"\",\"\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0\"" + tail + ",\"+15555550140\"\r\n"
                                 "\"Dr\",\"Bj\xF6rn\"" + tail + ",\"+15555550141\"\r\n");
    }
};
}  // namespace

TEST(Scripts, ImportedNamesTextsAndTheSummary) {
    ScriptExports files;
    const std::string data = PathIn(files.dir, "k.kst"), history = PathIn(files.dir, "k.hst");
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({files.messages, files.contacts, "-o", data, "--history", history}, out, err), 0)
        << err.str();
    MsgStore S;
    ASSERT_EQ(ReadDataFile(S, data), 0);
    ASSERT_EQ(S.MessageCount, 4);
    std::string names;
    for (int n = 1; n <= 4; ++n) names += DisplayUtf8(S.Messages[static_cast<std::size_t>(n)].Name.view()) + "|";
    EXPECT_EQ(names, "Dr Bj\xC3\xB6rn|+15555550142|Dr Bj\xC3\xB6rn|\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0|");

    std::ostringstream summary, summaryErr;
    ASSERT_EQ(RunSummaryCommand(data, summary, summaryErr), 0);
    // 7 + 6 + 6 + 13 characters as shown (50 bytes stored).
    EXPECT_NE(summary.str().find("4 messages, 32 characters, 7 words"), std::string::npos) << summary.str();
}

TEST(Scripts, ShowingSearchingAndCountingLeaveTheFilesByteForByte) {
    ScriptExports files;
    const std::string data = PathIn(files.dir, "k.kst"), history = PathIn(files.dir, "k.hst");
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({files.messages, files.contacts, "-o", data, "--history", history}, out, err), 0)
        << err.str();
    const std::string dataBefore = TempDir::Read(data), historyBefore = TempDir::Read(history);

    MsgStore S;
    ASSERT_EQ(ReadDataFile(S, data), 0);
    ASSERT_EQ(ReadHistory(S, history), 0);
    for (int n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        EXPECT_TRUE(IsValidUtf8(DisplayMessageUtf8(m.Text) + DisplayUtf8(m.Name.view())));
    }
    EXPECT_EQ(MarkFound(S, FetchByText, "\xCF\x80\xCF\x81\xCE\x99\xCE\x92"), 0);
    EXPECT_EQ(MarkFound(S, FetchByText, "\xD0\xBF\xD0\xA0\xD0\x98"), 1);
    EXPECT_EQ(MarkFound(S, FetchByText, "CAF\xC9"), 1);
    // The search's own mark is part of the flags; it is not what this test is about.
    for (int n = 1; n <= S.MessageCount; ++n) S.Messages[static_cast<std::size_t>(n)].Flags &= ~MsgFound;
    ActivityTotals totals;
    ComputeActivity(S, {}, totals);
    BuildContacts(S, ContactsByPhone, true);
    ComputeContactsActivity(S);

    const std::string dataAgain = PathIn(files.dir, "again.kst"), historyAgain = PathIn(files.dir, "again.hst");
    ASSERT_EQ(WriteDataFile(S, dataAgain), 0);
    ASSERT_EQ(WriteHistory(S, historyAgain), 0);
    EXPECT_EQ(TempDir::Read(dataAgain), dataBefore);
    EXPECT_EQ(TempDir::Read(historyAgain), historyBefore);
}

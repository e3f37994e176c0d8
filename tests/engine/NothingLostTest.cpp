// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing an import leaves out goes unsaid, and Kestro's own CSV comes back whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Formats/CsvExport.h"
#include "Formats/CsvExportImport.h"
#include "MBVars/History.h"
#include "MBVars/ImportFile.h"
#include "MBVars/LoadSequences.h"
#include "OFuncs/DisplayText.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {

// Every reader, with one message per reason it can leave one out, and what kestro-cli says
// on standard error: the lines the window's report shows too. +15555550188 is blocked.
TEST(NothingLost, EveryReasonAnImportLeavesMessagesOutIsSaid) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::string Said;
    };
    const std::vector<Case> cases = {
        {"suite.csv",
         "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:00\",\"\",\"Lunch?\"\r\n"
         "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:00\",\"\",\"Lunch?  \"\r\n"
         "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.02 10:00\",\"\",\"Lunch?\"\r\n"
         "\"sms\",\"draft\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:05\",\"\",\"Unsent\"\r\n"
         "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:06\",\"\",\"\"\r\n"
         "\"sms\",\"36\",\"\",\"\",\"\",\"2026.03.01 10:07\",\"\",\"No number\"\r\n"
         "\"sms\",\"deliver\",\"+15555550188\",\"\",\"\",\"2026.03.01 10:08\",\"\",\"Blocked\"\r\n"
         "\"sms\",\"deliver\",\"+15555550188\",\"\",\"\",\"2026.03.01 10:09\",\"\",\"Blocked too\"\r\n",
         "kestro-cli: 1 message not taken: duplicates of messages already held\n"
         "kestro-cli: 2 messages not taken: without number or text\n"
         "kestro-cli: 1 message not taken: not sent or received (drafts, outbox, failed)\n"
         "kestro-cli: 2 messages not taken: blocked\n"},
        {"kestro.csv",
         "\xEF\xBB\xBFTime,Phone,Name,Direction,Message\r\n"
         "2026-03-02 10:00,+15555550166,Ann,Received,Hi\r\n"
         "2026-03-02 10:00,+15555550166,Ann,Received,Hi\r\n"
         "2026-03-03 10:00,+15555550166,Ann,Received,Hi\r\n"
         "yesterday,+15555550166,Ann,Received,Hi\r\n"
         "2026-03-02 10:01,,Ann,Received,Hi\r\n"
         "2026-03-02 10:02,+15555550166,Ann,Draft,Hi\r\n",
         "kestro-cli: 1 message not taken: duplicates of messages already held\n"
         "kestro-cli: 1 message not taken: without number or text\n"
         "kestro-cli: 1 message not taken: not sent or received (drafts, outbox, failed)\n"
         "kestro-cli: 1 message not taken: with a date that is not a date\n"},
        {"backup.xml",
         "<?xml version='1.0' encoding='UTF-8'?>\n<smses count=\"7\">\n"
         "<sms address=\"+15555550155\" date=\"1700000000000\" type=\"1\" body=\"Yo\" />\n"
         "<sms address=\"+15555550155\" date=\"1700000000000\" type=\"1\" body=\"Yo\" />\n"
         "<sms address=\"+15555550155\" date=\"1700086400000\" type=\"1\" body=\"Yo\" />\n"
         "<sms address=\"+15555550155\" date=\"soon\" type=\"1\" body=\"Yo\" />\n"
         "<sms address=\"\" date=\"1700000000000\" type=\"1\" body=\"Yo\" />\n"
         "<sms address=\"+15555550155\" date=\"1700000000000\" type=\"3\" body=\"draft\" />\n"
         "<sms address=\"+15555550155\" date=\"1700000000000\" type=\"5\" body=\"failed\" />\n"
         "</smses>\n",
         "kestro-cli: 1 message not taken: duplicates of messages already held\n"
         "kestro-cli: 1 message not taken: without number or text\n"
         "kestro-cli: 2 messages not taken: not sent or received (drafts, outbox, failed)\n"
         "kestro-cli: 1 message not taken: with a date that is not a date\n"},
    };
    TempDir dir;
    const std::string history = PathIn(dir, "k.hst");
    {
        MsgStore S;
        S.HistoryCount = 1;
        S.History[1].Phone = "+15555550188";
        S.History[1].Blocked = 1;
        ASSERT_EQ(WriteHistory(S, history), 0);
    }
    std::string all;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = PathIn(dir, c.Name);
        WriteFileBytes(file, c.Bytes);
        std::ostringstream out, err;
        EXPECT_EQ(RunImportCommand({file, "--history", history}, out, err), 0);
        EXPECT_EQ(err.str(), c.Said);
        // Each input holds the same words twice more on another day: kept, not a duplicate.
        EXPECT_NE(out.str().find(" 2 received"), std::string::npos) << out.str();
    }
    // Several files at once: the same reasons, their counts added.
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({PathIn(dir, "suite.csv"), PathIn(dir, "kestro.csv"), PathIn(dir, "backup.xml"),
                                "--history", history},
                               out, err),
              0);
    EXPECT_EQ(err.str(),
              "kestro-cli: 3 messages not taken: duplicates of messages already held\n"
              "kestro-cli: 4 messages not taken: without number or text\n"
              "kestro-cli: 4 messages not taken: not sent or received (drafts, outbox, failed)\n"
              "kestro-cli: 2 messages not taken: with a date that is not a date\n"
              "kestro-cli: 2 messages not taken: blocked\n");
}

// A message as an export shows it: time, number, name, direction, text.
using Shown = std::tuple<std::string, std::string, std::string, bool, std::string>;

std::vector<Shown> ShownMessages(const MsgStore& S) {
    std::vector<Shown> out;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        out.emplace_back(m.Time.str(), DisplayUtf8(m.Phone.view()), DisplayUtf8(m.Name.view()),
                         (m.Flags & MsgSent) != 0, DisplayMessageUtf8(m.Text));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string CsvOfAll(const MsgStore& S) {
    std::vector<std::int32_t> rows;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) rows.push_back(n);
    return CsvExport(S, rows);
}

// A random collection made as imports make one (from a phone backup, or from messages
// added as they are), full of the same words on other days and within one minute, in both
// directions: exported and imported into an empty collection with the default settings it
// gives the same messages; imported into itself it adds none.
TEST(NothingLost, KestrosOwnCsvComesBackWhole) {
    const std::vector<std::string> texts = {"Ok", "Ok ", "Yes", "\xF0\x9F\x91\x8D", "caf\xE9", "a, \"b\"",
                                            "two\r\nlines", "  "};
    const std::vector<std::string> backupTexts = {"Ok", "Ok ", "Yes", "\xF0\x9F\x91\x8D", "a, \"b\""};
    TempDir dir;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const bool fromBackup = seed % 2;
        std::mt19937 rng(seed);
        const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
        const int count = 1 + static_cast<int>(pick(600));
        MsgStore source;
        DefaultsType D;
        if (fromBackup) {
            std::string xml = "<smses>\n";
            for (int k = 0; k < count; ++k) {
                std::string body;
                for (const char c : backupTexts[pick(backupTexts.size())] + (pick(4) ? "" : " again"))
                    body += c == '"' ? "&quot;" : std::string(1, c);
                xml += "<sms address=\"+1555555010" + std::to_string(pick(4)) + "\" date=\"" +
                       std::to_string(1700000000000LL + static_cast<long long>(pick(5)) * 40000) + "\" type=\"" +
                       std::to_string(1 + pick(2)) + "\" body=\"" + body + "\" contact_name=\"Person " +
                       std::to_string(pick(3)) + "\" />\n";
            }
            const std::string file = PathIn(dir, "backup" + std::to_string(seed) + ".xml");
            WriteFileBytes(file, xml + "</smses>\n");
            ImportFileReport report;
            ASSERT_EQ(ImportFile(source, file, report), 0);
        } else {
            for (int k = 0; k < count; ++k)
                AddMessage(source, "2024.05.0" + std::to_string(1 + pick(2)) + " 1" + std::to_string(pick(2)) + ":00",
                           "+1555555020" + std::to_string(pick(4)), texts[pick(texts.size())],
                           static_cast<std::uint16_t>(MsgSms | (pick(2) ? MsgSent : MsgReceived)),
                           "Name " + std::to_string(pick(3)));
        }
        FinishImport(source, D, FinishImportOptions{true, true, ""});
        const std::string csv = CsvOfAll(source);

        MsgStore back;
        DefaultsType backD;
        ImportNotTaken notTaken;
        EXPECT_EQ(ImportCsvExportBytes(back, csv, &notTaken), 0);
        // The settings' defaults: names from the history, duplicates removed.
        FinishImport(back, backD, FinishImportOptions{true, true, ""}).AddTo(notTaken);
        EXPECT_EQ(notTaken.Total(), 0);
        EXPECT_EQ(ShownMessages(back), ShownMessages(source));

        const std::int32_t before = source.MessageCount;
        ImportNotTaken again;
        ImportCsvExportBytes(source, csv, &again);
        EXPECT_EQ(source.MessageCount, before);
        EXPECT_EQ(again[NotTakenReason::AlreadyHeld], before);
        if (HasFailure()) return;
    }
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "cli/CollectionCommands.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"

namespace {
const std::string kExample =
    (std::filesystem::path(KESTRO_TEST_DATA).parent_path().parent_path() / "examples" / "example_messages.csv")
        .string();
const std::string kExampleListing =
    "1\t0x0025\t0\t2007.05.02 09:10\t+15555550123\t\tOn my way\n"
    "2\t0x0015\t0\t2007.05.01 18:25\t+15555550100\t\tOK\n"
    "3\t0x0016\t0\t2007.05.01 18:22\t+15555550100\t\tSee you at 8\n"
    "3 messages (2 sent, 1 received, 0 blocked), 2 contacts (2 numbers)\n";
}  // namespace

TEST(CliImport, ListsTheStoreNewestFirst) {
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({kExample}, out, err), 0);
    EXPECT_EQ(out.str(), kExampleListing);
    EXPECT_EQ(err.str(), "");
}

TEST(CliImport, AnUnreadableFileIsNamedAndTheOthersStillImport) {
    TempDir dir;
    const std::string missing = PathIn(dir, "missing.csv");
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({missing, kExample, dir.Path().string()}, out, err), 1);
    EXPECT_EQ(out.str(), kExampleListing);
    EXPECT_EQ(err.str(), "kestro-cli: cannot import " + missing + ": No such file or directory\n"
                         "kestro-cli: cannot import " + dir.Path().string() + ": Is a directory\n");
}

TEST(CliImport, TheBuiltProgramPrintsTheListing) {
    TempDir dir;
    const std::string out = PathIn(dir, "out"), err = PathIn(dir, "err");
    const std::string command = std::string("'") + KESTRO_CLI + "' import '" + kExample + "' '" +
                                PathIn(dir, "none.csv") + "' >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(TempDir::Read(out), kExampleListing);
    EXPECT_NE(TempDir::Read(err).find("none.csv: No such file or directory"), std::string::npos);
    EXPECT_EQ(std::system((std::string("'") + KESTRO_CLI + "' >/dev/null 2>&1").c_str()) >> 8, 2);
}

namespace {
// Two exports of one contact: a message held twice, the same words on two days, and a
// contacts file naming the number.
struct TwoExports {
    TempDir dir;
    std::string messages = PathIn(dir, "messages.csv"), contacts = PathIn(dir, "contacts.csv");
    TwoExports() {
        WriteFileBytes(messages,
                       "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:00\",\"\",\"Lunch?\"\r\n"
                       "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.02 10:00\",\"\",\"Lunch?\"\r\n"
                       "\"sms\",\"submit\",\"\",\"+15555550188\",\"\",\"2026.03.02 11:00\",\"\",\"Sure\"\r\n"
                       "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.02 10:00\",\"\",\"Lunch?\"\r\n");
        std::string line = "\"Ms\",\"Vera\"";
        for (int column = 2; column < 16; ++column) line += ",\"\"";
        WriteFileBytes(contacts, "\"Title\",\"First name\",\"Middle name\"\r\n" + line + ",\"+15555550177\"\r\n");
    }
};
}  // namespace

TEST(CliImport, FinishesTheCollectionWithNamesHistoryDuplicatesAndDataFile) {
    TwoExports files;
    const std::string history = PathIn(files.dir, "k.hst"), data = PathIn(files.dir, "k.kst");
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({files.messages, files.contacts, "-o", data, "--history", history}, out, err), 0)
        << err.str();
    // The same words a day later are another message; the line repeated is the same one.
    EXPECT_EQ(out.str(),
              "1\t0x0015\t0\t2026.03.02 11:00\t+15555550188\t+15555550188\tSure\n"
              "2\t0x0016\t0\t2026.03.02 10:00\t+15555550177\tMs Vera\tLunch?\n"
              "3\t0x0016\t0\t2026.03.01 10:00\t+15555550177\tMs Vera\tLunch?\n"
              "3 messages (1 sent, 2 received, 0 blocked), 2 contacts (2 numbers)\n");

    // The history now names the number and can block it on the next import.
    MsgStore S;
    ASSERT_EQ(ReadHistory(S, history), 0);
    ASSERT_EQ(S.HistoryCount, 2);
    for (int h = 1; h <= S.HistoryCount; ++h) S.History[h].Blocked = S.History[h].Phone == "+15555550177";
    ASSERT_EQ(WriteHistory(S, history), 0);
    std::ostringstream again, againErr;
    ASSERT_EQ(RunImportCommand({files.messages, "--history", history, "--keep-duplicates"}, again, againErr), 0);
    EXPECT_NE(again.str().find("1 messages (1 sent, 0 received, 2 blocked), 1 contacts (1 numbers)\n"), std::string::npos)
        << again.str();
    std::ostringstream off, offErr;
    ASSERT_EQ(RunImportCommand({files.messages, "--history", history, "--no-history", "--keep-duplicates"}, off, offErr), 0);
    EXPECT_NE(off.str().find("3 messages (1 sent, 2 received, 0 blocked), 2 contacts (2 numbers)\n"), std::string::npos);

    // dump prints the data file as stored, newest first.
    std::ostringstream dump, dumpErr;
    ASSERT_EQ(RunDumpCommand(data, dump, dumpErr), 0);
    EXPECT_EQ(dump.str(), out.str().substr(0, out.str().rfind("3 messages")) + "3 messages (1 sent, 2 received)\n");
}

TEST(CliImport, SummaryAndSamples) {
    TwoExports files;
    const std::string data = PathIn(files.dir, "k.kst");
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({files.messages, "-o", data, "--keep-duplicates"}, out, err), 0);
    std::ostringstream summary, summaryErr;
    ASSERT_EQ(RunSummaryCommand(data, summary, summaryErr), 0);
    EXPECT_EQ(summary.str(),
              "Activity summary:\n\n"
              "All messages in 2026.03.01-2026.03.02 (2 days):\n3 messages, 16 characters, 3 words\n\n"
              "Sent messages in 2026.03.02-2026.03.02 (1 days):\n1 messages, 4 characters, 1 words\n\n"
              "Received messages in 2026.03.01-2026.03.02 (2 days):\n2 messages, 12 characters, 2 words\n");

    std::ostringstream bad, badErr;
    EXPECT_EQ(RunSummaryCommand(data + ".missing", bad, badErr), 1);
    EXPECT_EQ(badErr.str(), "kestro-cli: cannot read " + data + ".missing: No such file or directory\n");

    TempDir samples;
    std::ostringstream paths, pathsErr;
    ASSERT_EQ(RunSamplesCommand(samples.Path().string(), (std::filesystem::path(KESTRO_TEST_DATA).parent_path().parent_path() / "data").string(), paths, pathsErr), 0)
        << pathsErr.str();
    EXPECT_EQ(paths.str(), PathIn(samples, "sample_all_messages_from_phone_suite.csv") + "\n" +
                               PathIn(samples, "sample_sent_messages_from_classic_suite.csv") + "\n" +
                               PathIn(samples, "sample_inbox_messages_from_classic_suite.csv") + "\n" +
                               PathIn(samples, "sample_contacts_from_classic_suite.csv") + "\n");
}

TEST(CliImport, ArgumentsItDoesNotTake) {
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({"-o"}, out, err), 2);
    EXPECT_EQ(RunImportCommand({"--frobnicate", "x.csv"}, out, err), 2);
    EXPECT_EQ(RunImportCommand({"--no-history"}, out, err), 2);
    EXPECT_EQ(out.str(), "");
}

TEST(CliImport, AFailedInputLeavesTheArchiveAndTheHistoryAsTheyWere) {
    TwoExports files;
    const std::string data = PathIn(files.dir, "archive.kst"), history = PathIn(files.dir, "Kestro.hst");
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({files.messages, files.contacts, "-o", data, "--history", history}, out, err), 0);
    const std::string archiveBefore = TempDir::Read(data), historyBefore = TempDir::Read(history);

    // A missing export, a device, a folder, a cut phone backup, an XML file that is no
    // backup: each alone fails the run and nothing is written.
    const std::string cut = files.dir.Write("cut.xml", "<smses>\n<sms address=\"5550100\" date=\"0\" type=\"1\" body=\"a\"/>\n<sms");
    const std::string page = files.dir.Write("page.xml", "<html/>");
    for (const std::string& bad : {PathIn(files.dir, "typo.csv"), std::string("/dev/zero"), files.dir.Path().string(), cut, page}) {
        std::ostringstream o, e;
        EXPECT_EQ(RunImportCommand({files.messages, bad, "-o", data, "--history", history}, o, e), 1) << bad;
        EXPECT_NE(e.str().find(bad == page ? page + " is not a phone backup, an address book or a message export"
                                           : "cannot import " + bad + ": "),
                  std::string::npos)
            << e.str();
        EXPECT_NE(e.str().find(data + " and " + history + " not written"), std::string::npos) << e.str();
        EXPECT_EQ(TempDir::Read(data), archiveBefore);
        EXPECT_EQ(TempDir::Read(history), historyBefore);
    }

    std::ostringstream o1, e1;
    RunImportCommand({cut}, o1, e1);
    EXPECT_NE(e1.str().find("cannot import " + cut + ": damaged at line 3"), std::string::npos) << e1.str();
    EXPECT_NE(o1.str().find("1 messages"), std::string::npos) << o1.str();

    // A history that cannot be read completely is an input that failed, too.
    WriteFileBytes(history, historyBefore.substr(0, historyBefore.size() - 1));
    std::ostringstream o, e;
    EXPECT_EQ(RunImportCommand({files.messages, "-o", data, "--history", history}, o, e), 1);
    EXPECT_NE(e.str().find("cannot read " + history + ": Read beyond end of file"), std::string::npos) << e.str();
    EXPECT_EQ(TempDir::Read(data), archiveBefore);
    EXPECT_EQ(TempDir::Read(history), historyBefore.substr(0, historyBefore.size() - 1));
}

TEST(CliImport, AFileLargerThanAnyExportIsRefusedWithoutReservingItsSize) {
    TempDir dir;
    const std::string sparse = PathIn(dir, "huge.csv");
    WriteFileBytes(sparse, "\"sms\"");
    std::filesystem::resize_file(sparse, std::uintmax_t(1) << 40);  // 1 TiB, holes only
    const std::string data = PathIn(dir, "archive.kst");
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({sparse, "-o", data}, out, err), 1);
    EXPECT_EQ(err.str(), "kestro-cli: cannot import " + sparse + ": File too large\n"
                         "kestro-cli: " + data + " not written, since an input could not be read\n");
    EXPECT_FALSE(std::filesystem::exists(data));
}

TEST(CliImport, SamplesCreateTheirFolderAndNameTheFileThatFails) {
    TempDir dir;
    const std::string wordList = (std::filesystem::path(KESTRO_TEST_DATA).parent_path().parent_path() / "data").string();
    const std::string nested = PathIn(dir, "a/b/c");
    std::ostringstream out, err;
    ASSERT_EQ(RunSamplesCommand(nested, wordList, out, err), 0) << err.str();
    EXPECT_TRUE(std::filesystem::exists(nested + "/sample_contacts_from_classic_suite.csv"));

    // A sample name taken by a folder: that file is named, with the reason in words.
    const std::string taken = PathIn(dir, "taken");
    std::filesystem::create_directories(taken + "/sample_all_messages_from_phone_suite.csv");
    std::ostringstream o, e;
    EXPECT_EQ(RunSamplesCommand(taken, wordList, o, e), 1);
    EXPECT_EQ(e.str(), "kestro-cli: cannot write " + taken + "/sample_all_messages_from_phone_suite.csv: " +
                           std::strerror(EISDIR) + "\n");
    // A folder that cannot be made is named too.
    WriteFileBytes(PathIn(dir, "file"), "x");
    std::ostringstream o2, e2;
    EXPECT_EQ(RunSamplesCommand(PathIn(dir, "file/sub"), wordList, o2, e2), 1);
    EXPECT_EQ(e2.str().rfind("kestro-cli: cannot create the folder " + PathIn(dir, "file/sub") + ": ", 0), 0u);
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(CliImport, RunningOutOfMemoryNamesTheFileAndWritesNothing) {
    TempDir dir;
    const std::string big = PathIn(dir, "big.csv"), data = PathIn(dir, "archive.kst");
    WriteFileBytes(big, "\"sms\",\"deliver\"");
    std::filesystem::resize_file(big, 300u << 20);  // within the size limit, holes only
    WriteFileBytes(data, "kept");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for about 64 MiB more than the process holds now.
        std::ifstream statm("/proc/self/statm");
        unsigned long pages = 0;
        statm >> pages;
        const rlim_t now = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
        const rlimit cap{now + (64u << 20), now + (64u << 20)};
        ::setrlimit(RLIMIT_AS, &cap);
        std::ostringstream out, err;
        const int status = RunImportCommand({big, "-o", data}, out, err);
        const bool named = err.str().rfind("kestro-cli: cannot import " + big + ": Out of memory\n", 0) == 0;
        ::_exit(status == 1 && named ? 0 : 10 + status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TempDir::Read(data), "kept");
}
#endif

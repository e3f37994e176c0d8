// SPDX-License-Identifier: GPL-3.0-or-later
// kestro-cli's status tells the truth: standard output that cannot be written fails the
// command, and the year split says what it wrote, what it left out, and where it stopped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

#include "Formats/BackupYearSplit.h"
#include "MBVars/DataFile.h"
#include "MBVars/LoadSequences.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace fs = std::filesystem;

namespace {

// Runs the built program with its standard output on `out`; the status and standard error.
std::pair<int, std::string> RunCli(const std::string& args, const std::string& out, const TempDir& dir) {
    const std::string err = PathIn(dir, "stderr");
    const int status = std::system(("'" + std::string(KESTRO_CLI) + "' " + args + " >" + out + " 2>'" + err + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDir::Read(err)};
}

// The lines of a phone backup: `count` messages of one number from `firstMs` on, a minute
// apart; Backup() wraps them.
std::string Messages(long long firstMs, int count, std::size_t textSize = 8) {
    std::string x;
    for (int i = 0; i < count; ++i) {
        std::string body = "m" + std::to_string(i);
        body.resize(std::max(body.size(), textSize), '.');
        x += "<sms address=\"+15555550100\" date=\"" + std::to_string(firstMs + 60000LL * i) +
             "\" type=\"1\" body=\"" + body + "\"/>\n";
    }
    return x;
}
std::string Backup(const std::string& messages) { return "<smses>\n" + messages + "</smses>\n"; }

constexpr long long Mid2019 = 1561939200000;  // 2019-07-01 00:00 UTC
constexpr long long Mid2020 = 1593561600000;  // 2020-07-01 00:00 UTC

}  // namespace

TEST(CliOutput, AStandardOutputThatCannotBeWrittenFailsTheCommand) {
    TempDir dir;
    MsgStore S;
    for (int i = 0; i < 6000; ++i)  // a CSV export of about 5.5 MB
        AddMessage(S, "2024.03.01 10:00", "+1555555" + std::to_string(1000 + i % 50), std::string(900, 'x') + std::to_string(i));
    const std::string archive = PathIn(dir, "archive.kst");
    ASSERT_EQ(WriteDataFile(S, archive), 0);
    const std::string csv = dir.Write("in.csv", "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:00\",\"\",\"Hi\"\r\n");
    for (const std::string& args : {"dump " + archive, "summary " + archive, "activity " + archive,
                                    "export " + archive + " --format csv", "export " + archive + " --format html",
                                    "import " + csv, std::string("--help")}) {
        const auto [status, err] = RunCli(args, "/dev/full", dir);
        EXPECT_EQ(status, 1) << args;
        EXPECT_EQ(err, "kestro-cli: cannot write the output: Disk full\n") << args;
    }
    const auto [status, err] = RunCli("export " + archive + " --format csv", "'" + PathIn(dir, "out.csv") + "'", dir);
    EXPECT_EQ(status, 0) << err;
    EXPECT_GT(fs::file_size(PathIn(dir, "out.csv")), 5500000u);
}

// The year split makes its folder with its parents, names the messages from the address
// books among its inputs, and says how many older messages of an over-full year it left out.
TEST(CliOutput, TheYearSplitMakesItsFolderNamesAndCountsWhatItLeftOut) {
    TempDir dir;
    const std::string backup = dir.Write("b.xml", Backup(Messages(Mid2019, 1) + Messages(Mid2020, MaxMessages + 20)));
    const std::string cards = dir.Write("people.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Example\r\n"
                                                      "TEL:+15555550100\r\nEND:VCARD\r\n");
    const std::string years = PathIn(dir, "a/b/years");
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({"--split-by-year", years, backup, cards}, out, err), 0) << err.str();
    const std::string y2019 = BackupYearSplit::PathOf(years, 2019), y2020 = BackupYearSplit::PathOf(years, 2020);
    EXPECT_EQ(out.str(), y2019 + ": 1 messages\n" + y2020 + ": " + std::to_string(MaxMessages) +
                             " messages, 20 older messages left out: a year holds at most " +
                             std::to_string(MaxMessages) + "\n");
    EXPECT_EQ(err.str(), "kestro-cli: 20 older messages not imported: a year had more than " +
                             std::to_string(MaxMessages) + " messages\n");
    MsgStore S;
    DefaultsType D;
    ASSERT_EQ(OpenCollection(S, D, y2019), 0);
    ASSERT_EQ(S.MessageCount, 1);
    EXPECT_EQ(S.Messages[1].Name.view(), "Ann Example");
}

// A disk that fills up: the files written before are listed, and the one that failed keeps
// what it held.
TEST(CliOutput, TheYearSplitListsWhatItWroteBeforeAnError) {
    TempDir dir;
    SmallDisk disk(dir.Path() / "years", 96);
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    const std::string years = PathIn(dir, "years");
    const std::string y2019 = BackupYearSplit::PathOf(years, 2019), y2020 = BackupYearSplit::PathOf(years, 2020);
    WriteFileBytes(y2019, "an older 2019");
    WriteFileBytes(y2020, "an older 2020");
    const std::string backup = dir.Write("b.xml", Backup(Messages(Mid2019, 2) + Messages(Mid2020, 300, 1000)));
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({"--split-by-year", years, backup}, out, err), 1);
    EXPECT_EQ(out.str(), y2019 + ": 2 messages\n");
    EXPECT_EQ(err.str(), "kestro-cli: cannot write " + y2020 + ": Disk full\n"
                         "kestro-cli: written before the error: " + y2019 + "\n");
    EXPECT_EQ(TempDir::Read(y2020), "an older 2020");
    EXPECT_EQ(std::distance(fs::directory_iterator(years), {}), 2);
}

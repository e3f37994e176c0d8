// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "MBVars/StartArguments.h"

using Action = StartArguments::Action;

TEST(StartArguments, NoArgumentsStartAsUsual) {
    const StartArguments a = ParseStartArguments({});
    EXPECT_EQ(a.What, Action::Start);
    EXPECT_TRUE(a.DataFile.empty());
    EXPECT_TRUE(a.Exports.empty());
}

TEST(StartArguments, OneDataFileAndExportsInTheirOrder) {
    const StartArguments a =
        ParseStartArguments({"inbox.csv", "/home/anna/Phone.KST", "contacts.CSV", "notes.txt"});
    ASSERT_EQ(a.What, Action::Start);
    EXPECT_EQ(a.DataFile, "/home/anna/Phone.KST");
    EXPECT_EQ(a.Exports, (std::vector<std::string>{"inbox.csv", "contacts.CSV", "notes.txt"}));
    // A name that is only the extension, or ends in it without the dot, is no data file.
    EXPECT_EQ(ParseStartArguments({".kst"}).Exports, std::vector<std::string>{".kst"});
    EXPECT_EQ(ParseStartArguments({"backup-kst"}).Exports, std::vector<std::string>{"backup-kst"});
}

TEST(StartArguments, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(ParseStartArguments({"--help"}).What, Action::Help);
    EXPECT_EQ(ParseStartArguments({"-h"}).What, Action::Help);
    EXPECT_EQ(ParseStartArguments({"a.kst", "b.kst", "--bogus", "--help"}).What, Action::Help);
    EXPECT_EQ(ParseStartArguments({"--version"}).What, Action::Version);
    EXPECT_EQ(ParseStartArguments({"--version", "--help"}).What, Action::Help);
    EXPECT_EQ(ParseStartArguments({"--bogus", "--version"}).What, Action::Version);
}

TEST(StartArguments, RefusesUnknownOptionsAndASecondDataFile) {
    const StartArguments unknown = ParseStartArguments({"a.csv", "--bogus"});
    EXPECT_EQ(unknown.What, Action::Error);
    EXPECT_EQ(unknown.Error, "unknown option --bogus");
    const StartArguments two = ParseStartArguments({"a.kst", "b.kst"});
    EXPECT_EQ(two.What, Action::Error);
    EXPECT_EQ(two.Error, "only one data file (.kst) can be opened at a time");
    EXPECT_EQ(ParseStartArguments({""}).What, Action::Error);
}

TEST(StartArguments, AfterTheDoubleDashEverythingIsAFile) {
    const StartArguments a = ParseStartArguments({"--", "--help", "-x.kst", "-"});
    ASSERT_EQ(a.What, Action::Start);
    EXPECT_EQ(a.DataFile, "-x.kst");
    EXPECT_EQ(a.Exports, (std::vector<std::string>{"--help", "-"}));
    // A lone dash is a file name too, not an option.
    EXPECT_EQ(ParseStartArguments({"-"}).Exports, std::vector<std::string>{"-"});
}

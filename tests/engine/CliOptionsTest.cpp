// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "MBVars/Version.h"
#include "support/FileTestHelpers.h"

namespace {
struct CliRun {
    int Status = -1;
    std::string Out, Err;
};

CliRun RunCli(const std::string& arguments) {
    TempDir dir;
    const std::string out = PathIn(dir, "out"), err = PathIn(dir, "err");
    const std::string command =
        std::string("'") + KESTRO_CLI + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDir::Read(out), TempDir::Read(err)};
}
}  // namespace

TEST(CliOptions, HelpGoesToStandardOutputAndSucceeds) {
    for (const char* option : {"--help", "-h"}) {
        const CliRun run = RunCli(option);
        EXPECT_EQ(run.Status, 0) << option;
        EXPECT_EQ(run.Out.rfind("usage: kestro-cli import FILE...", 0), 0u) << run.Out;
        EXPECT_NE(run.Out.find("kestro-cli samples DIR"), std::string::npos);
        EXPECT_EQ(run.Err, "");
    }
}

TEST(CliOptions, VersionNamesTheProgramAndItsVersion) {
    const CliRun run = RunCli("--version");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, std::string("kestro-cli ") + ProgramVersion + "\n");
    EXPECT_EQ(run.Err, "");
}

TEST(CliOptions, AMistakeStillPrintsTheUsageToStandardErrorAndFails) {
    for (const char* arguments : {"", "--bogus", "dump"}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.Status, 2) << arguments;
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err.rfind("usage: kestro-cli", 0), 0u);
    }
}

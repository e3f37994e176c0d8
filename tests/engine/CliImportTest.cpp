#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

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
    "3 messages (2 sent, 1 received)\n";
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

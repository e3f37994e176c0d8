// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/MergeCommand.h"
#include "support/FileTestHelpers.h"

namespace {
TEST(CliMerge, StatusAndWordsForEachOutcome) {
    TempDir dir;
    const std::string good = dir.Write("good.xml", "<smses>\n  <sms address=\"5550100\" date=\"1\" type=\"1\" body=\"a\" />\n</smses>\n");
    const std::string cut = dir.Write("cut.xml", "<smses>\n  <sms address=\"5550100\" date=\"2\"");
    const std::string out = PathIn(dir, "out.xml");
    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string Out, Err;  // the start of what each stream gets
    };
    const std::vector<Case> cases = {
        {{good, "-o", out}, 0, "\"" + good + "\": 1 read, 1 written, 0 found twice.\n1 messages written to", ""},
        {{good, cut, "-o", out}, 1, "", "kestro-cli: \"" + cut + "\" is damaged at line 2 (unclosed token): nothing was "
                                        "written.\nkestro-cli: --skip-damaged takes what can be read of it\n"},
        {{good, cut, "-o", out, "--skip-damaged"}, 0, "\"" + good + "\": 1 read", ""},
        {{good, PathIn(dir, "missing.xml"), "-o", out}, 1, "", "kestro-cli: Cannot read \"" + PathIn(dir, "missing.xml")},
        {{good, "-o", PathIn(dir, "no/such/dir.xml")}, 1, "", "kestro-cli: Cannot write"},
        {{good}, 2, "", "kestro-cli: merge needs at least one backup and -o MERGED.xml\n"},
        {{good, "-o"}, 2, "", "kestro-cli: -o needs a file name\n"},
        {{good, "--fast", "-o", out}, 2, "", "kestro-cli: unknown option --fast\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args.back());
        std::ostringstream o, e;
        EXPECT_EQ(RunMergeCommand(c.Args, o, e), c.Status);
        EXPECT_EQ(o.str().substr(0, c.Out.size()), c.Out);
        EXPECT_EQ(e.str().substr(0, c.Err.size()), c.Err);
        if (c.Status != 0) {
            EXPECT_EQ(FileCount(dir), 2u);
        }
        std::filesystem::remove(out);
    }
}
}  // namespace

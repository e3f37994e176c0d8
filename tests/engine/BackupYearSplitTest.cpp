// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "Formats/BackupYearSplit.h"
#include "support/TempDir.h"

namespace {

// One message a year of 2018 to 2021 written into a folder: the years not wanted are left
// out, a progress that says stop ends the writing before the next file, and the files
// written are listed as they come.
TEST(BackupYearSplit, WritesTheWantedYearsUntilTheProgressStops) {
    struct Case {
        int StopAfter;  // files; -1: never stops
        std::vector<int> Written;
    };
    for (const Case& c : {Case{-1, {2018, 2020, 2021}}, Case{1, {2018}}, Case{0, {}}}) {
        MsgStore names;
        BackupYearSplit years(names);
        for (int year = 2018; year <= 2021; ++year) {
            BackupMessage m;
            m.Record.Flags = MsgSms | MsgReceived | MsgExactTime;
            m.Record.Time = std::to_string(year) + ".06.10 12:00";
            m.Record.Phone = "5550100";
            m.Record.Text = "hello";
            years.Offer(m);
        }
        EXPECT_EQ(years.Years(), std::vector<int>({2018, 2019, 2020, 2021}));
        TempDir dir;
        YearWriting how{dir.Path().string(), {}, {}, [](int year) { return year != 2019; },
                        [&](std::uint64_t files, std::int64_t messages) {
                            EXPECT_EQ(messages, static_cast<std::int64_t>(files));
                            return c.StopAfter < 0 || files < static_cast<std::uint64_t>(c.StopAfter);
                        }, {}};
        std::vector<YearFile> written;
        years.Write(how, written);
        std::vector<int> got;
        for (const YearFile& f : written) {
            got.push_back(f.Year);
            EXPECT_EQ(f.Messages, 1);
            EXPECT_TRUE(std::filesystem::exists(f.Path));
        }
        EXPECT_EQ(got, c.Written) << c.StopAfter;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), static_cast<long>(c.Written.size()));
    }
}

}  // namespace

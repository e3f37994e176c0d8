// SPDX-License-Identifier: GPL-3.0-or-later
// Sent and received messages per month, weekday and hour, for all or one contact, and
// kestro-cli's activity command over a data file.
#include <gtest/gtest.h>

#include <numeric>
#include <sstream>

#include "MBVars/ActivityCounts.h"
#include "MBVars/DataFile.h"
#include "cli/CollectionCommands.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

namespace {

constexpr std::uint16_t Sent = MsgSms | MsgSent, Received = MsgSms | MsgReceived;
const ActivityContact Ann{ActivityContact::ByName, "Ann Example"};
const ActivityContact Nameless{ActivityContact::ByPhone, "555-0102"};

// A leap day at 23:59 and the next day at 00:00 under one name on two numbers, months
// without messages between, a nameless number, and two times that are no dates.
MsgStore HandMade() {
    MsgStore S;
    AddMessage(S, "2024.02.29 23:59", "555-0100", "leap", Sent, "Ann Example");
    AddMessage(S, "2024.03.01 00:00", "555-0101", "midnight", Received, "Ann Example");
    AddMessage(S, "2024.06.15 12:30", "555-0102", "june", Sent);
    AddMessage(S, "2023.02.29 10:00", "555-0100", "no leap year", Received, "Ann Example");
    AddMessage(S, "2024.13.01 10:00", "555-0102", "month 13", Received);
    AddMessage(S, "2023.12.31 08:05", "555-0102", "new year's eve", Received);
    return S;
}

std::string Rows(const ActivityCounts& counts) {
    std::string text;
    for (const PeriodCount& r : counts.Rows)
        if (r.Sent || r.Received) text += r.Period + ' ' + std::to_string(r.Sent) + ' ' + std::to_string(r.Received) + ';';
    return text;
}

TEST(ActivityCounts, CountsPerPeriodAndContact) {
    const MsgStore S = HandMade();
    struct Case {
        ActivityPeriod Period;
        ActivityContact Contact;
        std::size_t RowCount;
        std::string NonZero;
        std::int32_t Malformed;
    };
    const Case cases[] = {
        {ActivityPeriod::Month, {}, 7, "2023-12 0 1;2024-02 1 0;2024-03 0 1;2024-06 1 0;", 2},
        {ActivityPeriod::Weekday, {}, 7, "Thursday 1 0;Friday 0 1;Saturday 1 0;Sunday 0 1;", 2},
        {ActivityPeriod::Hour, {}, 24, "00 0 1;08 0 1;12 1 0;23 1 0;", 2},
        {ActivityPeriod::Month, Ann, 2, "2024-02 1 0;2024-03 0 1;", 1},
        {ActivityPeriod::Weekday, Nameless, 7, "Saturday 1 0;Sunday 0 1;", 1},
        {ActivityPeriod::Month, {ActivityContact::ByName, "Nobody"}, 0, "", 0},
        {ActivityPeriod::Hour, {ActivityContact::ByName, "Nobody"}, 24, "", 0},
    };
    for (const Case& c : cases) {
        const ActivityCounts counts = CountActivity(S, c.Period, c.Contact);
        EXPECT_EQ(counts.Rows.size(), c.RowCount) << c.NonZero;
        EXPECT_EQ(Rows(counts), c.NonZero);
        EXPECT_EQ(counts.Malformed, c.Malformed) << c.NonZero;
    }
    const ActivityCounts months = CountActivity(S, ActivityPeriod::Month, {});
    EXPECT_EQ(months.Rows.front().Period, "2023-12");
    EXPECT_EQ(months.Rows[1].Period, "2024-01");  // empty months are shown
    EXPECT_EQ(CountActivity(S, ActivityPeriod::Weekday, {}).Rows.front().Period, "Monday");
}

TEST(ActivityCounts, ContactsOnePerNameAndNumbersWithoutName) {
    const MsgStore S = HandMade();
    EXPECT_EQ(ActivityContacts(S), (std::vector<ActivityContact>{Nameless, Ann}));
    EXPECT_EQ(ActivityContactOfPhone(S, "555-0101"), Ann);  // the name both numbers share
    EXPECT_EQ(ActivityContactOfPhone(S, "555-0102"), Nameless);
    EXPECT_EQ(ActivityContactOf(S.Messages[1]), Ann);
}

// Every message of a contact lands in exactly one row or among the malformed, whatever the
// period.
TEST(ActivityCounts, EveryMessageCountedOnce) {
    MsgStore S;
    FillRandomStore(S, {.Messages = 1500, .Phones = 20}, 3);
    AddMessage(S, "garbage", "555-0199", "x", Sent);
    for (const ActivityContact& contact : [&] {
             auto all = ActivityContacts(S);
             all.push_back({});
             return all;
         }()) {
        std::int32_t expected = 0;
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
            const ActivityContact of = ActivityContactOf(S.Messages[n]);
            expected += contact.By == ActivityContact::All || of == contact;
        }
        for (ActivityPeriod period : {ActivityPeriod::Month, ActivityPeriod::Weekday, ActivityPeriod::Hour}) {
            const ActivityCounts counts = CountActivity(S, period, contact);
            const std::int32_t total = std::accumulate(counts.Rows.begin(), counts.Rows.end(), counts.Malformed,
                                                       [](std::int32_t sum, const PeriodCount& r) {
                                                           return sum + r.Sent + r.Received;
                                                       });
            EXPECT_EQ(total, expected) << contact.Key;
        }
    }
}

TEST(ActivityCounts, CliPrintsTheTableAndCountsMalformedTimes) {
    TempDir dir;
    MsgStore S = HandMade();
    const std::string file = dir.Path().string() + "/hand.kst";
    ASSERT_EQ(WriteDataFile(S, file), 0);
    struct Case {
        std::vector<std::string> Args;
        int Code;
        std::string Out, Err;
    };
    const Case cases[] = {
        {{file, "--contact", "555-0101"}, 0, "period\tsent\treceived\n2024-02\t1\t0\n2024-03\t0\t1\n",
         "kestro-cli: " + file + ": 1 message left out: the time is not a valid date\n"},
        {{"--by", "hour", file, "--contact", "555-0102"}, 0, "", ": 1 message left out"},
        {{file, "--by", "week"}, 2, "", "--by takes month, weekday or hour"},
        {{file, "--contact", "555-0199"}, 1, "", "holds no message of 555-0199"},
        {{file, "--by"}, 2, "", "usage:"},
        {{dir.Path().string() + "/missing.kst"}, 1, "", "cannot read"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunActivityCommand(c.Args, out, err), c.Code) << err.str();
        if (!c.Out.empty()) {
            EXPECT_EQ(out.str(), c.Out);
        }
        if (c.Code != 0) {
            EXPECT_EQ(out.str(), "");
        }
        EXPECT_NE(err.str().find(c.Err), std::string::npos) << err.str();
    }
}

}  // namespace

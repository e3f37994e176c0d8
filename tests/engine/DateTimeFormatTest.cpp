// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"

namespace {
const LocaleInfo English = LocaleInfo::English();
// Thursday 15 March 2007, 18:07:05.
const double Evening = TimeValue("2007.03.15 18:07:05");

std::string Fmt(std::string_view pattern, double value = Evening, const LocaleInfo& L = English) {
    return FormatDateTime(pattern, value, L);
}
}  // namespace

TEST(FormatDateTime, DateAndTimeCodes) {
    EXPECT_EQ(Fmt("d/m/yy"), "15/3/07");
    EXPECT_EQ(Fmt("dd.mm.yyyy"), "15.03.2007");
    EXPECT_EQ(Fmt("ddd dddd"), "Thu Thursday");
    EXPECT_EQ(Fmt("mmm mmmm mmmmm"), "Mar March March");
    EXPECT_EQ(Fmt("h:n:s"), "18:7:5");
    EXPECT_EQ(Fmt("hh:nn:ss"), "18:07:05");
    EXPECT_EQ(Fmt("y yyy"), "07 2007");
    EXPECT_EQ(Fmt("d.m", TimeValue("2005.01.02 03:04")), "2.1");
    EXPECT_EQ(Fmt("dd.mm hh:nn", TimeValue("2005.01.02 03:04")), "02.01 03:04");
}

TEST(FormatDateTime, MonthCodeAfterAnHourMeansMinutes) {
    EXPECT_EQ(Fmt("hh:mm"), "18:07");
    EXPECT_EQ(Fmt("h mm"), "18 07");
    EXPECT_EQ(Fmt("mm hh"), "03 18");
    EXPECT_EQ(Fmt("hh:mm dd.mm"), "18:07 15.03");  // a day code in between makes it a month again
    // Only m and mm turn into minutes: month names stay month names after an hour.
    EXPECT_EQ(Fmt("h mmm"), "18 Mar");
    EXPECT_EQ(Fmt("hh:mmmm"), "18:March");
}

TEST(FormatDateTime, CodesIgnoreLetterCase) {
    EXPECT_EQ(Fmt("YYYY-MM-DD HH:NN:SS"), "2007-03-15 18:07:05");
    EXPECT_EQ(Fmt("DDDD, DDDDD T"), "Thursday, 15/03/2007 18:07");
    EXPECT_EQ(Fmt("HH:MM"), "18:07");
}

TEST(FormatDateTime, LocaleFormatsAndSeparators) {
    EXPECT_EQ(Fmt("dddd, ddddd t"), "Thursday, 15/03/2007 18:07");
    EXPECT_EQ(Fmt("dddddd"), "Thursday, 15 March 2007");
    EXPECT_EQ(Fmt("tt"), "18:07:05");
    LocaleInfo L = English;
    L.DateSeparator = "-";
    L.TimeSeparator = ".";
    L.ShortDateFormat = "yyyy/mm/dd";
    EXPECT_EQ(Fmt("ddddd t", Evening, L), "2007-03-15 18.07");
    L.DateSeparator.clear();
    EXPECT_EQ(Fmt("dd/mm", Evening, L), "1503");
}

TEST(FormatDateTime, TwelveHourClockAndMarkers) {
    const double morning = TimeValue("2007.03.15 09:30"), midnight = TimeValue("2007.03.15 00:05"),
                 noon = TimeValue("2007.03.15 12:00");
    EXPECT_EQ(Fmt("h:nn am/pm"), "6:07 pm");
    EXPECT_EQ(Fmt("hh:nn AM/PM"), "06:07 PM");
    EXPECT_EQ(Fmt("hh:nn Am/pM"), "06:07 pM");
    EXPECT_EQ(Fmt("h:nn am/pm", morning), "9:30 am");
    EXPECT_EQ(Fmt("h a/p"), "6 p");
    EXPECT_EQ(Fmt("h A/P", morning), "9 A");
    EXPECT_EQ(Fmt("h ampm"), "6 PM");
    EXPECT_EQ(Fmt("h AMPM", morning), "9 AM");
    EXPECT_EQ(Fmt("h:nn am/pm", midnight), "12:05 am");
    EXPECT_EQ(Fmt("h:nn am/pm", noon), "12:00 pm");
    EXPECT_EQ(Fmt("am/pm h"), "pm 6");  // a marker before the hour applies too
    EXPECT_EQ(Fmt("h hh:nn"), "18 18:07");       // no marker: a 24-hour clock
    EXPECT_EQ(Fmt("h 'am/pm'"), "18 am/pm");     // a quoted marker is just text
    EXPECT_EQ(Fmt("h ax"), "18 ax");             // an "a" that starts no marker is text
    EXPECT_EQ(Fmt("h 'h' \"it's\" am/pm"), "6 h it's pm");  // quoted text hides nothing
}

TEST(FormatDateTime, QuotedTextAndOtherCharactersAreCopied) {
    EXPECT_EQ(Fmt("'dd' \"mm\" yyyy"), "dd mm 2007");
    EXPECT_EQ(Fmt("\"it's\" d"), "it's 15");
    EXPECT_EQ(Fmt("'open ended"), "open ended");
    EXPECT_EQ(Fmt("c z [x] \xE4"), "c z [x] \xE4");
    EXPECT_EQ(Fmt(""), "");
}

TEST(FormatDateTime, SelfReferringLocaleFormatsStop) {
    LocaleInfo L = English;
    L.ShortDateFormat = "ddddd dddddd";
    L.LongDateFormat = "dddddd";
    L.ShortTimeFormat = "t tt [d]";
    L.LongTimeFormat = "tt";
    EXPECT_EQ(Fmt("ddddd", Evening, L), " ");
    EXPECT_EQ(Fmt("t", Evening, L), "  [15]");
}

TEST(FormatDateTime, DatesBeforeTheEpochAndValuesNoCalendarHolds) {
    EXPECT_EQ(Fmt("yyyy.mm.dd hh:nn", 0), "1899.12.30 00:00");
    // Before the epoch the day lies below the value and the time of day above it, as
    // TimeValue adds them up.
    EXPECT_EQ(Fmt("yyyy.mm.dd hh:nn dddd", -1.25), "1899.12.28 18:00 Thursday");
    for (const char* t : {"1506.03.28 05:57", "1899.12.29 23:59", "1899.12.29 00:00", "0001.01.01 12:30"})
        EXPECT_EQ(Fmt("yyyy.mm.dd hh:nn", TimeValue(t)), t);
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2147483647.0})
        EXPECT_FALSE(Fmt("dddddd tt yy am/pm", v).empty());
}

TEST(FormatDateTime, StoredTimesRoundTrip) {
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int monthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int round = 0; round < 5000; ++round) {
        const int y = pick(1900, 2099), m = pick(1, 12);
        int d = pick(1, monthDays[m - 1]);
        if (m == 2 && d == 29 && !(y % 4 == 0 && (y % 100 != 0 || y % 400 == 0))) d = 28;
        char text[32];
        std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d", y, m, d, pick(0, 23), pick(0, 59));
        ASSERT_EQ(Fmt("yyyy.mm.dd hh:mm", TimeValue(text)), text);
    }
}

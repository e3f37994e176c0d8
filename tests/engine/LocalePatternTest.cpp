// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "Lang/DateTimeFormat.h"
#include "Lang/LocalePattern.h"
#include "Lang/TimeValue.h"

TEST(ConvertLocalePattern, CommonLocalePatterns) {
    EXPECT_EQ(ConvertLocalePattern("M/d/yy"), "m\"/\"d\"/\"yy");
    EXPECT_EQ(ConvertLocalePattern("dd.MM.yyyy"), "dd.mm.yyyy");
    EXPECT_EQ(ConvertLocalePattern("dddd, MMMM d, yyyy"), "dddd, mmmm d, yyyy");
    EXPECT_EQ(ConvertLocalePattern("dddd, d. MMMM yyyy"), "dddd, d. mmmm yyyy");
    EXPECT_EQ(ConvertLocalePattern("h:mm AP"), "h\":\"nn ampm");
    EXPECT_EQ(ConvertLocalePattern("HH:mm:ss t"), "hh\":\"nn\":\"ss");
    EXPECT_EQ(ConvertLocalePattern("HH:mm:ss.zzz tttt"), "hh\":\"nn\":\"ss.");
    EXPECT_EQ(ConvertLocalePattern("d 'de' MMMM 'de' yyyy"), "d\" de \"mmmm\" de \"yyyy");
    EXPECT_EQ(ConvertLocalePattern("H 'h' mm"), "h\" h \"nn");
    EXPECT_EQ(ConvertLocalePattern("h 'o''clock' a"), "h\" o'clock \"ampm");
    EXPECT_EQ(ConvertLocalePattern("''\"x"), "\"'\"'\"'\"x\"");  // both quotes: one by one
    EXPECT_EQ(ConvertLocalePattern("ddddd MMMMM y yyyyy"), "dddd\"\"d mmmm\"\"m\" y \"yyyy\"y\"");
    EXPECT_EQ(ConvertLocalePattern("'open"), "\"open\"");
    EXPECT_EQ(ConvertLocalePattern(""), "");
}

TEST(ConvertLocalePattern, ConvertedPatternsFormatAsThePlatformWould) {
    const LocaleInfo L = LocaleInfo::English();
    const double v = TimeValue("2007.03.05 18:07:09");
    auto fmt = [&](std::string_view p) { return FormatDateTime(ConvertLocalePattern(p), v, L); };
    EXPECT_EQ(fmt("M/d/yy"), "3/5/07");
    EXPECT_EQ(fmt("dddd, MMMM d, yyyy"), "Monday, March 5, 2007");
    EXPECT_EQ(fmt("h:mm AP"), "6:07 PM");
    EXPECT_EQ(fmt("HH:mm:ss t"), "18:07:09");
    EXPECT_EQ(fmt("ddddd"), "Monday5");
    EXPECT_EQ(fmt("h 'h' mm 'min'"), "18 h 07 min");
    EXPECT_EQ(fmt("h 'o''clock' a"), "6 o'clock PM");
    EXPECT_EQ(fmt("''\"yy"), "'\"07");
}

TEST(PatternSeparator, FirstSeparatingCharacter) {
    EXPECT_EQ(PatternSeparator("dd.MM.yy", "/"), ".");
    EXPECT_EQ(PatternSeparator("M/d/yy", "."), "/");
    EXPECT_EQ(PatternSeparator("yyyy-MM-dd", "/"), "-");
    EXPECT_EQ(PatternSeparator("HH:mm", "."), ":");
    EXPECT_EQ(PatternSeparator("d MMMM yyyy", "/"), "/");
    EXPECT_EQ(PatternSeparator("yyyy\xE5\xB9\xB4M\xE6\x9C\x88", "/"), "/");
}

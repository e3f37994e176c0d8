// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"
#include "Platform/SystemLocale.h"

TEST(SystemLocale, FillsNamesAndPatternsTheFormatReads) {
    const LocaleInfo locale = SystemLocaleInfo();
    for (const std::string& name : locale.LongDayNames) EXPECT_FALSE(name.empty());
    for (const std::string& name : locale.ShortMonthNames) EXPECT_FALSE(name.empty());
    EXPECT_FALSE(locale.ShortDateFormat.empty());
    EXPECT_FALSE(locale.ShortTimeFormat.empty());
    const std::string text = FormatDateTime("dddd, ddddd t", TimeValue("2007.03.15 18:07"), locale);
    EXPECT_EQ(text.rfind(locale.LongDayNames[4] + ", ", 0), 0u) << text;  // a Thursday
    EXPECT_NE(text.find("07"), std::string::npos) << text;
}

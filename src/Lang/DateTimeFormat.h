// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The date-time format language of the Time column, the tooltips and the statistics.
#include <string>
#include <string_view>

#include "Lang/LocaleInfo.h"

// Formats a date-time value (days since 1899-12-30, the time of day as the fraction).
// Codes, case-insensitive: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (m and mm right after
// an hour code are minutes), yy yyyy, h hh, n nn, s ss, t tt, am/pm a/p ampm (12-hour clock;
// am/pm and a/p print the pattern's own letters), / and : (the locale's separators), and
// text in single or double quotes copied unchanged. Everything else is copied as it is.
// The locale's own formats are expanded one level deep only, so no pattern can recurse.
std::string FormatDateTime(std::string_view format, double dateTime, const LocaleInfo& locale);

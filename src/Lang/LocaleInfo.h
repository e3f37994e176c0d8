// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain description of the user's locale: the names, formats and separators the
// date-time format language reads. The window fills one from the platform locale; the
// engine's tests and the command-line tool use the fixed English one. Its texts are bytes
// that the formatter copies as they are: the window picks their encoding (UTF-8 suits) and
// reads the formatted text back the same way.
#include <array>
#include <string>

struct LocaleInfo {
    std::array<std::string, 7> ShortDayNames;  // Sunday first
    std::array<std::string, 7> LongDayNames;
    std::array<std::string, 12> ShortMonthNames;  // January first
    std::array<std::string, 12> LongMonthNames;
    // Patterns in the date-time format language; "ddddd", "dddddd", "t" and "tt" expand them.
    std::string ShortDateFormat, LongDateFormat;
    std::string ShortTimeFormat, LongTimeFormat;
    std::string DateSeparator, TimeSeparator;  // printed for "/" and ":"
    std::string TimeAMString, TimePMString;    // printed for "ampm"

    // English names, short date "dd/mm/yyyy", long date "dddd, d mmmm yyyy",
    // short time "hh:nn", long time "hh:nn:ss", separators "/" and ":", "AM" and "PM".
    static LocaleInfo English();
};

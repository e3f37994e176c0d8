// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Date-time values: days since 1899-12-30, the time of day as the fraction.
#include <string_view>

// Days from 1899-12-30 to the given Gregorian date (no validation of its parts).
long long DayNumber(long long year, long long month, long long day);

// Reads a stored time text "yyyy.mm.dd hh:mm[:ss]" by fixed character positions;
// a part that is missing or not a number counts as 0.
double TimeValue(std::string_view time);

struct CivilDate {
    int Year, Month, Day;
};
// The calendar date of a whole day number (inverse of DayNumber for real dates).
CivilDate DecodeDate(long long dayNumber);

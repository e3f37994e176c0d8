// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lang/TimeValue.h"

namespace {
// Whole number in the characters at 1-based positions [first, first + width) (fewer when
// the text ends earlier): leading spaces, an optional sign and digits. Anything else, or
// nothing at all, counts as 0.
long long FieldAt(std::string_view t, std::size_t first, std::size_t width) {
    if (t.size() < first) return 0;
    std::string_view f = t.substr(first - 1, width);
    while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
    bool negative = false;
    if (!f.empty() && (f.front() == '+' || f.front() == '-')) {
        negative = f.front() == '-';
        f.remove_prefix(1);
    }
    if (f.empty()) return 0;
    long long v = 0;
    for (char c : f) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}
}  // namespace

long long DayNumber(long long y, long long m, long long d) {
    // C++ integer division truncates toward zero, as the formula requires.
    if (m > 2)
        return 365 * y + 31 * (m - 1) + d - (4 * m + 23) / 10 + y / 4 - (3 * (y / 100 + 1)) / 4 -
               693959;
    return 365 * y + 31 * (m - 1) + d + (y - 1) / 4 - (3 * ((y - 1) / 100 + 1)) / 4 - 693959;
}

double TimeValue(std::string_view t) {
    // The stored form, sixteen characters with digits wherever a part is read, is read
    // straight: the same parts as below, without their spaces and signs (and no seconds,
    // which start after the sixteenth character).
    if (t.size() == 16) {
        const auto digit = [&](std::size_t i) { return static_cast<unsigned>(t[i] - '0'); };
        bool digits = true;
        for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15}) digits = digits && digit(i) <= 9;
        if (digits) {
            const auto two = [&](std::size_t i) { return static_cast<long long>(digit(i) * 10 + digit(i + 1)); };
            return static_cast<double>(DayNumber(two(0) * 100 + two(2), two(5), two(8))) + two(11) / 24.0 +
                   two(14) / 1440.0;
        }
    }
    const long long year = FieldAt(t, 1, 4), month = FieldAt(t, 6, 2), day = FieldAt(t, 9, 2);
    const long long hour = FieldAt(t, 12, 2), minute = FieldAt(t, 15, 2), second = FieldAt(t, 18, 2);
    return static_cast<double>(DayNumber(year, month, day)) + hour / 24.0 + minute / 1440.0 +
           second / 86400.0;
}

CivilDate DecodeDate(long long dayNumber) {
    // Days since 1970-01-01, then the civil-from-days algorithm (proleptic Gregorian).
    long long z = dayNumber - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

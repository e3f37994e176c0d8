// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lang/DateTimeFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Lang/TimeValue.h"
#include "OFuncs/AsciiCase.h"

namespace {
constexpr long long MsPerDay = 86400000;
// A nested expansion ("ddddd", "t"...) runs at level 1; anything it would expand is dropped.
constexpr int MaxLevel = 2;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

class Formatter {
public:
    Formatter(double value, const LocaleInfo& locale) : L(locale) {
        // Whole milliseconds; the day is the whole number at or below the value and the
        // time of day what lies above it, as TimeValue adds them up, before 1899-12-30
        // too: -1.25 is 1899-12-28 18:00. Values no calendar holds are brought into a
        // range where every step stays defined.
        if (!std::isfinite(value)) value = 0;
        value = std::clamp(value, -1e11, 1e11);
        const long long ms = std::llround(value * static_cast<double>(MsPerDay));
        const long long day = ms >= 0 ? ms / MsPerDay : -((-ms + MsPerDay - 1) / MsPerDay);
        const long long timeOfDay = ms - day * MsPerDay;
        const CivilDate date = DecodeDate(day);
        Year = date.Year;
        Month = date.Month;
        Day = date.Day;
        WeekDay = static_cast<int>(((day % 7) + 7 + 6) % 7);  // day 0 was a Saturday
        Hour = static_cast<int>(timeOfDay / 3600000);
        Minute = static_cast<int>(timeOfDay / 60000 % 60);
        Second = static_cast<int>(timeOfDay / 1000 % 60);
    }

    void Append(std::string_view f, int level);
    std::string Out;

private:
    void Number(long long n, int digits) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.*lld", digits, n);
        Out += buf;
    }
    static bool TwelveHourAhead(std::string_view rest);

    const LocaleInfo& L;
    int Year, Month, Day, WeekDay, Hour, Minute, Second;
};

// After an hour code: whether the pattern goes on, before the next hour code, to an
// unquoted am/pm, a/p or ampm marker. Quoted text is skipped as the formatter reads it,
// ending at its own kind of quote (so "'o''clock'" and "\"it's\"" hide no marker).
bool Formatter::TwelveHourAhead(std::string_view rest) {
    char quote = 0;
    for (std::size_t p = 0; p < rest.size(); ++p) {
        const char c = rest[p];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == 'H' || c == 'h') return false;
        if (c == '\'' || c == '"') quote = c;
        if (c == 'A' || c == 'a') {
            const std::string_view at = rest.substr(p);
            return StartsWithAsciiNoCase(at, "AM/PM") || StartsWithAsciiNoCase(at, "A/P") ||
                   StartsWithAsciiNoCase(at, "AMPM");
        }
    }
    return false;
}

void Formatter::Append(std::string_view f, int level) {
    if (level >= MaxLevel) return;
    char lastToken = ' ';
    bool twelveHour = false;
    std::size_t i = 0;
    while (i < f.size()) {
        const char starter = f[i++];
        // The run length of the code just read: the same character, same case, repeated.
        auto count = [&] {
            int n = 1;
            for (; i < f.size() && f[i] == starter; ++i) ++n;
            return n;
        };
        char token = Upper(starter);
        if (IsLetter(token)) {
            if (token == 'M' && lastToken == 'H') {
                // m or mm right after an hour code is minutes; mmm and mmmm stay month names.
                const bool monthName = i + 1 < f.size() && f[i] == starter && f[i + 1] == starter;
                if (!monthName) token = 'N';
            }
            lastToken = token;
        }
        switch (token) {
            case 'Y': {
                const int n = count();
                if (n <= 2)
                    Number((Year % 100 + 100) % 100, 2);
                else
                    Number(Year, 4);
                break;
            }
            case 'M': {
                const int n = count();
                if (n <= 2) Number(Month, n);
                else if (n == 3) Out += L.ShortMonthNames[static_cast<std::size_t>(Month - 1)];
                else Out += L.LongMonthNames[static_cast<std::size_t>(Month - 1)];
                break;
            }
            case 'D': {
                const int n = count();
                if (n <= 2) Number(Day, n);
                else if (n == 3) Out += L.ShortDayNames[static_cast<std::size_t>(WeekDay)];
                else if (n == 4) Out += L.LongDayNames[static_cast<std::size_t>(WeekDay)];
                else if (n == 5) Append(L.ShortDateFormat, level + 1);
                else Append(L.LongDateFormat, level + 1);
                break;
            }
            case 'H': {
                const int n = count();
                if (!twelveHour) twelveHour = TwelveHourAhead(f.substr(i));
                int h = Hour;
                if (twelveHour) h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
                Number(h, std::min(n, 2));
                break;
            }
            case 'N': Number(Minute, std::min(count(), 2)); break;
            case 'S': Number(Second, std::min(count(), 2)); break;
            case 'T':
                Append(count() == 1 ? L.ShortTimeFormat : L.LongTimeFormat, level + 1);
                break;
            case 'A': {
                const std::string_view at = f.substr(i - 1);
                if (StartsWithAsciiNoCase(at, "AM/PM")) {
                    Out += Hour >= 12 ? at.substr(3, 2) : at.substr(0, 2);
                    i += 4;
                    twelveHour = true;
                } else if (StartsWithAsciiNoCase(at, "A/P")) {
                    Out += Hour >= 12 ? at[2] : at[0];
                    i += 2;
                    twelveHour = true;
                } else if (StartsWithAsciiNoCase(at, "AMPM")) {
                    Out += Hour < 12 ? L.TimeAMString : L.TimePMString;
                    i += 3;
                    twelveHour = true;
                } else {
                    Out += starter;
                }
                break;
            }
            case '/': Out += L.DateSeparator; break;
            case ':': Out += L.TimeSeparator; break;
            case '\'':
            case '"': {
                const std::size_t close = f.find(starter, i);
                const std::size_t end = close == std::string_view::npos ? f.size() : close;
                Out += f.substr(i, end - i);
                i = close == std::string_view::npos ? f.size() : close + 1;
                break;
            }
            default: Out += starter; break;
        }
    }
}
}  // namespace

std::string FormatDateTime(std::string_view format, double dateTime, const LocaleInfo& locale) {
    Formatter F(dateTime, locale);
    F.Append(format, 0);
    return std::move(F.Out);
}

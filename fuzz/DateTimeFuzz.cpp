// SPDX-License-Identifier: GPL-3.0-or-later
// The stored-time reader and the date-time formatter. Any text reads as a finite value
// (and the same with seconds left off reads the same to the minute); a real time text
// "yyyy.mm.dd hh:mm" (with ":ss" or without) formats back to itself; a value formats
// and reads back to itself to the second; day numbers and calendar dates convert both
// ways; any pattern formats any value without running away.
//
// Input: a pattern up to a zero byte, then the time text.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

int Number(std::string_view t, std::size_t at, std::size_t width) {
    int v = 0;
    for (std::size_t i = at; i < at + width; ++i) v = v * 10 + (t[i] - '0');
    return v;
}

// "yyyy.mm.dd hh:mm" or "yyyy.mm.dd hh:mm:ss" naming a real moment of years 1 to 9999.
bool IsRealTimeText(std::string_view t) {
    if (t.size() != 16 && t.size() != 19) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char want = i == 4 || i == 7 ? '.' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
        if (want == '0' ? !IsDigit(t[i]) : t[i] != want) return false;
    }
    const int y = Number(t, 0, 4), mo = Number(t, 5, 2), d = Number(t, 8, 2);
    const int h = Number(t, 11, 2), mi = Number(t, 14, 2), s = t.size() == 19 ? Number(t, 17, 2) : 0;
    return y >= 1 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) && h <= 23 && mi <= 59 && s <= 59;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputCutter in(data, size);
    const std::string_view pattern = in.Text();
    const std::string_view time = in.Rest();
    const LocaleInfo english = LocaleInfo::English();

    const double value = TimeValue(time);
    FUZZ_CHECK(std::isfinite(value));
    if (time.size() >= 16)
        FUZZ_CHECK(TimeValue(time.substr(0, 16)) == TimeValue(std::string(time.substr(0, 16)) + ":00"));

    if (IsRealTimeText(time)) {
        const char* form = time.size() == 16 ? "yyyy.mm.dd hh:nn" : "yyyy.mm.dd hh:nn:ss";
        FUZZ_CHECK(FormatDateTime(form, value, english) == time);
        const int y = Number(time, 0, 4), mo = Number(time, 5, 2), d = Number(time, 8, 2);
        const CivilDate date = DecodeDate(DayNumber(y, mo, d));
        FUZZ_CHECK(date.Year == y && date.Month == mo && date.Day == d);
    }

    // A value from the text's bytes, within the calendar's years 1 to 9999, to the second.
    if (time.size() >= 8) {
        std::int64_t raw;
        std::memcpy(&raw, time.data(), sizeof raw);
        const std::int64_t first = DayNumber(1, 1, 1) * 86400, last = (DayNumber(9999, 12, 31) + 1) * 86400;
        const std::int64_t seconds = first + static_cast<std::int64_t>(static_cast<std::uint64_t>(raw) %
                                                                       static_cast<std::uint64_t>(last - first));
        const std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
        const std::int64_t ofDay = seconds - days * 86400;
        // Before day 0 the time of day counts away from zero: -1.25 is 1899-12-29 06:00.
        const double v = static_cast<double>(days) + (days < 0 ? -1.0 : 1.0) * static_cast<double>(ofDay) / 86400.0;
        const std::string text = FormatDateTime("yyyy.mm.dd hh:nn:ss", v, english);
        FUZZ_CHECK(std::fabs(TimeValue(text) - v) < 0.5 / 86400);
        const CivilDate date = DecodeDate(days);
        FUZZ_CHECK(DayNumber(date.Year, date.Month, date.Day) == days);
    }

    const std::string out = FormatDateTime(pattern, value, english);
    FUZZ_CHECK(out.size() <= 64 * pattern.size());
    double any;
    if (time.size() >= sizeof any) {
        std::memcpy(&any, time.data(), sizeof any);
        FUZZ_CHECK(FormatDateTime(pattern, any, english).size() <= 64 * pattern.size());
    }
    return 0;
}

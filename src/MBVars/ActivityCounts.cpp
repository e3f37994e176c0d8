// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ActivityCounts.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <tuple>
#include <unordered_set>

#include "Lang/TimeValue.h"
#include "MBVars/People.h"

namespace {

constexpr std::array<const char*, 7> WeekdayNames = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                     "Friday", "Saturday", "Sunday"};

// A stored time "yyyy.mm.dd hh:mm" read as a real local date and time, or nothing. The
// reading of a stored time elsewhere takes any digits; a chart must not invent a 13th month.
struct StoredTime {
    int Year, Month, Day, Hour;
};

bool DigitsAt(std::string_view t, std::size_t from, std::size_t count, int& value) {
    if (t.size() < from + count) return false;
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        value = value * 10 + (t[i] - '0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::optional<StoredTime> ReadStoredTime(std::string_view t) {
    StoredTime v{};
    int minute = 0;
    if (!DigitsAt(t, 0, 4, v.Year) || !DigitsAt(t, 5, 2, v.Month) || !DigitsAt(t, 8, 2, v.Day) ||
        !DigitsAt(t, 11, 2, v.Hour) || !DigitsAt(t, 14, 2, minute))
        return std::nullopt;
    if (v.Year < 1 || v.Month < 1 || v.Month > 12 || v.Day < 1 || v.Day > DaysInMonth(v.Year, v.Month) ||
        v.Hour > 23 || minute > 59)
        return std::nullopt;
    return v;
}

bool Belongs(const XMsgRecType& m, const ActivityContact& contact) {
    switch (contact.By) {
        case ActivityContact::ByName: return m.Name.view() == contact.Key;
        case ActivityContact::ByPhone: return m.Name.empty() && m.Phone.view() == contact.Key;
        default: return true;
    }
}

std::string TwoDigits(int n) {  // n is 0 to 99: a month, an hour or a year's last digits
    const int d = ((n % 100) + 100) % 100;
    return {static_cast<char>('0' + d / 10), static_cast<char>('0' + d % 10)};
}

}  // namespace

std::optional<ActivityPeriod> ActivityPeriodNamed(std::string_view name) {
    if (name == "month") return ActivityPeriod::Month;
    if (name == "weekday") return ActivityPeriod::Weekday;
    if (name == "hour") return ActivityPeriod::Hour;
    return std::nullopt;
}

ActivityContact ActivityContactOf(const XMsgRecType& message) {
    if (!message.Name.empty()) return {ActivityContact::ByName, std::string(message.Name.view())};
    return {ActivityContact::ByPhone, std::string(message.Phone.view())};
}

std::vector<ActivityContact> ActivityContacts(const MsgStore& S) {
    // A full store repeats a thousand keys sixteen thousand times: they are told apart by
    // hashing views into the store, and only the distinct ones are copied and sorted.
    std::unordered_set<std::string_view> names, phones;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        if (m.Name.empty())
            phones.insert(m.Phone.view());
        else
            names.insert(m.Name.view());
    }
    std::vector<ActivityContact> list;
    list.reserve(names.size() + phones.size());
    for (std::string_view name : names) list.push_back({ActivityContact::ByName, std::string(name)});
    for (std::string_view phone : phones) list.push_back({ActivityContact::ByPhone, std::string(phone)});
    // Texts compare as unsigned bytes, as the store orders its texts.
    std::sort(list.begin(), list.end(), [](const ActivityContact& a, const ActivityContact& b) {
        return std::tie(a.Key, a.By) < std::tie(b.Key, b.By);
    });
    return list;
}

ActivityContact ActivityContactOfPhone(const MsgStore& S, std::string_view phone) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        if (m.Phone.view() == phone && !m.Name.empty()) return ActivityContactOf(m);
    }
    return {ActivityContact::ByPhone, std::string(phone)};
}

ActivityCounts CountActivity(const MsgStore& S, ActivityPeriod period, const ActivityContact& contact) {
    ActivityCounts counts;
    // A person's messages are found once, as the conversation finds them.
    std::vector<bool> ofPerson;
    if (contact.By == ActivityContact::ByPerson) {
        ofPerson.assign(static_cast<std::size_t>(S.MessageCount) + 1, false);
        for (const std::int32_t n : PersonOfPhone(S, contact.Key).Messages) ofPerson[static_cast<std::size_t>(n)] = true;
    }
    // Each counted message's slot (a month as year * 12 + month - 1) and whether it was sent.
    std::vector<std::pair<int, bool>> counted;
    counted.reserve(static_cast<std::size_t>(S.MessageCount));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        if (!(m.Flags & (MsgSent | MsgReceived))) continue;
        if (contact.By == ActivityContact::ByPerson ? !ofPerson[static_cast<std::size_t>(n)] : !Belongs(m, contact)) continue;
        const auto t = ReadStoredTime(m.Time.view());
        if (!t) {
            ++counts.Malformed;
            continue;
        }
        int slot = t->Hour;
        if (period == ActivityPeriod::Weekday)  // day 0, 1899-12-30, was a Saturday (5 from Monday)
            slot = static_cast<int>((DayNumber(t->Year, t->Month, t->Day) % 7 + 12) % 7);
        else if (period == ActivityPeriod::Month)
            slot = t->Year * 12 + t->Month - 1;
        counted.emplace_back(slot, (m.Flags & MsgSent) != 0);
    }
    int first = 0, rows = period == ActivityPeriod::Hour ? 24 : 7;
    if (period == ActivityPeriod::Month) {
        if (counted.empty()) return counts;
        const auto [low, high] = std::minmax_element(counted.begin(), counted.end());
        first = low->first;
        rows = high->first - first + 1;
    }
    counts.Rows.resize(static_cast<std::size_t>(rows));
    for (const auto& [slot, sent] : counted) {
        PeriodCount& row = counts.Rows[static_cast<std::size_t>(slot - first)];
        ++(sent ? row.Sent : row.Received);
    }
    for (int i = 0; i < rows; ++i) {
        std::string& label = counts.Rows[static_cast<std::size_t>(i)].Period;
        if (period == ActivityPeriod::Hour) {
            label = TwoDigits(i);
        } else if (period == ActivityPeriod::Weekday) {
            label = WeekdayNames[static_cast<std::size_t>(i)];
        } else {
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02d", (first + i) / 12, (first + i) % 12 + 1);
            label = text;
        }
    }
    return counts;
}

std::string ActivityTable(const ActivityCounts& counts) {
    std::string table = "period\tsent\treceived\n";
    for (const PeriodCount& row : counts.Rows)
        table += row.Period + '\t' + std::to_string(row.Sent) + '\t' + std::to_string(row.Received) + '\n';
    return table;
}

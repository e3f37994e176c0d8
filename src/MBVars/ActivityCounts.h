// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who wrote when: sent and received messages counted per month, weekday or hour of their
// stored local time, for the whole collection or one contact. The chart window and
// kestro-cli's activity command share these figures.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MBVars/Store.h"

enum class ActivityPeriod { Month, Weekday, Hour };
// "month", "weekday" or "hour", as kestro-cli takes them.
std::optional<ActivityPeriod> ActivityPeriodNamed(std::string_view name);

// Which messages are counted: all, those carrying one name (every number of that name, as
// the statistics gather their figures), those of one number that carry no name, or those
// of the person of a number (People.h), as the conversation and the export by contact.
struct ActivityContact {
    enum Kind { All, ByName, ByPhone, ByPerson } By = All;
    std::string Key;  // the stored name or number
    friend bool operator==(const ActivityContact&, const ActivityContact&) = default;
};
// The contacts to choose from: one entry per name, and the numbers of messages without a
// name, ordered by their stored bytes as the statistics order their rows.
std::vector<ActivityContact> ActivityContacts(const MsgStore& S);
// The entry a message belongs to.
ActivityContact ActivityContactOf(const XMsgRecType& message);
// The entry of a phone number: its name when any of its messages carries one, else the
// number itself.
ActivityContact ActivityContactOfPhone(const MsgStore& S, std::string_view phone);

struct PeriodCount {
    std::string Period;  // "yyyy-mm", "Monday" ... "Sunday", or "00" ... "23"
    std::int32_t Sent = 0, Received = 0;
    friend bool operator==(const PeriodCount&, const PeriodCount&) = default;
};
struct ActivityCounts {
    // Months: every month from the first to the last counted message, none when no
    // message counted; weekdays Monday first (7 rows); hours 00 to 23 (24 rows).
    std::vector<PeriodCount> Rows;
    std::int32_t Malformed = 0;  // messages of the contact whose time is not a valid date
};
ActivityCounts CountActivity(const MsgStore& S, ActivityPeriod period, const ActivityContact& contact);

// The figures as kestro-cli prints them: "period<TAB>sent<TAB>received", then a line per row.
std::string ActivityTable(const ActivityCounts& counts);

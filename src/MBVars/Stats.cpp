// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Stats.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "Lang/DateTimeFormat.h"
#include "MBVars/Contacts.h"
#include "OFuncs/CharCount.h"
#include "OFuncs/TextOps.h"

namespace {
constexpr const char* CRLF = "\r\n";

std::string DayText(std::int32_t day, const LocaleInfo& locale) {
    return FormatDateTime("ddddd", day, locale);
}

// Days from the first to the last message, both included; 0 for a slot without messages.
long long DaySpan(const ActivitySlot& s) {
    return s.Count > 0 ? static_cast<long long>(s.LastDay) - s.FirstDay + 1 : 0;
}

// A slot's sums while messages are added; wider than the stored fields, which take the
// low 32 bits at the end as 32-bit additions would leave them.
struct SlotSums {
    long long Count = 0, Chars = 0, Words = 0;
    std::int32_t FirstDay = std::numeric_limits<std::int32_t>::max();
    std::int32_t LastDay = std::numeric_limits<std::int32_t>::min();  // 0 once stored, when empty

    void Add(long long chars, long long words, std::int32_t day) {
        ++Count;
        Chars += chars;
        Words += words;
        FirstDay = std::min(FirstDay, day);
        LastDay = std::max(LastDay, day);
    }
};

struct NameSums {
    SlotSums Slot[2];  // sent, received

    ActivityTotals Totals() const {
        ActivityTotals T;
        auto store = [](ActivitySlot& out, long long count, long long chars, long long words,
                        std::int32_t first, std::int32_t last) {
            out.Count = static_cast<std::int32_t>(count);
            out.Chars = static_cast<std::int32_t>(chars);
            out.Words = static_cast<std::int32_t>(words);
            out.FirstDay = first;
            out.LastDay = count > 0 ? last : 0;
        };
        const SlotSums &s = Slot[0], &r = Slot[1];
        store(T.Slot[ActivitySentSlot], s.Count, s.Chars, s.Words, s.FirstDay, s.LastDay);
        store(T.Slot[ActivityReceivedSlot], r.Count, r.Chars, r.Words, r.FirstDay, r.LastDay);
        store(T.Slot[ActivityAll], s.Count + r.Count, s.Chars + r.Chars, s.Words + r.Words,
              std::min(s.FirstDay, r.FirstDay), std::max(s.LastDay, r.LastDay));
        return T;
    }
};
}  // namespace

std::string ActivitySummaryText(const ActivityTotals& T, const LocaleInfo& locale) {
    static constexpr const char* labels[3] = {"All messages", "Sent messages", "Received messages"};
    std::string text = "Activity summary:\r\n\r\n";
    for (int k = 0; k < 3; ++k) {
        const ActivitySlot& s = T.Slot[k];
        text += labels[k];
        if (s.Count > 0) {
            text += " in " + DayText(s.FirstDay, locale) + "-" + DayText(s.LastDay, locale);
            text += " (" + std::to_string(DaySpan(s)) + " days):";
        } else {
            text += ":";
        }
        text += CRLF;
        text += std::to_string(s.Count) + " messages, " + std::to_string(s.Chars) + " characters, " +
                std::to_string(s.Words) + " words";
        text += "\r\n\r\n";
    }
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, CRLF) == 0) text.resize(text.size() - 2);
    return text;
}

void ComputeContactsActivity(MsgStore& S) {
    // The distinct non-empty names of the contacts, each with its sums; views point into
    // the contact table, which does not change here.
    std::unordered_map<std::string_view, std::size_t> byName;
    byName.reserve(static_cast<std::size_t>(S.ContactCount) * 2);
    bool anyNameless = false;
    for (std::int32_t c = 1; c <= S.ContactCount; ++c) {
        const std::string_view name = S.Contacts[static_cast<std::size_t>(c)].Name.view();
        if (name.empty()) anyNameless = true;
        else byName.try_emplace(name, byName.size());
    }
    std::vector<NameSums> sums(byName.size());
    NameSums all;

    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        const int k = m.Flags & 3;
        if (k != MsgSent && k != MsgReceived) continue;  // not a stored message
        const auto it = byName.find(m.Name.view());
        if (it == byName.end() && !anyNameless) continue;
        const long long chars = DisplayCharCount(m.Text);
        const int words = CountWords(m.Text);  // the display form has the same words
        const std::int32_t day = ActivityDay(m.Time.view());
        const int slot = k == MsgSent ? 0 : 1;
        if (it != byName.end()) sums[it->second].Slot[slot].Add(chars, words, day);
        if (anyNameless) all.Slot[slot].Add(chars, words, day);
    }

    for (std::int32_t c = 1; c <= S.ContactCount; ++c) {
        ContactRec& contact = S.Contacts[static_cast<std::size_t>(c)];
        const auto it = byName.find(contact.Name.view());
        contact.Activity = it == byName.end() ? all.Totals() : sums[it->second].Totals();
    }
}

std::vector<ActivityRow> ContactActivityRows(const MsgStore& S) {
    // Rows by name and nameless rows by number; views point into the contact table.
    std::unordered_map<std::string_view, std::size_t> byName, byPhone;
    byName.reserve(static_cast<std::size_t>(S.ContactCount) * 2);
    std::vector<ActivityRow> rows;
    for (std::int32_t c = 1; c <= S.ContactCount; ++c) {
        const ContactRec& contact = S.Contacts[static_cast<std::size_t>(c)];
        const std::string_view name = contact.Name.view();
        auto& index = name.empty() ? byPhone : byName;
        const auto [it, added] = index.try_emplace(name.empty() ? contact.Phone.view() : name, rows.size());
        if (added) {
            rows.emplace_back();
            rows.back().Name = std::string(name);
            rows.back().Color = contact.Color;
        }
        // A nameless number listed twice is covered once.
        if (added || !name.empty()) rows[it->second].Phones.emplace_back(contact.Phone.view());
    }

    std::vector<NameSums> sums(rows.size());
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        const int k = m.Flags & 3;
        if (k != MsgSent && k != MsgReceived) continue;  // not a stored message
        const bool named = !m.Name.empty();
        const auto& index = named ? byName : byPhone;
        const auto it = index.find(named ? m.Name.view() : m.Phone.view());
        if (it == index.end()) continue;
        sums[it->second].Slot[k == MsgSent ? 0 : 1].Add(DisplayCharCount(m.Text), CountWords(m.Text),
                                                         ActivityDay(m.Time.view()));
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r].Activity = sums[r].Totals();
        std::sort(rows[r].Phones.begin(), rows[r].Phones.end());
    }
    return rows;
}

std::string StatsCellText(const ActivityRow& row, int column, const LocaleInfo& locale) {
    const ActivityTotals& T = row.Activity;
    const ActivitySlot& whole = T.Slot[ActivityAll];
    const ActivitySlot& side = T.Slot[column % 2 == 1 ? ActivitySentSlot : ActivityReceivedSlot];
    switch (column) {
        case 0: return row.Name.empty() && !row.Phones.empty() ? row.Phones.front() : row.Name;
        case 1: case 2: return std::to_string(side.Count);
        case 3: case 4: return std::to_string(side.Chars);
        case 5: case 6: return std::to_string(side.Words);
        case 7: return whole.Count > 0 ? DayText(whole.FirstDay, locale) : std::string();
        case 8: return whole.Count > 0 ? DayText(whole.LastDay, locale) : std::string();
        case 9: return whole.Count > 0 ? std::to_string(DaySpan(whole)) : std::string();
        default: return {};
    }
}

std::string StatsHeadingText(const ActivityRow& row) {
    std::string text = " --- " + row.Name + " --- " + CRLF + "Numbers: ";
    for (std::size_t p = 0; p < row.Phones.size(); ++p) text += (p > 0 ? ", " : "") + row.Phones[p];
    return text + CRLF;
}

std::string StatsFiguresText(const ActivityRow& row, int column, const LocaleInfo& locale) {
    const ActivityTotals& T = row.Activity;
    const ActivitySlot &whole = T.Slot[ActivityAll], &sent = T.Slot[ActivitySentSlot],
                       &received = T.Slot[ActivityReceivedSlot];
    std::string text;
    auto figures = [&](const char* title, std::int32_t ActivitySlot::*field) {
        text += title;
        const long long difference = static_cast<long long>(sent.*field) - received.*field;
        text += CRLF + ("Sent " + std::to_string(sent.*field)) + "," + CRLF +
                ("Received " + std::to_string(received.*field)) + "," + CRLF +
                ("Sent+Received " + std::to_string(whole.*field)) + "," + CRLF +
                ("Sent-Received " + std::to_string(difference));
    };
    switch (column) {
        case 1: case 2: figures("Messages:", &ActivitySlot::Count); break;
        case 3: case 4: figures("Characters:", &ActivitySlot::Chars); break;
        case 5: case 6: figures("Words:", &ActivitySlot::Words); break;
        case 7: case 8: case 9:
            text += "First message sent/received: " + StatsCellText(row, 7, locale) + CRLF +
                    "Last message sent/received: " + StatsCellText(row, 8, locale) + CRLF +
                    "Time range " + std::to_string(DaySpan(whole)) + " days";
            break;
        default: break;
    }
    return text;
}

std::string StatsBreakdownText(const ActivityRow& row, int column, const LocaleInfo& locale) {
    return StatsHeadingText(row) + StatsFiguresText(row, column, locale);
}

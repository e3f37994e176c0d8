// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Store.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "Lang/TimeValue.h"

MsgStore::MsgStore() { InitStore(*this); }

namespace {
// Grows a table to hold slot `last` (at most `max`); room for every slot is reserved at
// once, so that growing does not move the records.
template <class T>
void GrowTable(std::vector<T>& table, std::int32_t last, std::int32_t max) {
    const auto wanted = static_cast<std::size_t>(std::clamp(last, 0, max)) + 1;
    if (table.size() >= wanted) return;
    if (table.capacity() < wanted) table.reserve(static_cast<std::size_t>(max) + 1);
    table.resize(wanted);
}

// An empty table of one empty slot with room reserved for all.
template <class T>
void ResetTable(std::vector<T>& table, std::int32_t max) {
    table.clear();
    table.reserve(static_cast<std::size_t>(max) + 1);
    table.resize(1);
}
}  // namespace

void GrowMessages(MsgStore& S, std::int32_t last) { GrowTable(S.Messages, last, MaxMessages); }
void GrowContacts(MsgStore& S, std::int32_t last) { GrowTable(S.Contacts, last, MaxContacts); }
void GrowViewIndex(MsgStore& S, std::int32_t last) { GrowTable(S.ViewIndex, last, MaxMessages); }

void ReserveRoom(MsgStore& S) {
    S.Messages.reserve(static_cast<std::size_t>(MaxMessages) + 1);
    S.Contacts.reserve(static_cast<std::size_t>(MaxContacts) + 1);
    S.ViewIndex.reserve(static_cast<std::size_t>(MaxMessages) + 1);
}

void InitStore(MsgStore& S) {
    ResetTable(S.Messages, MaxMessages);
    ResetTable(S.Contacts, MaxContacts);
    // The history outlives collections and is read whole at start: it keeps every entry.
    S.History.assign(MaxHistory + 1, HistoryRec{});
    S.HistoryCount = 0;
    ResetTable(S.ViewIndex, MaxMessages);
    S.ImportBuffer.clear();  // made by the first import
    S.MessageCount = S.ContactCount = S.ViewCount = 0;
    S.SentCount = S.ReceivedCount = S.ColoredCount = 0;
    S.ViewMask = 0;
    S.Modified = false;
}

void ClearStore(MsgStore& S, DefaultsType& D) {
    // Slots above the count are always empty: only the work record and the messages are
    // cleared, so emptying an empty store costs nothing per unused slot. The contact and
    // view tables hold only the slots ever used. The texts' memory goes back too: kept by
    // the slots, it would be passed to the next import's texts as they move in, and freed
    // there one by one while the import's helper thread allocates.
    for (std::int32_t n = 0; n <= S.MessageCount; ++n) {
        S.Messages[n].Clear();
        std::string().swap(S.Messages[n].Text);
    }
    S.MessageCount = 0;
    S.ContactCount = 0;
    for (auto& c : S.Contacts) c = ContactRec{};
    std::fill(S.ViewIndex.begin(), S.ViewIndex.end(), 0);
    S.ViewCount = 0;
    S.Modified = false;
    D.SortColumn = 1;
    D.ViewMode = 3;
}

void CountMessages(MsgStore& S) {
    S.SentCount = S.ReceivedCount = S.ColoredCount = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        if (m.Flags & MsgSent) ++S.SentCount;
        if (m.Flags & MsgReceived) ++S.ReceivedCount;
        if (m.Color != 0) ++S.ColoredCount;
    }
}

void Renumber(MsgStore& S) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        S.Messages[n].Serial = static_cast<std::uint16_t>(n);
}

std::int32_t FindSerial(const MsgStore& S, std::uint16_t s) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Serial == s) return n;
    return 0;
}

void ScrambleTexts(MsgStore& S, std::uint8_t mask) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        for (char& c : S.Messages[n].Text) c = static_cast<char>(static_cast<unsigned char>(c) ^ mask);
    S.Modified = true;
}

double LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<double>(DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)) +
           local.tm_hour / 24.0 + local.tm_min / 1440.0 + local.tm_sec / 86400.0;
}

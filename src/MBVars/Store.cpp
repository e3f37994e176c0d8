#include "MBVars/Store.h"

#include <chrono>
#include <ctime>

#include "Lang/TimeValue.h"

MsgStore::MsgStore() { InitStore(*this); }

void InitStore(MsgStore& S) {
    S.Messages.assign(MaxMessages + 1, XMsgRecType{});
    S.Contacts.assign(MaxContacts + 1, ContactRec{});
    S.History.assign(MaxHistory + 1, HistoryRec{});
    S.HistoryCount = 0;
    S.ViewIndex.assign(MaxMessages + 1, 0);
    S.ImportBuffer.assign(ImportBufferSize, 0);
    S.MessageCount = S.ContactCount = S.ViewCount = 0;
    S.SentCount = S.ReceivedCount = S.ColoredCount = 0;
    S.ViewMask = 0;
    S.Modified = false;
}

void ClearStore(MsgStore& S, DefaultsType& D) {
    // Slots above the count are always empty: only the work record and the messages are
    // cleared, so emptying an empty store costs nothing per unused slot.
    for (std::int32_t n = 0; n <= S.MessageCount; ++n) S.Messages[n].Clear();
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

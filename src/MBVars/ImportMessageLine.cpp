// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportMessageLine.h"

#include <string>

#include "MBVars/Store.h"
#include "OFuncs/FindByte.h"
#include "OFuncs/TextOps.h"

namespace {
bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

void SetText(XMsgRecType& work, std::string_view field) {
    work.Text.assign(field.substr(0, MaxTextLength));
}

// The flags the type and status columns give; 0 when the type is neither SMS nor MMS.
std::uint16_t LineFlags(std::string_view type, std::string_view status) {
    std::uint16_t flags = 0;
    if (Contains(type, "sms")) flags = MsgSms;
    if (Contains(type, "mms")) flags = MsgMms;
    if (flags == 0) return 0;
    if (Contains(status, "deliver") || Contains(status, "5"))
        flags |= MsgReceived;
    else if (Contains(status, "submit") || Contains(status, "36"))
        flags |= MsgSent;
    flags |= (Contains(status, "36") || Contains(status, "5")) ? MsgNumericCodes : MsgWordCodes;
    return flags;
}

// A date such as 2007.05.01 18:22: its first "20" opens it and its first "." is fifth.
bool IsDateShaped(std::string_view field) {
    return field.find("20") == 0 && field.find('.') == 4;
}

// Word-form MMS: the phone is the first field, the time the last date-shaped field, the
// text the first non-empty field after the first date. A date in field 3 adds the sent
// direction, one further on the received direction.
void TakeWordMmsField(XMsgRecType& work, std::uint16_t& flags, int k, std::string_view field) {
    if (work.Text.empty() && !work.Time.empty()) SetText(work, field);
    if (k == 1) work.Phone = field;
    if (IsDateShaped(field)) {
        if (k == 3) flags |= MsgSent;
        if (k > 3) flags |= MsgReceived;
        work.Time = field;
    }
}

// Word-form SMS: the first three distinct non-blank fields are phone, time and text,
// compared with the values as stored (after cutting).
void TakeWordSmsField(XMsgRecType& work, std::string_view field) {
    if (field <= std::string_view(" ")) return;
    if (work.Phone.empty()) work.Phone = field;
    if (work.Phone.view() != field && work.Time.empty()) work.Time = field;
    if (work.Phone.view() != field && work.Time.view() != field && work.Text.empty())
        SetText(work, field);
}

// Numeric-form SMS: fields by position.
void TakeNumericSmsField(XMsgRecType& work, std::uint16_t flags, int k, std::string_view field) {
    switch (k) {
        case 1: work.Phone = field; break;
        case 2: if ((flags & MsgSent) && !field.empty()) work.Phone = field; break;
        case 3: if (!field.empty()) work.Phone = field; break;
        case 4: work.Time = field; break;
        case 6: SetText(work, field); break;
        default: break;
    }
}
}  // namespace

std::string_view PrepareMessageLine(std::string_view raw, std::string& scratch) {
    // Both replacements only shorten maximal runs of quotes, and never join two runs (the
    // first leaves at least one quote of a run). A comma opens the first pattern and ends
    // no other, so a run after a comma loses two quotes while it has three or more: its
    // length ends as 1 or 2 by parity. Then a space ends the second pattern and only the
    // run before it can reach it: that run loses two quotes while it has two, leaving its
    // parity. The quote added at the end stands alone after a byte that is no quote, so it
    // never changes. So each run is settled once, from its own neighbours.
    const bool addQuote = raw.empty() || raw.back() != '"';
    scratch.clear();
    bool changed = false;
    std::size_t copied = 0;  // raw[0, copied) is in scratch once the line changed
    std::size_t settled = 0;  // runs before this position are done
    // Only a run of two or more quotes can change: each holds a doubled quote, the first of
    // which opens the run.
    ForEachBytePair(raw, '"', 1, [&](std::size_t pos) {
        if (pos < settled) return;
        std::size_t end = pos + 2;
        while (end < raw.size() && raw[end] == '"') ++end;
        settled = end;
        const std::size_t length = end - pos;
        std::size_t kept = length;
        if (kept >= 3 && pos > 0 && raw[pos - 1] == ',') kept = 2 - (length & 1);
        if (kept >= 2 && end < raw.size() && raw[end] == ' ') kept &= 1;
        if (kept == length) return;
        scratch.append(raw.substr(copied, pos - copied));
        scratch.append(kept, '"');
        copied = end;
        changed = true;
    });
    if (!changed && !addQuote) return raw;
    scratch.append(raw.substr(copied));
    if (addQuote) scratch.push_back('"');
    return scratch;
}

bool ParseMessageLine(std::string_view raw, unsigned char separator, XMsgRecType& work) {
    std::string scratch;
    return ParseMessageLine(raw, separator, work, scratch);
}

bool ParseMessageLine(std::string_view raw, unsigned char separator, XMsgRecType& work, std::string& scratch) {
    return ReadMessageLine(raw, separator, work, scratch) == LineVerdict::Message;
}

LineVerdict ReadMessageLine(std::string_view raw, unsigned char separator, XMsgRecType& work, std::string& scratch) {
    work.Clear();
    if (raw.empty() || separator == 0) return LineVerdict::NoMessage;
    const std::string_view line = PrepareMessageLine(raw, scratch);

    const char sep[1] = {static_cast<char>(separator)};
    const auto first = SplitAt(line, std::string_view(sep, 1));
    if (!first) return LineVerdict::NoMessage;
    const auto second = SplitAt(first->second, std::string_view(sep, 1));
    if (!second) return LineVerdict::NoMessage;
    std::uint16_t flags = LineFlags(first->first, second->first);
    if (flags == 0) return LineVerdict::NoMessage;

    const bool numeric = flags & MsgNumericCodes;
    const bool mms = flags & MsgMms;
    if (mms && numeric) return LineVerdict::WithoutNumberOrText;  // numeric MMS lines carry nothing we read
    // Field k is the text between the (2k-1)-th quote of the rest and the next one
    // (NextQuotedField, one field after another, without taking the rest apart).
    const std::string_view rest = second->second;
    std::size_t from = 0;
    for (int k = 1;; ++k) {
        const std::size_t open = FindByte(rest, '"', from);
        if (open == std::string_view::npos || open + 1 >= rest.size()) break;
        const std::size_t close = FindByte(rest, '"', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view field = rest.substr(open + 1, close - open - 1);
        from = close + 1;
        if (mms)
            TakeWordMmsField(work, flags, k, field);
        else if (numeric)
            TakeNumericSmsField(work, flags, k, field);
        else
            TakeWordSmsField(work, field);
    }

    work.Flags = flags;
    work.Text.resize(TrimTrailingSpaces(work.Text).size());
    const bool oneDirection = ((flags & MsgSent) != 0) != ((flags & MsgReceived) != 0);
    if (work.Text.empty() || work.Phone.empty()) return LineVerdict::WithoutNumberOrText;
    if (work.Time.empty()) return LineVerdict::NoDate;
    return oneDirection ? LineVerdict::Message : LineVerdict::NotSentOrReceived;
}

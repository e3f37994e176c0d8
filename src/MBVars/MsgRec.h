// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message record, the contact and history records, and their flag bits.
#include <cstdint>
#include <string>

#include "OFuncs/ShortText.h"

using TimeText = ShortStr<16>;
using PhoneText = ShortStr<30>;
using NameText = ShortStr<30>;

constexpr std::uint16_t MsgSent = 0x001;
constexpr std::uint16_t MsgReceived = 0x002;
constexpr std::uint16_t MsgSms = 0x004;
constexpr std::uint16_t MsgMms = 0x008;
constexpr std::uint16_t MsgWordCodes = 0x010;
constexpr std::uint16_t MsgNumericCodes = 0x020;
// The time is the phone's own, to the millisecond (a backup's), not a suite's rendering of it.
constexpr std::uint16_t MsgExactTime = 0x040;
constexpr std::uint16_t MsgFound = 0x080;
constexpr std::uint16_t MsgDoomed = 0x100;

// A stored message. A slot whose Flags is 0 is empty.
struct XMsgRecType {
    std::uint16_t Flags = 0;
    std::uint16_t Serial = 0;
    std::int32_t Color = 0;     // 0x00BBGGRR, 0 = no colour
    std::int32_t Reserved = 0;  // always 0 in a stored message
    TimeText Time;              // "yyyy.mm.dd hh:mm"
    PhoneText Phone;
    NameText Name;
    std::string Text;  // 8-bit bytes as imported, at most MaxTextLength of them

    void Clear() { *this = XMsgRecType{}; }
};

// One day-span and size record of a contact or of the whole collection.
struct ActivitySlot {
    std::int32_t Count = 0;
    std::int32_t Chars = 0;
    std::int32_t Words = 0;
    std::int32_t FirstDay = 0;
    std::int32_t LastDay = 0;
    friend bool operator==(const ActivitySlot&, const ActivitySlot&) = default;
};
constexpr int ActivityAll = 0, ActivitySentSlot = 1, ActivityReceivedSlot = 2;
struct ActivityTotals {
    ActivitySlot Slot[3];  // 0 all, 1 sent, 2 received
    friend bool operator==(const ActivityTotals&, const ActivityTotals&) = default;
};

struct ContactRec {
    PhoneText Phone;
    NameText Name;
    std::int32_t Color = 0;
    ActivityTotals Activity;
};

// A contact-history entry; in the history file it is the 67-byte image
// Blocked(1) Phone(31) Name(31) Color(4, little-endian).
struct HistoryRec {
    std::uint8_t Blocked = 0;
    PhoneText Phone;
    NameText Name;
    std::int32_t Color = 0;
};

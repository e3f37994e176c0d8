// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds stores for tests and benchmarks: single messages by hand, or whole random
// collections with chosen numbers of phones, texts and times (ties on purpose).
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "MBVars/Store.h"

inline XMsgRecType& AddMessage(MsgStore& S, std::string_view time, std::string_view phone,
                               std::string_view text, std::uint16_t flags = MsgSms | MsgReceived,
                               std::string_view name = {}, std::int32_t color = 0) {
    GrowMessages(S, S.MessageCount + 1);
    XMsgRecType& m = S.Messages[++S.MessageCount];
    m.Clear();
    m.Flags = flags;
    m.Time = time;
    m.Phone = phone;
    m.Text = std::string(text);
    m.Name = name;
    m.Color = color;
    return m;
}

struct RandomStoreShape {
    int Messages = 1000;
    int Phones = 50;        // distinct phone numbers
    int Texts = 200;        // distinct texts (small numbers give many duplicates)
    int Minutes = 100000;   // distinct minutes of time (small numbers give equal times)
    int NamedPercent = 50;  // messages that carry a name
    int ColoredPercent = 20;
    // A named message carries its own number's name, as an address book gives them,
    // rather than any of the names: each number is then a person of its own.
    bool NamesByPhone = false;
};

inline std::string RandomTime(std::mt19937& rng, int minutes) {
    const int m = std::uniform_int_distribution<int>(0, minutes - 1)(rng);
    const int day = m / 1440, hh = (m / 60) % 24, mm = m % 60;
    char buf[32];
    std::snprintf(buf, sizeof buf, "20%02d.%02d.%02d %02d:%02d", 5 + day / 336, 1 + (day / 28) % 12,
                  1 + day % 28, hh, mm);
    return buf;
}

// Fills the store (after its current messages) with random messages.
inline void FillRandomStore(MsgStore& S, const RandomStoreShape& shape, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int i = 0; i < shape.Messages && S.MessageCount < MaxMessages; ++i) {
        const int p = pick(shape.Phones);
        const std::string phone = "+1555" + std::to_string(1000000 + p * 7919 % 1000000);
        const std::string text = "Text number " + std::to_string(pick(shape.Texts)) +
                                 std::string(static_cast<std::size_t>(pick(4)), ' ') + "!";
        const std::uint16_t dir = pick(2) ? MsgSent : MsgReceived;
        const std::string name =
            pick(100) < shape.NamedPercent ? "Person " + std::to_string(shape.NamesByPhone ? p : pick(shape.Phones)) : "";
        const std::int32_t color = pick(100) < shape.ColoredPercent ? 0x100000 + pick(50) : 0;
        AddMessage(S, RandomTime(rng, shape.Minutes), phone, text,
                   static_cast<std::uint16_t>(MsgSms | MsgWordCodes | dir), name, color);
    }
}

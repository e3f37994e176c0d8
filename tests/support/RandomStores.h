// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Random stores for the differential tests: few phones, texts and minutes so that keys
// tie, duplicates abound and names and colours differ between messages of one phone; some
// times and phones are cut short so that joined keys meet prefixes.
#include <random>

#include "MBVars/Store.h"
#include "support/StoreBuilder.h"

inline void FillTieRichStore(MsgStore& S, int messages, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    RandomStoreShape shape;
    shape.Messages = messages;
    shape.Phones = 1 + pick(12);
    shape.Texts = 1 + pick(10);
    shape.Minutes = 1 + pick(30);
    shape.NamedPercent = pick(101);
    shape.ColoredPercent = pick(101);
    FillRandomStore(S, shape, seed * 7919u + 1u);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        if (pick(10) == 0) m.Time = m.Time.view().substr(0, static_cast<std::size_t>(pick(17)));
        if (pick(10) == 0) m.Phone = m.Phone.view().substr(0, static_cast<std::size_t>(1 + pick(12)));
        if (pick(20) == 0) m.Flags |= MsgMms;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "MBVars/Conversation.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"

TEST(ConversationOf, EveryMessageOfThePersonOldestFirstAsAStableSortWould) {
    for (const int named : {0, 2}) {  // people of one number each, and people joined by names
        MsgStore S;
        FillRandomStore(S, {.Messages = 1500, .Phones = 7, .Minutes = 500, .NamedPercent = named}, 3);  // many equal minutes
        const std::vector<std::int32_t> person = Literal::PersonOf(S);
        for (int contact = 0; contact < 8; ++contact) {
            const std::int32_t first = 1 + contact * 37 % S.MessageCount;
            const std::string phone = S.Messages[static_cast<std::size_t>(first)].Phone.str();
            std::vector<std::int32_t> expected;
            for (std::int32_t n = 1; n <= S.MessageCount; ++n)
                if (person[static_cast<std::size_t>(n)] == person[static_cast<std::size_t>(first)]) expected.push_back(n);
            // Insertion by hand: the literal rule of "oldest first, store order within a minute".
            for (std::size_t i = 1; i < expected.size(); ++i)
                for (std::size_t k = i; k > 0 && S.Messages[static_cast<std::size_t>(expected[k])].Time.view() <
                                                      S.Messages[static_cast<std::size_t>(expected[k - 1])].Time.view();
                     --k)
                    std::swap(expected[k], expected[k - 1]);
            EXPECT_EQ(ConversationOf(S, phone), expected) << phone;
        }
        EXPECT_TRUE(ConversationOf(S, "+15555559999").empty());
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "MBVars/ShellOrder.h"

namespace {
void ExpectSameOrder(const std::vector<std::int32_t>& keys) {
    for (bool ascending : {true, false})
        ASSERT_EQ(ShellSortOrderByChains(keys, ascending), ShellSortOrder(keys, ascending).Order)
            << "size " << keys.size() << (ascending ? " ascending" : " descending");
}
}  // namespace

TEST(ShellOrder, ChainSortsGiveTheProcedureOrderOnRandomKeysWithTies) {
    std::mt19937 rng(11);
    for (int round = 0; round < 400; ++round) {
        const int n = std::uniform_int_distribution<int>(0, 300)(rng);
        const int distinct = std::uniform_int_distribution<int>(1, 40)(rng);
        std::vector<std::int32_t> keys(static_cast<std::size_t>(n));
        for (auto& k : keys) k = std::uniform_int_distribution<int>(0, distinct - 1)(rng);
        ExpectSameOrder(keys);
    }
}

TEST(ShellOrder, ChainSortsGiveTheProcedureOrderOnSortedAndAdversarialRows) {
    std::vector<std::int32_t> ascending(1000), interleaved(1024);
    for (std::size_t i = 0; i < ascending.size(); ++i) ascending[i] = static_cast<std::int32_t>(i / 3);
    // Large and small keys alternating over a power-of-two length: every gap but the last
    // is even, so the literal procedure needs hundreds of passes at gap 1.
    for (std::size_t i = 0; i < interleaved.size(); ++i)
        interleaved[i] = static_cast<std::int32_t>(i % 2 ? 5000 + i / 2 : i / 2);
    ExpectSameOrder(ascending);
    ExpectSameOrder(interleaved);
}

TEST(ShellOrder, ChainSortsGiveTheProcedureOrderOnReversedRowsWithAndWithoutTies) {
    std::mt19937 rng(5);
    for (const std::size_t n : {2u, 3u, 17u, 500u, 4097u}) {
        std::vector<std::int32_t> distinct(n), fewTies(n), manyTies(n), random(n);
        for (std::size_t i = 0; i < n; ++i) {
            distinct[i] = static_cast<std::int32_t>(n - i);
            fewTies[i] = static_cast<std::int32_t>(n - i - (i % 97 == 1 ? 1 : 0));  // a tie now and then
            manyTies[i] = static_cast<std::int32_t>((n - i) / 4);
            random[i] = std::uniform_int_distribution<std::int32_t>(0, static_cast<std::int32_t>(n / 3))(rng);
        }
        ExpectSameOrder(distinct);
        ExpectSameOrder(fewTies);
        ExpectSameOrder(manyTies);
        ExpectSameOrder(random);  // large random rows run past the insertion budget
    }
}

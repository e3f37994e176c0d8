// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ShellOrder.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <utility>

ShellOrderResult ShellSortOrder(std::vector<std::int32_t> keys, bool ascending) {
    const std::size_t n = keys.size();
    ShellOrderResult result;
    result.Order.resize(n);
    std::iota(result.Order.begin(), result.Order.end(), 0);
    std::vector<std::int32_t>& order = result.Order;
    // A descending sort is the ascending sort of the negated keys (ranks are never INT_MIN).
    if (!ascending)
        for (auto& k : keys) k = -k;
    for (std::size_t gap = n / 2; gap > 0;) {
        bool swapped = false;
        for (std::size_t i = 0; i + gap < n; ++i) {
            if (keys[i] > keys[i + gap]) {
                std::swap(keys[i], keys[i + gap]);
                std::swap(order[i], order[i + gap]);
                result.LastSwapped = order[i + gap];
                swapped = true;
            }
        }
        if (!swapped) gap /= 2;
    }
    return result;
}

std::vector<std::int32_t> ShellSortOrderByChains(std::vector<std::int32_t> keys, bool ascending) {
    const std::size_t n = keys.size();
    std::vector<std::int32_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (!ascending)
        for (auto& k : keys) k = -k;
    if (std::is_sorted(keys.begin(), keys.end())) return order;
    // Keys strictly in reverse: with no equal keys there is only one sorted order.
    if (std::adjacent_find(keys.begin(), keys.end(), std::less_equal<>()) == keys.end()) {
        std::reverse(order.begin(), order.end());
        return order;
    }
    // Key and item packed in one word (key above, ordered as unsigned): one array to move,
    // and one comparison against item | low ones tells whether a key is greater.
    std::vector<std::uint64_t> items(n);
    for (std::size_t i = 0; i < n; ++i)
        items[i] = (std::uint64_t(std::uint32_t(keys[i]) ^ 0x80000000u) << 32) | std::uint32_t(i);
    std::vector<std::uint64_t> chain;
    for (std::size_t gap = n / 2; gap > 0; gap /= 2) {
        // Insertion of every place into its chain is the same stable sort of each chain and
        // is quick on keys that are nearly in order or in reverse (the loading sequences'
        // case). Past a budget of moves each chain is finished with a merge sort instead,
        // so the worst case stays O(n log^2 n); insertion never passes equal keys, so the
        // chains' stable sorts are those of the keys as they stood before the gap.
        const std::size_t budget = 8 * n + 64;
        std::size_t moves = 0, i = gap;
        std::uint64_t* const at = items.data();
        for (; i < n; ++i) {
            const std::uint64_t item = at[i];
            const std::uint64_t above = item | 0xFFFFFFFFu;  // any word with a greater key is above it
            if (at[i - gap] <= above) continue;              // already in place: the usual case
            std::size_t j = i;
            do {
                at[j] = at[j - gap];
                j -= gap;
                ++moves;
            } while (j >= gap && at[j - gap] > above);
            at[j] = item;
            if (moves > budget) {
                ++i;
                break;
            }
        }
        if (moves <= budget) continue;
        for (std::size_t first = 0; first < gap; ++first) {
            chain.clear();
            for (std::size_t k = first; k < n; k += gap) chain.push_back(items[k]);
            std::stable_sort(chain.begin(), chain.end(),
                             [](std::uint64_t a, std::uint64_t b) { return (a >> 32) < (b >> 32); });
            std::size_t k = first;
            for (const std::uint64_t item : chain) {
                items[k] = item;
                k += gap;
            }
        }
    }
    for (std::size_t k = 0; k < n; ++k) order[k] = static_cast<std::int32_t>(items[k] & 0xFFFFFFFFu);
    return order;
}

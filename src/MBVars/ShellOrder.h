// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order that the gap-halving Shell sort with repeated passes gives a row of keys.
// The store's sorts (messages and contacts) are defined by that exact procedure, and the
// order it leaves equal keys in is part of their result; this runs the procedure on plain
// numbers so the records themselves are moved only once.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

// Ranks of items already in ascending or descending order, found by one scan of
// neighbours; empty when the items are in neither order.
template <class Less>
std::vector<std::int32_t> RanksOfOrderedItems(std::int32_t count, Less less) {
    bool ascending = true, descending = true;
    for (std::int32_t k = 1; k < count && (ascending || descending); ++k) {
        if (less(k, k - 1)) ascending = false;
        if (less(k - 1, k)) descending = false;
    }
    if (!ascending && !descending) return {};
    std::vector<std::int32_t> rank(static_cast<std::size_t>(count), 0);
    if (ascending) {
        for (std::int32_t k = 1; k < count; ++k)
            rank[static_cast<std::size_t>(k)] = rank[static_cast<std::size_t>(k - 1)] + (less(k - 1, k) ? 1 : 0);
    } else {
        for (std::int32_t k = count - 2; k >= 0; --k)
            rank[static_cast<std::size_t>(k)] = rank[static_cast<std::size_t>(k + 1)] + (less(k + 1, k) ? 1 : 0);
    }
    return rank;
}

// Ranks of `count` items: rank[i] < rank[j] exactly when less(i, j); equal items share a rank.
// Items that are already in order (a store read newest first, a store sorted just before)
// are ranked by one scan instead of a sort.
template <class Less>
std::vector<std::int32_t> RankItems(std::int32_t count, Less less) {
    if (count <= 1) return std::vector<std::int32_t>(static_cast<std::size_t>(std::max(count, 0)), 0);
    if (std::vector<std::int32_t> rank = RanksOfOrderedItems(count, less); !rank.empty()) return rank;
    std::vector<std::int32_t> byKey(static_cast<std::size_t>(count));
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(), less);
    std::vector<std::int32_t> rank(static_cast<std::size_t>(count), 0);
    std::int32_t r = 0;
    for (std::size_t k = 1; k < byKey.size(); ++k) {
        if (less(byKey[k - 1], byKey[k])) ++r;
        rank[static_cast<std::size_t>(byKey[k])] = r;
    }
    return rank;
}

struct ShellOrderResult {
    // Order[k] = index of the item that the sort leaves at place k (0-based).
    std::vector<std::int32_t> Order;
    // Index of the item that was at the lower place of the last exchange, or -1 when
    // nothing moved (the literal sort leaves a copy of it in its swap buffer).
    std::int32_t LastSwapped = -1;
};

// Runs the sort over `keys` (non-negative, one per place, 0-based): gap := count div 2; while gap > 0,
// passes over i comparing keys i and i + gap, exchanging them when out of order
// (ascending: key(i) > key(i + gap); descending: key(i) < key(i + gap)), repeating the
// pass until it exchanges nothing, then halving the gap.
ShellOrderResult ShellSortOrder(std::vector<std::int32_t> keys, bool ascending);

// The same order in O(n log^2 n) whatever the input. Repeating a gap's pass until nothing
// moves is a bubble sort of each chain i, i + gap, i + 2 gap, ...; it exchanges only
// strictly unordered neighbours, so equal keys never pass each other and each chain ends
// as its stable sort. Doing that stable sort directly gives the identical order without
// the procedure's worst case of one pass per place a key must travel. Keys already in the
// asked order have no out-of-order pair at any gap: nothing moves.
std::vector<std::int32_t> ShellSortOrderByChains(std::vector<std::int32_t> keys, bool ascending);

// Moves items first+Order[k] to first+k for every k, with swaps only.
template <class T>
void ApplyOrder(std::vector<T>& items, std::size_t first, const std::vector<std::int32_t>& order) {
    std::size_t unmoved = 0;  // a store already in order is the usual case
    while (unmoved < order.size() && order[unmoved] == static_cast<std::int32_t>(unmoved)) ++unmoved;
    if (unmoved == order.size()) return;
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start]) continue;
        // Follow the cycle: place k takes the item from place order[k].
        std::size_t k = start;
        while (true) {
            placed[k] = true;
            const auto from = static_cast<std::size_t>(order[k]);
            if (from == start) break;
            std::swap(items[first + k], items[first + from]);
            k = from;
        }
    }
}

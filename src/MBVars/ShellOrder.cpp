#include "MBVars/ShellOrder.h"

#include <algorithm>
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
    std::vector<std::pair<std::int32_t, std::int32_t>> chain;  // (key, item) of one chain
    std::vector<std::int32_t> keysBefore, orderBefore;
    for (std::size_t gap = n / 2; gap > 0; gap /= 2) {
        // Insertion of every place into its chain is the same stable sort of each chain and
        // is quick on keys that are nearly in order or in reverse (the loading sequences'
        // case); past a budget of moves the gap is redone with a merge sort per chain, so
        // the worst case stays O(n log^2 n).
        keysBefore = keys;
        orderBefore = order;
        std::size_t budget = 8 * n + 64;
        bool withinBudget = true;
        for (std::size_t i = gap; i < n && withinBudget; ++i) {
            const std::int32_t key = keys[i], item = order[i];
            std::size_t j = i;
            for (; j >= gap && keys[j - gap] > key; j -= gap) {
                keys[j] = keys[j - gap];
                order[j] = order[j - gap];
                if (--budget == 0) break;
            }
            keys[j] = key;
            order[j] = item;
            withinBudget = budget > 0;
        }
        if (withinBudget) continue;
        keys.swap(keysBefore);
        order.swap(orderBefore);
        for (std::size_t first = 0; first < gap; ++first) {
            chain.clear();
            for (std::size_t i = first; i < n; i += gap) chain.emplace_back(keys[i], order[i]);
            std::stable_sort(chain.begin(), chain.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::size_t i = first;
            for (const auto& [key, item] : chain) {
                keys[i] = key;
                order[i] = item;
                i += gap;
            }
        }
    }
    return order;
}

#include "MBVars/ShellOrder.h"

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

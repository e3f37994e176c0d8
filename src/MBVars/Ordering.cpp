#include "MBVars/Ordering.h"

#include <algorithm>
#include <utility>

std::int32_t BuildView(MsgStore& S, std::uint16_t mask) {
    std::fill(S.ViewIndex.begin(), S.ViewIndex.end(), 0);
    std::int32_t j = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Flags & mask) S.ViewIndex[++j] = static_cast<std::uint16_t>(n);
    S.ViewCount = j;
    S.ViewMask = mask;
    return j;
}

void SwapMessages(MsgStore& S, std::int32_t a, std::int32_t b) {
    // The work record in slot 0 is not needed as a go-between: nothing reads it after a swap.
    std::swap(S.Messages[a], S.Messages[b]);
    S.Modified = true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Ordering.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "MBVars/PhoneIndex.h"
#include "MBVars/ShellOrder.h"

std::int32_t BuildView(MsgStore& S, std::uint16_t mask) {
    GrowViewIndex(S, S.MessageCount);
    std::fill(S.ViewIndex.begin(), S.ViewIndex.end(), 0);
    std::int32_t j = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Flags & mask) S.ViewIndex[++j] = static_cast<std::uint16_t>(n);
    S.ViewCount = j;
    S.ViewMask = mask;
    return j;
}

std::int32_t BuildViewInOrder(MsgStore& S, std::uint16_t mask, const std::vector<std::int32_t>& order) {
    GrowViewIndex(S, S.MessageCount);
    std::fill(S.ViewIndex.begin(), S.ViewIndex.end(), 0);
    std::int32_t j = 0;
    for (std::int32_t k = 1; k <= S.MessageCount; ++k)
        if (S.Messages[order[static_cast<std::size_t>(k - 1)] + 1].Flags & mask)
            S.ViewIndex[static_cast<std::size_t>(++j)] = static_cast<std::uint16_t>(k);
    S.ViewCount = j;
    S.ViewMask = mask;
    return j;
}

void SwapMessages(MsgStore& S, std::int32_t a, std::int32_t b) {
    // The work record in slot 0 is not needed as a go-between: nothing reads it after a swap.
    std::swap(S.Messages[a], S.Messages[b]);
    S.Modified = true;
}

// Every message takes Name and Color of the lowest-positioned message with the same Phone,
// as it was before this step: the net effect of letting, for every pair of positions i, j
// with equal phones (i outer, j inner, both ascending), message j copy message i.
void SpreadNamesAndColours(MsgStore& S) {
    // With no name or colour anywhere, spreading would copy empties over empties.
    const auto holdsSome = [](const XMsgRecType& m) { return !m.Name.empty() || m.Color != 0; };
    if (std::none_of(S.Messages.begin() + 1, S.Messages.begin() + S.MessageCount + 1, holdsSome)) return;
    PhoneIndex firstOfPhone(MaxContacts);  // about as many phones as contacts; it grows when there are more
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        const auto [firstPosition, isFirst] = firstOfPhone.TryEmplace(m.Phone, n);
        if (isFirst) continue;
        const XMsgRecType& first = S.Messages[firstPosition];
        m.Name = first.Name;
        m.Color = first.Color;
    }
}

namespace {

// A word read from memory with its first byte as the most significant.
std::uint64_t FirstByteHighest(std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(word);
    return word;
}

// A joined key of two short texts (at most 46 bytes) as six words that compare, in turn,
// as the joined text does. The text is followed by zero bytes and its length goes into the
// last byte: comparing the zero-padded bytes first and the lengths last orders a text
// before every longer text it begins, as a byte-wise comparison of texts does (a padding
// zero is never above the byte it meets).
struct JoinedKey {
    static constexpr std::size_t Words = 6;
    std::uint64_t Word[Words];

    template <std::size_t A, std::size_t B>
    JoinedKey(const ShortStr<A>& a, const ShortStr<B>& b) {
        static_assert(A + B <= Words * 8 - 2);
        unsigned char bytes[Words * 8] = {};
        // Short texts keep zeros past their length: whole arrays can be copied.
        std::memcpy(bytes, a.Chars, A);
        std::memcpy(bytes + a.Len, b.Chars, B);
        bytes[Words * 8 - 1] = static_cast<unsigned char>(a.Len + b.Len);
        for (std::size_t w = 0; w < Words; ++w) {
            std::uint64_t word;
            std::memcpy(&word, bytes + w * 8, 8);
            Word[w] = FirstByteHighest(word);
        }
    }
    friend bool operator<(const JoinedKey& x, const JoinedKey& y) {
        for (std::size_t w = 0; w < Words; ++w)
            if (x.Word[w] != y.Word[w]) return x.Word[w] < y.Word[w];
        return false;
    }
};

// Ranks of the joined keys first(n) + second(n) of messages 1..MessageCount (rank k-1 for message k).
template <class First, class Second>
std::vector<std::int32_t> JoinedRanks(const MsgStore& S, First first, Second second) {
    std::vector<JoinedKey> keys;
    keys.reserve(static_cast<std::size_t>(S.MessageCount));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) keys.emplace_back(first(S.Messages[n]), second(S.Messages[n]));
    return RankItems(S.MessageCount, [&](std::int32_t a, std::int32_t b) {
        return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
    });
}

}  // namespace

// The sort key of every message for grid column `column`, as numbers ordered like the
// column's key; nothing for a column without a key.
std::optional<std::vector<std::int32_t>> ColumnRanks(const MsgStore& S, int column) {
    const auto time = [](const XMsgRecType& m) -> const TimeText& { return m.Time; };
    const auto phone = [](const XMsgRecType& m) -> const PhoneText& { return m.Phone; };
    const auto name = [](const XMsgRecType& m) -> const NameText& { return m.Name; };
    std::vector<std::int32_t> keys;
    switch (column) {
        case 1: return JoinedRanks(S, time, phone);
        case 2: return JoinedRanks(S, phone, time);
        case 3: return JoinedRanks(S, name, time);
        case 4:
            for (std::int32_t n = 1; n <= S.MessageCount; ++n) keys.push_back(S.Messages[n].Flags);
            return keys;
        case 5:
            return RankItems(S.MessageCount, [&](std::int32_t a, std::int32_t b) {
                return std::string_view(S.Messages[a + 1].Text) <
                       std::string_view(S.Messages[b + 1].Text);
            });
        case 6:
            for (std::int32_t n = 1; n <= S.MessageCount; ++n)
                keys.push_back(static_cast<std::int32_t>(S.Messages[n].Text.size()));
            return keys;
        default: return std::nullopt;
    }
}

void SortMessages(MsgStore& S, DefaultsType& D, int column, int direction) {
    SpreadNamesAndColours(S);
    D.SortColumn = static_cast<std::uint8_t>(column);
    if (auto keys = ColumnRanks(S, column)) {
        ApplyOrder(S.Messages, 1, ShellSortOrderByChains(std::move(*keys), direction != 0));
    }
    CountMessages(S);
    S.Modified = true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/HeldMessages.h"

#include <algorithm>
#include <string_view>

#include "MBVars/SameMessage.h"

namespace {
constexpr std::size_t SmallestTable = 1024;
}  // namespace

HeldMessages::HeldMessages(const MsgStore& S, std::size_t expectedMore) : store_(S) {
    const std::int32_t held = std::min(S.MessageCount, MaxMessages);
    const std::size_t expected =
        std::min(static_cast<std::size_t>(std::max(held, 0)) + expectedMore, static_cast<std::size_t>(MaxMessages));
    std::size_t size = SmallestTable;
    while (size <= 2 * expected) size *= 2;
    slots_.assign(size, Slot{});
    for (std::int32_t n = 1; n <= held; ++n) Add(n);
}

std::uint64_t HeldMessages::HashOf(const XMsgRecType& m) { return SameMessageHash(m); }

bool HeldMessages::Holds(const XMsgRecType& m, std::uint64_t hash) const {
    const auto tag = static_cast<std::uint32_t>(hash);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.Position == 0) return false;
        if (slot.Tag == tag && SameMessage(store_.Messages[slot.Position], m)) return true;
    }
}

void HeldMessages::Add(std::int32_t n, std::uint64_t hash) {
    if (2 * (count_ + 1) >= slots_.size()) Grow();
    Place(Slot{static_cast<std::uint32_t>(hash), n});
    ++count_;
}

void HeldMessages::Place(Slot slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = slot.Tag & mask;
    while (slots_[i].Position != 0) i = (i + 1) & mask;
    slots_[i] = slot;
}

void HeldMessages::Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.Position != 0) Place(slot);
}

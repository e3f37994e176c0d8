// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages a store already holds, for the import's already-held rule: a line is not
// added when a stored message is the same message (SameMessage.h). An open-addressing table of store positions, so that a
// look-up costs one hash and, on a match, one comparison with the record. The table is
// sized to the messages it holds and doubles as they grow, so a small import stays in the
// nearest caches.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MBVars/Store.h"

class HeldMessages {
public:
    // Indexes messages 1..MessageCount. The store must outlive the index and keep the
    // indexed records in place, unchanged (an import only appends).
    // `expectedMore`: how many messages are likely to be added, so that the table starts
    // at its final size (it grows anyway when more come).
    explicit HeldMessages(const MsgStore& S, std::size_t expectedMore = 0);

    // The key of a message, computed once for both the look-up and the adding.
    static std::uint64_t HashOf(const XMsgRecType& m);

    bool Holds(const XMsgRecType& m) const { return Holds(m, HashOf(m)); }
    bool Holds(const XMsgRecType& m, std::uint64_t hash) const;
    // Indexes the message at position n, which must have its final content (and `hash`,
    // when given, must be its HashOf).
    void Add(std::int32_t n) { Add(n, HashOf(store_.Messages[n])); }
    void Add(std::int32_t n, std::uint64_t hash);

private:
    struct Slot {
        std::uint32_t Tag = 0;      // the hash's low half: the table's index and a first check
        std::int32_t Position = 0;  // 0: free
    };
    void Place(Slot slot);
    void Grow();

    const MsgStore& store_;
    std::vector<Slot> slots_;  // a power of two, more than twice the indexed messages
    std::size_t count_ = 0;
};

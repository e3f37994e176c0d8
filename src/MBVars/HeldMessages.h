#pragma once
// The messages a store already holds, for the import's already-held rule: a line is not
// added when a stored message has the same Time, Phone, direction and Text (trailing
// spaces removed), byte for byte.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>

#include "MBVars/Store.h"

class HeldMessages {
public:
    // Indexes messages 1..MessageCount. The index keeps views into the records: they must
    // stay in place, unchanged, while it is used (an import only appends).
    explicit HeldMessages(const MsgStore& S);

    bool Holds(const XMsgRecType& m) const { return keys_.contains(KeyOf(m)); }
    // Adds a record that has its final place in the store.
    void Add(const XMsgRecType& m) { keys_.insert(KeyOf(m)); }

private:
    struct Key {
        std::string_view Time, Phone, Text;
        std::uint16_t Direction;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };
    static Key KeyOf(const XMsgRecType& m);

    std::unordered_set<Key, KeyHash> keys_;
};

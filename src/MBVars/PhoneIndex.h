// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A table from phone numbers to numbers (positions, entries), for the passes that meet
// every message's phone once: open addressing over the phones' fixed-size arrays, without
// the hashing of a general text per lookup. The phones must stay where they are while the
// table is used.
#include <cstdint>
#include <cstring>
#include <vector>

#include "MBVars/MsgRec.h"

class PhoneIndex {
public:
    // Room for `expected` phones without a long probe run; more may be added, and the table
    // grows. Sized for the distinct phones rather than for every message, it stays in cache.
    explicit PhoneIndex(std::size_t expected) { Reset(expected); }

    // The value kept for the phone, and false; or, for a new phone, `value` kept and true.
    std::pair<std::int32_t, bool> TryEmplace(const PhoneText& phone, std::int32_t value) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        const std::uint64_t h = Hash(phone);
        std::size_t i = h & mask_;
        for (; slots_[i].Phone; i = (i + 1) & mask_)
            if (slots_[i].Tag == Tag(h) && Same(*slots_[i].Phone, phone)) return {slots_[i].Value, false};
        slots_[i] = {&phone, value, Tag(h)};
        ++count_;
        return {value, true};
    }
    // Keeps `value` for the phone, over any value it had.
    void Assign(const PhoneText& phone, std::int32_t value) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        const std::uint64_t h = Hash(phone);
        std::size_t i = h & mask_;
        for (; slots_[i].Phone; i = (i + 1) & mask_)
            if (slots_[i].Tag == Tag(h) && Same(*slots_[i].Phone, phone)) {
                slots_[i].Value = value;
                return;
            }
        slots_[i] = {&phone, value, Tag(h)};
        ++count_;
    }
    // The value kept for the phone, or -1.
    std::int32_t Find(const PhoneText& phone) const {
        const std::uint64_t h = Hash(phone);
        for (std::size_t i = h & mask_; slots_[i].Phone; i = (i + 1) & mask_)
            if (slots_[i].Tag == Tag(h) && Same(*slots_[i].Phone, phone)) return slots_[i].Value;
        return -1;
    }
    bool Empty() const { return count_ == 0; }

private:
    struct Slot {
        const PhoneText* Phone = nullptr;
        std::int32_t Value = 0;
        std::uint32_t Tag = 0;  // high bits of the hash: most other phones are told apart without reading them
    };
    static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

    // Short texts keep zeros past their length: the whole array tells phones apart.
    static bool Same(const PhoneText& a, const PhoneText& b) {
        return a.Len == b.Len && std::memcmp(a.Chars, b.Chars, PhoneText::Capacity) == 0;
    }
    static std::uint64_t Hash(const PhoneText& p) {
        std::uint64_t w[4] = {};
        std::memcpy(w, p.Chars, PhoneText::Capacity);
        std::uint64_t h = p.Len * 0x9E3779B97F4A7C15ull;
        for (std::uint64_t x : w) h = (h ^ x) * 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 29);
    }
    void Reset(std::size_t expected) {
        std::size_t size = 16;
        while (size < 2 * expected + 2) size *= 2;
        slots_.assign(size, Slot{});
        mask_ = size - 1;
        count_ = 0;
    }
    void Grow() {
        const std::vector<Slot> old = std::move(slots_);
        Reset(old.size());
        for (const Slot& s : old)
            if (s.Phone) Assign(*s.Phone, s.Value);
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0, count_ = 0;
};

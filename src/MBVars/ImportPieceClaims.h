// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces of an import's work that two threads share: the calling thread takes them
// from the front, the helper from the back, until they meet. Both ends live in one word so
// that a piece is taken once.
#include <atomic>
#include <cstddef>
#include <cstdint>

class PieceClaims {
public:
    explicit PieceClaims(std::size_t count) : ends_(Pack(0, static_cast<std::uint32_t>(count))) {}

    bool TakeFront(std::size_t& piece) {
        std::uint64_t ends = ends_.load(std::memory_order_relaxed);
        do {
            if (Front(ends) >= Back(ends)) return false;
        } while (!ends_.compare_exchange_weak(ends, Pack(Front(ends) + 1, Back(ends)), std::memory_order_relaxed));
        piece = Front(ends);
        return true;
    }
    bool TakeBack(std::size_t& piece) {
        std::uint64_t ends = ends_.load(std::memory_order_relaxed);
        do {
            if (Front(ends) >= Back(ends)) return false;
        } while (!ends_.compare_exchange_weak(ends, Pack(Front(ends), Back(ends) - 1), std::memory_order_relaxed));
        piece = Back(ends) - 1;
        return true;
    }

private:
    static std::uint64_t Pack(std::uint32_t front, std::uint32_t back) { return (std::uint64_t(front) << 32) | back; }
    static std::uint32_t Front(std::uint64_t ends) { return static_cast<std::uint32_t>(ends >> 32); }
    static std::uint32_t Back(std::uint64_t ends) { return static_cast<std::uint32_t>(ends); }

    std::atomic<std::uint64_t> ends_;
};

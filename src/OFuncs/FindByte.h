// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding one byte value in a short text, the import's most frequent step: sixteen bytes
// at a time in the caller's own code, where a library search would cost a call and its
// set-up for the few bytes that mostly separate two quotes of a CSV line.
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// In the fuzzing build the two searches are plain calls without coverage: their loop
// counters tell the fuzzer nothing about the input's structure, and counting every
// sixteen bytes of a long line would cost its slowest target a fifth of its speed.
#if defined(KESTRO_FUZZING)
#define KESTRO_PLAIN_SCAN __attribute__((noinline, no_sanitize("coverage")))
#else
#define KESTRO_PLAIN_SCAN
#endif

// The position of the first c in s from `from` (at most s.size()) on, or npos.
KESTRO_PLAIN_SCAN inline std::size_t FindByte(std::string_view s, char c, std::size_t from) {
    const char* const bytes = s.data();
    const std::size_t n = s.size();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted));
        if (hits != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; i < n; ++i)
        if (bytes[i] == c) return i;
    return std::string_view::npos;
}

// The position of the first a or b in s from `from` (at most s.size()) on, or npos.
KESTRO_PLAIN_SCAN inline std::size_t FindEitherByte(std::string_view s, char a, char b, std::size_t from) {
    const char* const bytes = s.data();
    const std::size_t n = s.size();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(a), second = _mm_set1_epi8(b);
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, first), _mm_cmpeq_epi8(chunk, second)));
        if (hits != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; i < n; ++i)
        if (bytes[i] == a || bytes[i] == b) return i;
    return std::string_view::npos;
}

// The positions from `from` on where both s[p] and s[p + gap] are c (gap >= 1), a run of
// them at a time: bit k of Hits stands for position At + k; the next run starts at Next.
// At is npos when none is left.
struct BytePairRun {
    std::size_t At, Next;
    unsigned Hits;
};
KESTRO_PLAIN_SCAN inline BytePairRun NextBytePairs(std::string_view s, char c, std::size_t gap, std::size_t from) {
    const char* const bytes = s.data();
    const std::size_t n = s.size();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; i + gap + 16 <= n; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i there = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + gap));
        const auto hits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, wanted), _mm_cmpeq_epi8(there, wanted))));
        if (hits != 0) return {i, i + 16, hits};
    }
#endif
    for (; i + gap < n; ++i)
        if (bytes[i] == c && bytes[i + gap] == c) return {i, i + 1, 1};
    return {std::string_view::npos, n, 0};
}

// Calls visit(p), in ascending order, for every position p of s where both s[p] and
// s[p + gap] are c (gap >= 1): a doubled quote, or the quotes around a lone byte.
template <class Visit>
void ForEachBytePair(std::string_view s, char c, std::size_t gap, Visit visit) {
    for (BytePairRun run = NextBytePairs(s, c, gap, 0); run.At != std::string_view::npos;
         run = NextBytePairs(s, c, gap, run.Next))
        for (unsigned hits = run.Hits; hits != 0; hits &= hits - 1)
            visit(run.At + static_cast<std::size_t>(__builtin_ctz(hits)));
}

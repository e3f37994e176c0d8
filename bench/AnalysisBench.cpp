// SPDX-License-Identifier: GPL-3.0-or-later
// Search marking, per-contact statistics and automatic colouring on a full store.
#include <benchmark/benchmark.h>

#include <random>
#include <unordered_set>

#include "MBVars/ContactColors.h"
#include "MBVars/Search.h"
#include "MBVars/Stats.h"
#include "support/StoreBuilder.h"

namespace {
// 16380 messages of about 120 bytes from 1000 phones, and one contact per phone (the
// first message of each phone gives the name, as a rebuild does).
MsgStore& FullStore() {
    static MsgStore S = [] {
        MsgStore s;
        FillRandomStore(s, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90, .NamesByPhone = true}, 42);
        std::mt19937 rng(42);
        const char* words[] = {"see", "you", "at", "the", "caf\xC3\xA9", "tomorrow", "\xC3\x84pple",
                               "http://example.com/x", "ok,", "thanks!", "bring", "the", "keys"};
        for (int n = 1; n <= s.MessageCount; ++n) {
            std::string& text = s.Messages[static_cast<std::size_t>(n)].Text;
            while (text.size() < 100 + rng() % 40) text += std::string(" ") + words[rng() % 13];
        }
        std::unordered_set<std::string_view> seen;
        for (int n = 1; n <= s.MessageCount && s.ContactCount < MaxContacts; ++n) {
            const XMsgRecType& m = s.Messages[static_cast<std::size_t>(n)];
            if (!seen.insert(m.Phone.view()).second) continue;
            ContactRec& c = s.Contacts[static_cast<std::size_t>(++s.ContactCount)];
            c.Phone = m.Phone;
            c.Name = m.Name;
        }
        return s;
    }();
    return S;
}

void MarkFoundText(benchmark::State& state, const char* needle) {
    MsgStore& S = FullStore();
    std::int32_t found = 0;
    for (auto _ : state) benchmark::DoNotOptimize(found = MarkFound(S, FetchByText, needle));
    state.counters["found"] = found;
}
BENCHMARK_CAPTURE(MarkFoundText, common, "TEXT NUMBER 1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MarkFoundText, links, "://")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MarkFoundText, nowhere, "\xC4pple pie")->Unit(benchmark::kMillisecond);

void MarkFoundName(benchmark::State& state) {
    MsgStore& S = FullStore();
    for (auto _ : state) benchmark::DoNotOptimize(MarkFound(S, FetchByName, "Person 7"));
}
BENCHMARK(MarkFoundName)->Unit(benchmark::kMillisecond);

void PerContactStatistics(benchmark::State& state) {
    MsgStore& S = FullStore();
    for (auto _ : state) {
        ComputeContactsActivity(S);
        benchmark::DoNotOptimize(S.Contacts[1].Activity);
    }
    state.counters["contacts"] = S.ContactCount;
}
BENCHMARK(PerContactStatistics)->Unit(benchmark::kMillisecond);

// Clearing is part of each round, so that every round draws a colour for every phone.
void ClearThenColourAutomatically(benchmark::State& state) {
    MsgStore& S = FullStore();
    std::mt19937 rng(1);
    std::int32_t assigned = 0;
    for (auto _ : state) {
        ClearAllColors(S);
        benchmark::DoNotOptimize(assigned = ColorContactsAutomatically(S, rng));
    }
    state.counters["assigned"] = assigned;
}
BENCHMARK(ClearThenColourAutomatically)->Unit(benchmark::kMillisecond);
}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Store operations on a full store: 16380 messages of about 1000 phone numbers.
#include <benchmark/benchmark.h>

#include "MBVars/Contacts.h"
#include "MBVars/History.h"
#include "MBVars/Ordering.h"
#include "MBVars/Removal.h"
#include "support/StoreBuilder.h"

namespace {

// The full store in the order of its import files (random), with duplicates.
const MsgStore& ImportedStore() {
    static const MsgStore store = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000, .Minutes = 2000000, .NamesByPhone = true}, 42);
        return S;
    }();
    return store;
}

// The full store as a finished import leaves it: newest first, with its contact table
// named, and a history of 1000 entries (some blocked).
const MsgStore& FullStore() {
    static const MsgStore store = [] {
        MsgStore S = ImportedStore();
        DefaultsType D;
        SortMessages(S, D, 1, 0);
        BuildContacts(S, ContactsByPhone, true);
        for (std::int32_t c = 1; c <= S.ContactCount; ++c) S.Contacts[c].Name = "Contact " + std::to_string(c);
        S.HistoryCount = MaxHistory;
        for (std::int32_t h = 1; h <= S.HistoryCount; ++h) {
            HistoryRec& e = S.History[h];
            e.Phone = S.Contacts[(h * 7) % S.ContactCount + 1].Phone;
            e.Name = "Known " + std::to_string(h);
            e.Color = h % 3 ? 0x00C0FFEE : 0;
            e.Blocked = h % 100 == 0;
        }
        return S;
    }();
    return store;
}

// Runs op on a fresh copy of `start` in every iteration; the copy is not timed.
template <class Op>
void OnStore(benchmark::State& state, const MsgStore& start, Op op) {
    for (auto _ : state) {
        state.PauseTiming();
        MsgStore S = start;
        state.ResumeTiming();
        op(S);
        benchmark::DoNotOptimize(S.MessageCount);
    }
}

void BM_SortMessages(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0)), direction = static_cast<int>(state.range(1));
    DefaultsType D;
    OnStore(state, FullStore(), [&](MsgStore& S) { SortMessages(S, D, column, direction); });
}
BENCHMARK(BM_SortMessages)->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_SortMessagesFromImportOrder(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0)), direction = static_cast<int>(state.range(1));
    DefaultsType D;
    OnStore(state, ImportedStore(), [&](MsgStore& S) { SortMessages(S, D, column, direction); });
}
BENCHMARK(BM_SortMessagesFromImportOrder)->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_BuildContacts(benchmark::State& state) {
    const int key = static_cast<int>(state.range(0));
    OnStore(state, FullStore(), [&](MsgStore& S) { BuildContacts(S, key, true); });
}
BENCHMARK(BM_BuildContacts)->Arg(ContactsByPhone)->Arg(ContactsByName)->Unit(benchmark::kMillisecond);

void BM_RemoveDuplicates(benchmark::State& state) {
    const bool remove = state.range(0) != 0;
    OnStore(state, FullStore(), [&](MsgStore& S) { RemoveDuplicates(S, remove); });
}
BENCHMARK(BM_RemoveDuplicates)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FitNames(benchmark::State& state) {
    OnStore(state, FullStore(), [&](MsgStore& S) { FitNames(S, true); });
}
BENCHMARK(BM_FitNames)->Unit(benchmark::kMillisecond);

void BM_DeleteFirstRow(benchmark::State& state) {
    OnStore(state, FullStore(), [&](MsgStore& S) {
        BuildView(S, ViewEverything);
        DeleteViewRows(S, 1, 1);
    });
}
BENCHMARK(BM_DeleteFirstRow)->Unit(benchmark::kMillisecond);

}  // namespace

// A bad order for halving gaps: with 8192 messages every gap but the last is even, so odd
// and even places never meet until the last gap, where the long texts at the odd places and
// the short ones at the even places need about 4000 passes. (With 16380 messages the gaps
// turn odd from 4095 on and the same pattern sorts in a few passes.)
void BM_SortMessagesBadOrder(benchmark::State& state) {
    static const MsgStore start = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = 8192, .Phones = 1000, .NamesByPhone = true}, 7);
        for (std::int32_t n = 1; n <= S.MessageCount; ++n)
            S.Messages[n].Text.assign(static_cast<std::size_t>(n % 2 ? 9000 + n / 2 : 1 + n / 2), 'x');
        return S;
    }();
    DefaultsType D;
    OnStore(state, start, [&](MsgStore& S) { SortMessages(S, D, 6, 1); });
}
BENCHMARK(BM_SortMessagesBadOrder)->Unit(benchmark::kMillisecond);

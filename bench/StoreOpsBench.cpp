// Store operations on a full store: 16380 messages of about 1000 phone numbers.
#include <benchmark/benchmark.h>

#include "MBVars/Ordering.h"
#include "support/StoreBuilder.h"

namespace {

// The full store, as an import leaves it (newest first).
const MsgStore& FullStore() {
    static const MsgStore store = [] {
        MsgStore S;
        DefaultsType D;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000, .Minutes = 2000000}, 42);
        SortMessages(S, D, 1, 0);
        return S;
    }();
    return store;
}

// Runs op on a fresh copy of the full store in every iteration; the copy is not timed.
template <class Op>
void OnFullStore(benchmark::State& state, Op op) {
    for (auto _ : state) {
        state.PauseTiming();
        MsgStore S = FullStore();
        state.ResumeTiming();
        op(S);
        benchmark::DoNotOptimize(S.MessageCount);
    }
}

void BM_SortMessages(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0)), direction = static_cast<int>(state.range(1));
    DefaultsType D;
    OnFullStore(state, [&](MsgStore& S) { SortMessages(S, D, column, direction); });
}
BENCHMARK(BM_SortMessages)->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

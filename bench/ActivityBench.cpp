// SPDX-License-Identifier: GPL-3.0-or-later
// Counting a full store's messages per month, weekday and hour, for all and for one name,
// and listing the contacts to choose from.
#include <benchmark/benchmark.h>

#include "MBVars/ActivityCounts.h"
#include "support/StoreBuilder.h"

namespace {

const MsgStore& FullStore() {
    static const MsgStore store = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Minutes = 2000000, .NamesByPhone = true}, 11);
        return S;
    }();
    return store;
}

void BM_CountActivity(benchmark::State& state) {
    const auto period = static_cast<ActivityPeriod>(state.range(0));
    const ActivityContact contact =
        state.range(1) ? ActivityContact{ActivityContact::ByName, "Person 7"} : ActivityContact{};
    for (auto _ : state) benchmark::DoNotOptimize(CountActivity(FullStore(), period, contact));
}
BENCHMARK(BM_CountActivity)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond);

void BM_ActivityContacts(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ActivityContacts(FullStore()));
}
BENCHMARK(BM_ActivityContacts)->Unit(benchmark::kMicrosecond);

}  // namespace

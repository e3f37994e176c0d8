// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the activity statistics dialog on a full store of 1000 contacts: the table
// rebuilt by name, every contact's figures computed once, the grid laid out and painted.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <string>

#include "EventLoopTurn.h"
#include "Lang/LocaleInfo.h"
#include "MBStats/TStatsDialog.h"
#include "MBVars/Contacts.h"
#include "MBVars/Ordering.h"
#include "support/StoreBuilder.h"

namespace {

const MsgStore& FullStore() {
    static const MsgStore store = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000, .Minutes = 2000000, .NamesByPhone = true}, 7);
        DefaultsType D;
        SortMessages(S, D, 1, 0);
        BuildContacts(S, ContactsByPhone, true);
        for (std::int32_t c = 1; c <= S.ContactCount; ++c)
            AssignName(S, S.Contacts[c].Phone.view(), "Contact " + std::to_string(c));
        BuildView(S, ViewEverything);
        return S;
    }();
    return store;
}

void BM_OpenStatisticsDialog(benchmark::State& state) {
    const DefaultsType defaults;
    const LocaleInfo locale = LocaleInfo::English();
    for (auto _ : state) {
        state.PauseTiming();
        MsgStore S = FullStore();
        state.ResumeTiming();
        TStatsDialog dialog(S, defaults, locale);
        dialog.show();
        EventLoopTurn();  // laid out and painted once
        benchmark::DoNotOptimize(dialog.Hint());
    }
    state.counters["contacts"] = FullStore().ContactCount;
}
BENCHMARK(BM_OpenStatisticsDialog)->Unit(benchmark::kMillisecond);

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The activity chart on a full store (16380 messages, 1000 numbers, a name on half of
// them): opened to its first painted screen, and switched to another period or contact
// until painted again.
#include <QComboBox>
#include <benchmark/benchmark.h>
#include <memory>

#include "EventLoopTurn.h"
#include "Lang/LocaleInfo.h"
#include "MBActivity/TActivityChart.h"
#include "support/StoreBuilder.h"
#include "ui/ScriptedDialogs.h"

namespace {

const MsgStore& ChartStore() {
    static const MsgStore store = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Minutes = 2000000, .NamesByPhone = true}, 13);
        return S;
    }();
    return store;
}

struct ChartBench {
    DefaultsType Defaults;
    LocaleInfo Locale = LocaleInfo::English();
    ScriptedDialogs Answers;
    std::unique_ptr<TActivityChart> Chart;
    void Open() {
        Chart = std::make_unique<TActivityChart>(ChartStore(), Defaults, Locale, Answers, ActivityContact{});
        Chart->setAttribute(Qt::WA_DeleteOnClose, false);
        Chart->show();
        EventLoopTurn();
    }
};

void BM_OpenActivityChart(benchmark::State& state) {
    ChartBench bench;
    for (auto _ : state) {
        bench.Open();
        state.PauseTiming();
        bench.Chart.reset();
        EventLoopTurn();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenActivityChart)->Unit(benchmark::kMillisecond);

void BM_SwitchActivityPeriod(benchmark::State& state) {
    ChartBench bench;
    bench.Open();
    int period = 0;
    for (auto _ : state) {
        period = (period + 1) % 3;
        bench.Chart->PeriodBox->setCurrentIndex(period);
        EventLoopTurn();
    }
}
BENCHMARK(BM_SwitchActivityPeriod)->Unit(benchmark::kMillisecond);

void BM_SwitchActivityContact(benchmark::State& state) {
    ChartBench bench;
    bench.Open();
    int entry = 0;
    for (auto _ : state) {
        entry = entry % 50 + 1;  // contacts one after another, as with the arrow keys
        bench.Chart->ContactBox->setCurrentIndex(entry);
        EventLoopTurn();
    }
}
BENCHMARK(BM_SwitchActivityContact)->Unit(benchmark::kMillisecond);

}  // namespace

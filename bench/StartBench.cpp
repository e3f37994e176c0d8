// SPDX-License-Identifier: GPL-3.0-or-later
// Preparing stores and the engine's part of start-up: an empty store made and emptied, and
// the settings, history and last saved collection read as the program reads them at start.
#include <benchmark/benchmark.h>

#include <string>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/Ordering.h"
#include "MBVars/SettingsFile.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {

// A full collection of 100-byte texts and 1000 phones, saved newest first as the program
// saves it, with its history beside it.
struct SavedCollection {
    TempDir Dir;
    std::string DataPath, HistoryPath, SettingsPath;
    explicit SavedCollection(int messages) {
        MsgStore S;
        DefaultsType D;
        RandomStoreShape shape;
        shape.Messages = messages;
        shape.Phones = 1000;
        shape.Texts = 5000;
        shape.NamesByPhone = true;
        FillRandomStore(S, shape, 5);
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[n].Text.resize(100, 'x');
        SortMessages(S, D, 1, 0);
        Renumber(S);
        DataPath = PathIn(Dir, "saved.kst");
        HistoryPath = PathIn(Dir, HistoryFileName);
        SettingsPath = PathIn(Dir, SettingsFileName);
        WriteDataFile(S, DataPath);
        WriteHistory(S, HistoryPath);
        Settings settings;
        WriteSettingsFile(SettingsPath, settings, WindowSize{});
    }
};

void BM_EmptyStoreMade(benchmark::State& state) {
    for (auto _ : state) {
        MsgStore S;
        benchmark::DoNotOptimize(S.MessageCount);
    }
}
BENCHMARK(BM_EmptyStoreMade)->Unit(benchmark::kMicrosecond);

void BM_EmptyStoreCleared(benchmark::State& state) {
    MsgStore S;
    DefaultsType D;
    for (auto _ : state) {
        ClearStore(S, D);
        benchmark::DoNotOptimize(S.MessageCount);
    }
}
BENCHMARK(BM_EmptyStoreCleared)->Unit(benchmark::kMicrosecond);

// Opening a saved full collection, and a saved collection of state.range(0) messages.
void BM_OpenSavedCollection(benchmark::State& state) {
    const SavedCollection saved(static_cast<int>(state.range(0)));
    MsgStore S;
    DefaultsType D;
    ReadHistory(S, saved.HistoryPath);
    for (auto _ : state) OpenCollection(S, D, saved.DataPath);
    state.counters["messages"] = S.MessageCount;
}
BENCHMARK(BM_OpenSavedCollection)->Arg(MaxMessages)->Arg(1000)->Unit(benchmark::kMillisecond);

// The engine's start: a new store, the settings, the history and (for a non-zero argument)
// the last saved collection reopened. Compare Arg(0) with Arg(MaxMessages).
void BM_EngineStart(benchmark::State& state) {
    const SavedCollection saved(state.range(0) > 0 ? static_cast<int>(state.range(0)) : 1);
    for (auto _ : state) {
        MsgStore S;
        Settings settings;
        WindowSize window;
        ReadSettingsFile(saved.SettingsPath, settings, window);
        ReadHistory(S, saved.HistoryPath);
        if (state.range(0) > 0) ReopenCollection(S, settings.Defaults, saved.DataPath);
        benchmark::DoNotOptimize(S.MessageCount);
    }
}
BENCHMARK(BM_EngineStart)->Arg(0)->Arg(MaxMessages)->Unit(benchmark::kMillisecond);

void BM_SaveCollection(benchmark::State& state) {
    const SavedCollection saved(MaxMessages);
    MsgStore S;
    DefaultsType D;
    OpenCollection(S, D, saved.DataPath);
    const std::string path = PathIn(saved.Dir, "again.kst");
    for (auto _ : state) WriteDataFile(S, path);
}
BENCHMARK(BM_SaveCollection)->Unit(benchmark::kMillisecond);

}  // namespace

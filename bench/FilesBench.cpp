// SPDX-License-Identifier: GPL-3.0-or-later
// The store's files on a full collection: a data-file write followed by a read, and a
// history write for 1000 phone numbers.
#include <benchmark/benchmark.h>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "support/StoreBuilder.h"
#include "support/FileTestHelpers.h"

namespace {

void FullStore(MsgStore& S) {
    FillRandomStore(S, {.Messages = MaxMessages, .Phones = MaxContacts, .Texts = 5000, .NamesByPhone = true}, 1);
}

void BM_DataFileWriteThenRead(benchmark::State& state) {
    TempDir dir;
    MsgStore S, T;
    FullStore(S);
    DefaultsType D;
    for (auto _ : state) {
        if (WriteDataFile(S, PathIn(dir, "full.kst")) != 0) state.SkipWithError("write failed");
        ClearStore(T, D);
        if (ReadDataFile(T, PathIn(dir, "full.kst")) != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(T.MessageCount);
    }
}
BENCHMARK(BM_DataFileWriteThenRead)->Unit(benchmark::kMillisecond);

void BM_HistoryWrite(benchmark::State& state) {
    TempDir dir;
    MsgStore S;
    FullStore(S);
    for (auto _ : state) {
        S.HistoryCount = 0;  // every run adds all 1000 numbers
        if (WriteHistory(S, PathIn(dir, "Kestro.hst")) != 0) state.SkipWithError("write failed");
        benchmark::DoNotOptimize(S.HistoryCount);
    }
}
BENCHMARK(BM_HistoryWrite)->Unit(benchmark::kMillisecond);

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a full-size message export: into an empty store, and again into the full store
// (every line already held).
#include <benchmark/benchmark.h>

#include <string>

#include "MBVars/Import.h"
#include "support/ExportBuilder.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {
// A word-form export of MaxMessages lines with distinct times, a few hundred phones and
// texts of ordinary length, both directions.
std::string FullExport() { return WordFormExport(MaxMessages, {.Phones = 300, .ShortestText = 20, .TextSpread = 120}); }

void BM_ImportIntoEmptyStore(benchmark::State& state) {
    TempDir dir;
    const std::string path = dir.Write("export.csv", FullExport());
    MsgStore S;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[n].Clear();
        S.MessageCount = 0;
        state.ResumeTiming();
        ImportCsvFile(S, path);
    }
    if (S.MessageCount != MaxMessages) state.SkipWithError("not every line was imported");
}
BENCHMARK(BM_ImportIntoEmptyStore)->Unit(benchmark::kMillisecond);

void BM_ImportIntoFullStore(benchmark::State& state) {
    TempDir dir;
    const std::string path = dir.Write("export.csv", FullExport());
    MsgStore S;
    ImportCsvFile(S, path);
    for (auto _ : state) ImportCsvFile(S, path);
    if (S.MessageCount != MaxMessages) state.SkipWithError("the store did not fill");
}
BENCHMARK(BM_ImportIntoFullStore)->Unit(benchmark::kMillisecond);
}  // namespace

// Importing a full-size message export: into an empty store, and again into the full store
// (every line already held).
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "MBVars/Import.h"
#include "support/StoreBuilder.h"
#include "support/FileTestHelpers.h"

namespace {
// A word-form export of MaxMessages lines with distinct times, a few hundred phones and
// texts of ordinary length, both directions.
std::string FullExport() {
    std::mt19937 rng(5);
    std::string file;
    for (int i = 0; i < MaxMessages; ++i) {
        const int minute = i * 7;
        char time[32];
        std::snprintf(time, sizeof time, "20%02d.%02d.%02d %02d:%02d", 5 + minute / 483840,
                      1 + (minute / 40320) % 12, 1 + (minute / 1440) % 28, (minute / 60) % 24, minute % 60);
        const std::string phone = "+1555555" + std::to_string(1000 + rng() % 300);
        std::string text = "Message " + std::to_string(i) + " ";
        text.append(20 + rng() % 120, static_cast<char>('a' + rng() % 26));
        if (rng() % 2)
            file += "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
        else
            file += "\"sms\",\"submit\",\"\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
    }
    return file;
}

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

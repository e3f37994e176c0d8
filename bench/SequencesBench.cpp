// SPDX-License-Identifier: GPL-3.0-or-later
// The store sequences the window runs on whole collections: the end of importing the four
// sample files, opening a full data file, and saving a full store.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "MBVars/DataFile.h"
#include "MBVars/Import.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/Samples.h"
#include "support/StoreBuilder.h"
#include "support/FileTestHelpers.h"

namespace {

// The four sample files, drawn from a word list of 200 contacts and 800 texts.
std::vector<std::string> WriteSamples(const TempDir& dir) {
    const std::string words = PathIn(dir, "kestro.txt");
    {
        std::ofstream out(words, std::ios::binary);
        for (int c = 0; c < 200; ++c) out << "+1555555" << (1000 + c) << "\tPerson " << c << "\n";
        for (int t = 0; t < 800; ++t) out << "Made-up message text number " << t << ", with a few more words\n";
    }
    std::mt19937 rng(11);
    const std::string list = WriteSampleFiles(PathIn(dir, "sample"), words, 45000.5, rng);
    std::vector<std::string> files;
    for (std::size_t start = 0, end; (end = list.find("\r\n", start)) != std::string::npos; start = end + 2)
        files.push_back(list.substr(start, end - start));
    return files;
}

// A history with a few blocked numbers, as a long-used program has.
void FillHistory(MsgStore& S) {
    S.HistoryCount = 300;
    for (int h = 1; h <= S.HistoryCount; ++h) {
        S.History[h] = HistoryRec{};
        S.History[h].Phone = "+1555555" + std::to_string(1000 + h * 3);
        S.History[h].Name = "Known " + std::to_string(h);
        S.History[h].Blocked = h % 50 == 0 ? 1 : 0;
    }
}

// Imports the four sample files into an emptied store and finishes; times the finish
// alone, or the imports too.
void ImportSamplesAndFinish(benchmark::State& state, bool timeImports) {
    TempDir dir;
    const std::vector<std::string> files = WriteSamples(dir);
    MsgStore S;
    DefaultsType D;
    const FinishImportOptions options{true, true, PathIn(dir, "Kestro.hst")};
    for (auto _ : state) {
        state.PauseTiming();
        FillHistory(S);
        ClearStore(S, D);
        if (timeImports) state.ResumeTiming();
        for (const std::string& f : files) ImportCsvFile(S, f);
        if (!timeImports) state.ResumeTiming();
        FinishImport(S, D, options);
    }
    state.counters["messages"] = S.MessageCount;
}

void BM_ImportSamplesWithFinish(benchmark::State& state) { ImportSamplesAndFinish(state, true); }
BENCHMARK(BM_ImportSamplesWithFinish)->Unit(benchmark::kMillisecond);

void BM_FinishImportAfterSamples(benchmark::State& state) { ImportSamplesAndFinish(state, false); }
BENCHMARK(BM_FinishImportAfterSamples)->Unit(benchmark::kMillisecond);

// A full store of 16380 messages and about 1000 phones, written once.
std::string WriteFullDataFile(const TempDir& dir) {
    MsgStore S;
    RandomStoreShape shape;
    shape.Messages = MaxMessages;
    shape.Phones = 1000;
    shape.Texts = 5000;
    shape.NamesByPhone = true;
    FillRandomStore(S, shape, 3);
    const std::string path = PathIn(dir, "full.kst");
    WriteDataFile(S, path);
    return path;
}

void BM_OpenCollectionFull(benchmark::State& state) {
    TempDir dir;
    const std::string path = WriteFullDataFile(dir);
    MsgStore S;
    DefaultsType D;
    FillHistory(S);
    for (auto _ : state) OpenCollection(S, D, path);
    if (S.MessageCount < MaxMessages - 400) state.SkipWithError("the file did not open whole");
    state.counters["messages"] = S.MessageCount;
}
BENCHMARK(BM_OpenCollectionFull)->Unit(benchmark::kMillisecond);

void BM_ReopenCollectionFull(benchmark::State& state) {
    TempDir dir;
    const std::string path = WriteFullDataFile(dir);
    MsgStore S;
    DefaultsType D;
    D.UseHistory = true;
    FillHistory(S);
    for (auto _ : state) ReopenCollection(S, D, path);
    state.counters["messages"] = S.MessageCount;
}
BENCHMARK(BM_ReopenCollectionFull)->Unit(benchmark::kMillisecond);

void BM_WriteDataFileFull(benchmark::State& state) {
    TempDir dir;
    MsgStore S;
    DefaultsType D;
    OpenCollection(S, D, WriteFullDataFile(dir));
    const std::string path = PathIn(dir, "saved.kst");
    for (auto _ : state) WriteDataFile(S, path);
    state.counters["messages"] = S.MessageCount;
}
BENCHMARK(BM_WriteDataFileFull)->Unit(benchmark::kMillisecond);

}  // namespace

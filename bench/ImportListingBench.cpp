// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line import's engine work and its listing: exports of 1000, 4000 and 16390
// lines (16380 kept) read into an empty store, alone and with the finishing sequence; and
// the listing of a full store of 100-byte texts written to a stream that discards it.
#include <benchmark/benchmark.h>

#include <ostream>
#include <random>
#include <streambuf>
#include <string>

#include "MBVars/Import.h"
#include "MBVars/LoadSequences.h"
#include "cli/Listing.h"
#include "support/ExportBuilder.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {
void EmptyMessages(MsgStore& S) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[n].Clear();
    S.MessageCount = 0;
    S.ContactCount = 0;
}

void BM_ReadExport(benchmark::State& state) {
    TempDir dir;
    const std::string path = dir.Write("export.csv", WordFormExport(static_cast<int>(state.range(0))));
    MsgStore S;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyMessages(S);
        state.ResumeTiming();
        ImportCsvFile(S, path);
    }
    state.counters["messages"] = S.MessageCount;
}
BENCHMARK(BM_ReadExport)->Arg(1000)->Arg(4000)->Arg(MaxMessages + 10)->Unit(benchmark::kMillisecond);

// As kestro-cli imports: the file, then names, order, contacts and duplicates.
void BM_ImportExport(benchmark::State& state) {
    TempDir dir;
    const std::string path = dir.Write("export.csv", WordFormExport(static_cast<int>(state.range(0))));
    MsgStore S;
    DefaultsType D;
    FinishImportOptions options;
    options.RemoveDups = true;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyMessages(S);
        state.ResumeTiming();
        ImportCsvFile(S, path);
        FinishImport(S, D, options);
    }
    state.counters["messages"] = S.MessageCount;
}
BENCHMARK(BM_ImportExport)->Arg(1000)->Arg(4000)->Arg(MaxMessages + 10)->Unit(benchmark::kMillisecond);

// A stream that takes every byte and keeps none.
class DiscardBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

void BM_ListFullStore(benchmark::State& state) {
    MsgStore S;
    FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90, .NamesByPhone = true}, 42);
    std::mt19937 rng(42);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        std::string& text = S.Messages[n].Text;
        while (text.size() < 100) text += " word" + std::to_string(rng() % 100);
        text.resize(100);
    }
    DiscardBuffer discard;
    std::ostream out(&discard);
    for (auto _ : state) WriteMessageLines(out, S);
}
BENCHMARK(BM_ListFullStore)->Unit(benchmark::kMillisecond);
}  // namespace

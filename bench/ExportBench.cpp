// SPDX-License-Identifier: GPL-3.0-or-later
// Exporting a full collection (16,380 messages of about 150 characters, some with commas,
// quotes, line breaks, markup and Windows-1252 bytes) as a spreadsheet file and as a web
// page, the file written whole; and reading the spreadsheet export back into a store.
#include <benchmark/benchmark.h>

#include "Formats/CsvExport.h"
#include "Formats/CsvExportImport.h"
#include "Formats/HtmlExport.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {
const MsgStore& FullExportStore() {
    static const MsgStore store = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000, .NamesByPhone = true}, 3);
        const char* const extras[] = {"", ", with \"quotes\", and commas", "\r\non a second line",
                                      " <b>markup</b> & more", " caf\xE9 \x80 5"};
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
            std::string& text = S.Messages[n].Text;
            while (text.size() < 130) text += " and some more words";
            text += extras[n % 5];
        }
        return S;
    }();
    return store;
}

std::vector<std::int32_t> AllRows(const MsgStore& S) {
    std::vector<std::int32_t> rows;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) rows.push_back(n);
    return rows;
}

void BM_ExportCsvFull(benchmark::State& state) {
    const MsgStore& S = FullExportStore();
    const std::vector<std::int32_t> rows = AllRows(S);
    TempDir dir;
    for (auto _ : state) WriteExportFile(PathIn(dir, "full.csv"), CsvExport(S, rows));
}
BENCHMARK(BM_ExportCsvFull)->Unit(benchmark::kMillisecond);

// The formatting alone, as kestro-cli export writes it to standard output.
void BM_CsvExportFormatFull(benchmark::State& state) {
    const MsgStore& S = FullExportStore();
    const std::vector<std::int32_t> rows = AllRows(S);
    for (auto _ : state) benchmark::DoNotOptimize(CsvExport(S, rows));
}
BENCHMARK(BM_CsvExportFormatFull)->Unit(benchmark::kMillisecond);

void BM_ExportHtmlFull(benchmark::State& state) {
    const MsgStore& S = FullExportStore();
    const std::vector<std::int32_t> rows = AllRows(S);
    const ExportLook look;
    TempDir dir;
    for (auto _ : state) WriteExportFile(PathIn(dir, "full.html"), HtmlExport(S, rows, look));
}
BENCHMARK(BM_ExportHtmlFull)->Unit(benchmark::kMillisecond);

void BM_ImportCsvExportFull(benchmark::State& state) {
    const MsgStore& S = FullExportStore();
    const std::string csv = CsvExport(S, AllRows(S));
    for (auto _ : state) {
        MsgStore back;
        benchmark::DoNotOptimize(ImportCsvExportBytes(back, csv));
    }
}
BENCHMARK(BM_ImportCsvExportFull)->Unit(benchmark::kMillisecond);
}  // namespace

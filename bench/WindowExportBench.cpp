// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF export of a full collection (16,380 messages of about 150 characters): every
// message laid out with wrapping, the pages paginated and painted with their footers.
#include <QApplication>
#include <QLocale>
#include <benchmark/benchmark.h>

#include "Pages/MessagePages.h"
#include "support/StoreBuilder.h"

namespace {
void BM_ExportPdfFull(benchmark::State& state) {
    MsgStore S;
    FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000}, 3);
    std::vector<std::int32_t> rows;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        std::string& text = S.Messages[n].Text;
        while (text.size() < 130) text += " and some more words";
        rows.push_back(n);
    }
    const ExportLook look;
    for (auto _ : state) benchmark::DoNotOptimize(PdfExport(S, rows, look, QLocale::c()).size());
}
BENCHMARK(BM_ExportPdfFull)->Unit(benchmark::kMillisecond)->Iterations(2);
}  // namespace

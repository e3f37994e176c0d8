// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF export of a full collection (16,380 messages of about 150 characters): every
// message laid out with wrapping, the pages paginated and painted with their footers, and
// emoji in about one message of six, as a phone's collection has them (from the emoji font,
// and beyond U+FFFF, so that the fonts' maps to characters are completed).
#include <QApplication>
#include <QLocale>
#include <benchmark/benchmark.h>

#include "Pages/MessagePages.h"
#include "support/StoreBuilder.h"

namespace {
void BM_ExportPdfFull(benchmark::State& state) {
    MsgStore S;
    FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000, .NamesByPhone = true}, 3);
    std::vector<std::int32_t> rows;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        std::string& text = S.Messages[n].Text;
        static const char* const emoji[] = {" ok \U0001F44D", " \U0001F389", " \U0001F600", " \U0001F1E9\U0001F1EA",
                                            " \U0001F44D\U0001F3FD", " \U0001F468\u200D\U0001F469\u200D\U0001F467"};
        if (n % 6 == 0) text += emoji[(n / 6) % 6];
        while (text.size() < 130) text += " and some more words";
        rows.push_back(n);
    }
    const ExportLook look;
    for (auto _ : state) benchmark::DoNotOptimize(PdfExport(S, rows, look, QLocale::c()).size());
}
BENCHMARK(BM_ExportPdfFull)->Unit(benchmark::kMillisecond)->Iterations(2);
}  // namespace

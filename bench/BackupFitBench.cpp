// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a phone backup for the window: into the newest that fit. Messages spread over ten
// years.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "Formats/SmsBackupImport.h"


namespace {
// The backups written, removed when the program ends.
struct WrittenFiles {
    ~WrittenFiles() {
        for (const std::string& path : Paths) std::filesystem::remove(path);
    }
    std::set<std::string> Paths;
} Written;

// A backup of `sms` messages a little over half an hour apart, written once per size.
std::string BackupFile(int sms) {
    const std::string path = (std::filesystem::temp_directory_path() / ("kestro-fit-bench-" + std::to_string(sms) + ".xml")).string();
    if (!Written.Paths.insert(path).second) return path;
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\r\n<smses count=\"" << sms << "\">\r\n";
    const long long step = 10LL * 365 * 24 * 3600 * 1000 / sms;
    for (int k = 0; k < sms; ++k)
        out << "<sms protocol=\"0\" address=\"555" << 1000 + k % 300 << "\" date=\"" << 1300000000000LL + k * step
            << "\" type=\"" << 1 + k % 2 << "\" body=\"on my way, see you at eight " << k
            << "\" read=\"1\" status=\"-1\" contact_name=\"(Unknown)\" />\r\n";
    out << "</smses>\r\n";
    return path;
}

void BM_ReadNewestThatFit(benchmark::State& state) {
    const std::string path = BackupFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        MsgStore S;
        BackupSelection selection(S);
        BackupReadResult read;
        ReadSmsBackupSelection(path, selection, read);
        benchmark::DoNotOptimize(selection.OlderLeftOut());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadNewestThatFit)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a phone backup: SMS with emoji both ways and MMS with pictures, through the
// repair filter and expat, bytes per second. For the whole command on a 1 GiB backup
// against cat, see bench/make-sms-backup.py.
#include <benchmark/benchmark.h>

#include <string>

#include "Formats/SmsBackupReader.h"

namespace {
std::string MakeBackup(int sms, int mms, std::size_t picture) {
    std::string x = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\r\n<smses count=\"1\">\r\n";
    const std::string data(picture, 'Q');
    for (int k = 0; k < sms + mms; ++k) {
        const std::string date = std::to_string(1500000000000LL + k * 60000LL);
        if (k % ((sms + mms) / mms) == 0) {
            x += "<mms date=\"" + date + "\" msg_box=\"1\" address=\"5550100\"><parts><part ct=\"image/jpeg\" data=\"" +
                 data + "\"/><part ct=\"text/plain\" text=\"look &#55357;&#56832;\"/></parts></mms>\r\n";
        } else {
            x += "<sms protocol=\"0\" address=\"555010" + std::to_string(k % 10) + "\" date=\"" + date +
                 "\" type=\"" + std::to_string(1 + k % 2) +
                 "\" subject=\"null\" body=\"on my way &#55357;&#56832; caf\xC3\xA9 \xF0\x9F\x98\x80 see you&#10;at eight\" "
                 "toa=\"null\" sc_toa=\"null\" read=\"1\" status=\"-1\" contact_name=\"(Unknown)\" />\r\n";
        }
    }
    return x + "</smses>\r\n";
}

void BM_ReadSmsBackup(benchmark::State& state) {
    const std::string x = MakeBackup(20000, 40, std::size_t(256) << 10);
    for (auto _ : state) {
        std::int64_t n = 0;
        ReadSmsBackupBytes(x, [&](BackupMessage&) { ++n; });
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * x.size()));
}
BENCHMARK(BM_ReadSmsBackup)->Unit(benchmark::kMillisecond);

// One SMS whose body is state.range(0) MiB: the time must grow with the size, not its square.
void BM_ReadLongBody(benchmark::State& state) {
    const std::string piece = "on my way caf\xC3\xA9 see you at eight ";
    std::string x = "<smses>\r\n<sms address=\"5550100\" date=\"1700000000000\" type=\"1\" body=\"";
    while (x.size() < (static_cast<std::size_t>(state.range(0)) << 20)) x += piece;
    x += "\" contact_name=\"Bo\"/>\r\n</smses>\r\n";
    for (auto _ : state) {
        std::int64_t n = 0;
        ReadSmsBackupBytes(x, [&](BackupMessage&) { ++n; });
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * x.size()));
}
BENCHMARK(BM_ReadLongBody)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);
}  // namespace

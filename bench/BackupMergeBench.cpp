// SPDX-License-Identifier: GPL-3.0-or-later
// Merging two overlapping phone backups (SMS with emoji both ways, MMS with pictures) into
// a new file, against reading both files plainly as cat does; bytes of input per second.
// For the whole command on two 1 GiB backups, see bench/make-sms-backup.py.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Formats/BackupMerge.h"
#include "support/TempDir.h"

namespace {
// Messages first..last of one invented history.
std::string MakeBackup(int first, int last, std::size_t picture) {
    std::string x = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\r\n<smses count=\"1\">\r\n";
    const std::string data(picture, 'Q');
    for (int k = first; k < last; ++k) {
        const std::string date = std::to_string(1500000000000LL + k * 60000LL);
        if (k % 500 == 0) {
            x += "  <mms date=\"" + date + "\" msg_box=\"1\" address=\"5550100\"><parts><part ct=\"image/jpeg\" data=\"" +
                 data + std::to_string(k) + "\"/><part ct=\"text/plain\" text=\"look &#55357;&#56832;\"/></parts></mms>\r\n";
        } else {
            x += "  <sms protocol=\"0\" address=\"555010" + std::to_string(k % 10) + "\" date=\"" + date + "\" type=\"" +
                 std::to_string(1 + k % 2) +
                 "\" subject=\"null\" body=\"on my way &#55357;&#56832; caf\xC3\xA9 \xF0\x9F\x98\x80 see you&#10;at eight\" "
                 "toa=\"null\" sc_toa=\"null\" read=\"1\" status=\"-1\" contact_name=\"(Unknown)\" />\r\n";
        }
    }
    return x + "</smses>\r\n";
}

struct Inputs {
    TempDir Dir;
    std::vector<std::string> Paths;
    std::int64_t Bytes = 0;
    Inputs() {
        for (const auto& [first, last] : {std::pair{0, 40000}, std::pair{20000, 60000}}) {
            const std::string x = MakeBackup(first, last, std::size_t(256) << 10);
            Paths.push_back(Dir.Write("b" + std::to_string(first) + ".xml", x));
            Bytes += static_cast<std::int64_t>(x.size());
        }
    }
};

Inputs& TheInputs() {
    static Inputs inputs;
    return inputs;
}

void BM_MergeTwoBackups(benchmark::State& state) {
    Inputs& in = TheInputs();
    const std::string out = (in.Dir.Path() / "merged.xml").string();
    for (auto _ : state) benchmark::DoNotOptimize(MergeBackups(in.Paths, out).Written);
    state.SetBytesProcessed(state.iterations() * in.Bytes);
}
BENCHMARK(BM_MergeTwoBackups)->Unit(benchmark::kMillisecond);

// What cat does: both files read through a 128 KiB buffer.
void BM_ReadBothPlainly(benchmark::State& state) {
    Inputs& in = TheInputs();
    std::vector<char> buffer(std::size_t(128) << 10);
    for (auto _ : state) {
        for (const std::string& p : in.Paths) {
            const int fd = ::open(p.c_str(), O_RDONLY);
            while (::read(fd, buffer.data(), buffer.size()) > 0) benchmark::ClobberMemory();
            ::close(fd);
        }
    }
    state.SetBytesProcessed(state.iterations() * in.Bytes);
}
BENCHMARK(BM_ReadBothPlainly)->Unit(benchmark::kMillisecond);
}  // namespace

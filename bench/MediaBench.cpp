// SPDX-License-Identifier: GPL-3.0-or-later
// The media of a backup's MMS: decoding their base64, their SHA-256 names, reading a backup
// with its pictures written into a media folder (against reading it without), and the
// index's look-ups and save. For the whole command on a 1 GiB backup against cat, see
// bench/make-sms-backup.py.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Formats/Base64.h"
#include "Formats/MediaFolder.h"
#include "Formats/MediaWriter.h"
#include "Formats/Sha256.h"
#include "Formats/SmsBackupReader.h"
#include "MBVars/Store.h"
#include "support/TempDir.h"

namespace {
namespace fs = std::filesystem;

std::string RandomBase64(std::size_t chars, unsigned seed) {
    static constexpr char A[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::mt19937 rng(seed);
    std::string s(chars / 4 * 4, 'A');
    for (char& c : s) c = A[rng() & 63];
    return s;
}

void BM_Base64Decode(benchmark::State& state) {
    const std::string text = RandomBase64(std::size_t(16) << 20, 1);
    std::vector<unsigned char> out(Base64Decoder::DecodedRoom(text.size()));
    for (auto _ : state) {
        Base64Decoder d;
        benchmark::DoNotOptimize(d.Decode(text, out.data()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Base64Decode)->Unit(benchmark::kMillisecond);

void BM_Sha256(benchmark::State& state) {
    const std::string bytes = RandomBase64(std::size_t(16) << 20, 2);
    for (auto _ : state) benchmark::DoNotOptimize(Sha256Of(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Sha256)->Unit(benchmark::kMillisecond);

// 40 MMS, each with a picture of its own (1 MiB of base64), between 2,000 SMS.
std::string PictureBackup() {
    std::string x = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\r\n<smses count=\"1\">\r\n";
    for (int k = 0; k < 2040; ++k) {
        const std::string date = std::to_string(1500000000000LL + k * 60000LL);
        if (k % 51 == 0)
            x += "<mms date=\"" + date + "\" msg_box=\"1\" address=\"5550100\"><parts><part ct=\"image/jpeg\" data=\"" +
                 RandomBase64(std::size_t(1) << 20, static_cast<unsigned>(k)) +
                 "\"/><part ct=\"text/plain\" text=\"look\"/></parts></mms>\r\n";
        else
            x += "<sms address=\"5550101\" date=\"" + date + "\" type=\"1\" body=\"on my way\" />\r\n";
    }
    return x + "</smses>\r\n";
}

// Reading with the media written (state.range(0) = 1) or passed over (0): the difference is
// what the media cost.
void BM_ReadBackupWithMedia(benchmark::State& state) {
    const std::string x = PictureBackup();
    TempDir dir;
    const std::string folder = (dir.Path() / "b.media").string();
    for (auto _ : state) {
        std::int64_t n = 0;
        if (state.range(0)) {
            MediaWriter writer(folder);
            ReadSmsBackupBytes(x, [&](BackupMessage& m) { n += static_cast<std::int64_t>(m.Media.size()); }, &writer);
        } else {
            ReadSmsBackupBytes(x, [&](BackupMessage&) { ++n; });
        }
        benchmark::DoNotOptimize(n);
        state.PauseTiming();
        std::error_code ec;
        fs::remove_all(folder, ec);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * x.size()));
}
BENCHMARK(BM_ReadBackupWithMedia)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A full store whose every eighth message has a picture (2,048 of them).
struct IndexedStore {
    MsgStore S;
    MediaIndex Index;
    IndexedStore() {
        for (std::int32_t n = 1; n < MaxMessages; ++n) {
            GrowMessages(S, n);
            XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            m.Flags = MsgMms | MsgReceived;
            m.Time = "2024.01.01 12:00";
            m.Phone = "555" + std::to_string(1000 + n % 300);
            m.Text = "[image]\r\nmessage " + std::to_string(n);
            S.MessageCount = n;
            if (n % 8 == 0) Index.Set(m, {{std::string(64, 'a') + ".jpg", "image/jpeg", "", 1000, false}});
        }
    }
};

// Every message of the store looked up once, as a conversation's painting does.
void BM_MediaIndexFindAll(benchmark::State& state) {
    const IndexedStore store;
    for (auto _ : state) {
        std::int64_t found = 0;
        for (std::int32_t n = 1; n <= store.S.MessageCount; ++n)
            found += store.Index.Find(store.S.Messages[static_cast<std::size_t>(n)]) != nullptr;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_MediaIndexFindAll)->Unit(benchmark::kMillisecond);

// What a save adds: letting go of the entries of messages no longer held, and the index's text.
void BM_MediaIndexKeepHeldAndText(benchmark::State& state) {
    const IndexedStore store;
    for (auto _ : state) {
        MediaIndex index = store.Index;
        index.KeepHeld(store.S);
        benchmark::DoNotOptimize(index.Text());
    }
}
BENCHMARK(BM_MediaIndexKeepHeldAndText)->Unit(benchmark::kMillisecond);
}  // namespace

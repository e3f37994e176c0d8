// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an iPhone's Messages database of 300,000 messages (made here once: texts in the
// text column and archived in attributedBody, a group, reactions, pictures), into the
// selection of the newest that fit, as an import reads it.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "Formats/IPhoneMessages.h"
#include "Formats/SmsBackupImport.h"
#include "Formats/TypedStream.h"
#include "support/MessagesDatabase.h"
#include "support/TempDir.h"

namespace {
constexpr int Messages = 300000;

const std::string& Database() {
    static TempDir dir;
    static const std::string path = [] {
        const std::string p = (dir.Path() / "sms.db").string();
        test::MessagesDatabase db(p);
        db.Exec("PRAGMA journal_mode = OFF");
        db.Begin();
        std::vector<std::int64_t> handles, chats;
        for (int h = 0; h < 1000; ++h) {
            handles.push_back(db.Handle("+1555555" + std::to_string(1000 + h)));
            chats.push_back(db.Chat("+1555555" + std::to_string(1000 + h), {handles.back()}));
        }
        const std::int64_t group = db.Chat("chat1", {handles[0], handles[1], handles[2]});
        const std::string archived = MakeTypedStream("an archived text of an iPhone's newer messages \xF0\x9F\x98\x80");
        for (int k = 0; k < Messages; ++k) {
            test::MessagesDatabase::Row r;
            const std::size_t h = static_cast<std::size_t>(k % 1000);
            r.Handle = k % 50 == 0 ? 0 : handles[h];
            r.Date = test::AppleNanoseconds(1500000000 + std::int64_t(k) * 60);
            r.FromMe = k % 2 == 0;
            if (k % 3 == 0) r.Body = archived;
            else r.Text = "on my way caf\xC3\xA9 \xF0\x9F\x98\x80 see you at eight, message " + std::to_string(k);
            r.Chats = {k % 50 == 0 ? group : chats[h]};
            if (k % 97 == 0) r.Reaction = 2001;
            if (k % 200 == 0) r.Attachments = {"image/jpeg"};
            db.Message(r);
        }
        db.Commit();
        return p;
    }();
    return path;
}

void BM_ReadIPhoneMessages(benchmark::State& state) {
    const std::string& path = Database();
    MsgStore S;
    for (auto _ : state) {
        BackupSelection selection(S);
        BackupReadResult result;
        ReadIPhoneMessagesFile(path, path + "-wal", [&](BackupMessage& m) { selection.Offer(m); }, result);
        if (result.Messages + result.Reactions != Messages) state.SkipWithError("not every row was read");
        benchmark::DoNotOptimize(selection.NewMessages());
    }
    state.SetItemsProcessed(state.iterations() * Messages);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadIPhoneMessages)->Unit(benchmark::kMillisecond)->Iterations(3);
}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The media part of the phone-backup reader on any bytes: read whole and in pieces of the
// first byte's size into two media folders, it gives the same messages with the same media;
// every medium kept is a file of its folder whose name is the SHA-256 of its bytes and
// whose size is the item's; a damaged one names no file; no unfinished file stays behind.
// The media index of what was read reads back to the same index, and the index reader
// takes the input's bytes too.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "Formats/MediaFolder.h"
#include "Formats/MediaWriter.h"
#include "Formats/Sha256.h"
#include "Formats/SmsBackupReader.h"

namespace {
namespace fs = std::filesystem;

struct Seen {
    std::vector<BackupMessage> Messages;
    BackupReadResult Result;
};

bool Same(const Seen& a, const Seen& b) {
    if (a.Messages.size() != b.Messages.size() || a.Result.End != b.Result.End) return false;
    for (std::size_t i = 0; i < a.Messages.size(); ++i) {
        const BackupMessage &x = a.Messages[i], &y = b.Messages[i];
        if (x.Record.Text != y.Record.Text || x.Record.Time != y.Record.Time || !(x.Media == y.Media)) return false;
    }
    return true;
}

void CheckFolder(const std::string& folder, const Seen& seen) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        FUZZ_CHECK(IsMediaFileName(name));  // nothing unfinished left
        const std::string bytes = fuzz::ReadBytes(e.path().string());
        FUZZ_CHECK(name.starts_with(HexOf(Sha256Of(bytes))));
    }
    for (const BackupMessage& m : seen.Messages)
        for (const MediaItem& item : m.Media) {
            FUZZ_CHECK(item.Damaged == item.File.empty());
            if (item.Damaged) continue;
            FUZZ_CHECK(fs::file_size(folder + "/" + item.File, ec) == item.Size && !ec);
        }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string wholeFolder = fuzz::ScratchDir::Get().Path("whole.media");
    const std::string piecesFolder = fuzz::ScratchDir::Get().Path("pieces.media");
    std::error_code ec;
    fs::remove_all(wholeFolder, ec);
    fs::remove_all(piecesFolder, ec);

    Seen whole;
    {
        MediaWriter writer(wholeFolder);
        whole.Result = ReadSmsBackupBytes(bytes, [&](BackupMessage& m) { whole.Messages.push_back(m); }, &writer);
    }
    Seen pieces;
    {
        MediaWriter writer(piecesFolder);
        SmsBackupParser parser([&](BackupMessage& m) { pieces.Messages.push_back(m); }, &writer);
        for (std::size_t at = 0; at < bytes.size() || at == 0; at += piece)
            if (!parser.Feed(bytes.substr(at, piece), at + piece >= bytes.size())) break;
        pieces.Result = parser.Result();
    }
    FUZZ_CHECK(Same(whole, pieces));
    CheckFolder(wholeFolder, whole);
    CheckFolder(piecesFolder, pieces);

    MediaIndex index(wholeFolder);
    for (const BackupMessage& m : whole.Messages) index.Set(m.Record, m.Media);
    MediaIndex again(wholeFolder);
    again.LoadFrom(index.Text());
    FUZZ_CHECK(again.Text() == index.Text());
    again.LoadFrom(bytes);  // any bytes as an index
    return 0;
}

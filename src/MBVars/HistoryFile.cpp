// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the contact-history file "Kestro.hst": HistoryCount + 1 entries of
// 67 bytes; entry 0 is the header, whose last four bytes hold the count.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "MBVars/History.h"
#include "MBVars/PhoneIndex.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/BinaryImage.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"

namespace {

constexpr std::size_t PhoneOffset = 1, NameOffset = 32, ColorOffset = 63;

void GetEntry(HistoryRec& h, const unsigned char* e) {
    h.Blocked = e[0] != 0 ? 1 : 0;
    GetImage(h.Phone, e + PhoneOffset);
    GetImage(h.Name, e + NameOffset);
    h.Color = GetLE32(e + ColorOffset);
}

void PutEntry(std::string& out, const HistoryRec& h) {
    out.push_back(static_cast<char>(h.Blocked));
    PutImage(out, h.Phone);
    PutImage(out, h.Name);
    PutLE32(out, h.Color);
}

// Brings the table up to date with the collection, starting from the current table so that
// names, colours and blocked marks last from one collection to the next. Each message
// goes to the first entry of its phone (found through an index rather than a scan of the
// table); a phone without one gets a new blank entry while there is room. The entry
// takes the message's name and colour when they are set.
void MergeCollection(MsgStore& S) {
    PhoneIndex firstEntry(MaxHistory);
    for (std::int32_t i = 1; i <= S.HistoryCount; ++i) firstEntry.TryEmplace(S.History[i].Phone, i);

    for (std::int32_t m = 1; m <= S.MessageCount; ++m) {
        const XMsgRecType& msg = S.Messages[m];
        if (msg.Phone.empty()) continue;
        std::int32_t i = firstEntry.Find(msg.Phone);
        if (i < 0) {
            if (S.HistoryCount >= MaxHistory) continue;
            i = ++S.HistoryCount;
            S.History[i] = HistoryRec{};
            S.History[i].Phone = msg.Phone;
            firstEntry.TryEmplace(S.History[i].Phone, i);
        }
        HistoryRec& h = S.History[i];
        if (!msg.Name.empty()) h.Name = msg.Name;
        if (msg.Color != 0) h.Color = msg.Color;
    }
}

}  // namespace

int ReadHistory(MsgStore& S, const std::string& path) {
    FileReader in;
    if (const int err = in.Open(path)) {
        // A first start has no file; any other failure leaves a file that must not be
        // replaced by this run's entries alone.
        if (err != ENOENT) S.HistoryIncomplete = true;
        return err;
    }
    // Until the last entry is in, the file counts as not read completely.
    S.HistoryIncomplete = true;
    unsigned char entry[HistoryEntrySize];
    if (!in.Read(entry, HistoryEntrySize)) throw IoError::ReadBeyondEnd().In(path);
    // A negative count reads as none; a count above the capacity reads the first entries
    // (either way the file holds more than the table: it is kept aside before a write).
    const std::int32_t announced = GetLE32(entry + ColorOffset);
    const std::int32_t wanted = std::clamp<std::int32_t>(announced, 0, MaxHistory);
    for (std::int32_t i = 1; i <= wanted; ++i) {
        if (!in.Read(entry, HistoryEntrySize)) {
            // Only whole entries count: the table never holds an entry that was not read.
            S.HistoryCount = i - 1;
            throw IoError::ReadBeyondEnd().In(path);
        }
        GetEntry(S.History[i], entry);
    }
    S.HistoryCount = wanted;
    S.HistoryIncomplete = announced != wanted;
    return 0;
}

std::string KeepFileAside(const std::string& path, int& err) {
    err = 0;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".unreadable-" + stamp;
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
        struct stat st{};
        if (::lstat(aside.c_str(), &st) == 0) continue;  // never over another kept file
        if (::rename(path.c_str(), aside.c_str()) == 0) return aside;
        err = errno;
        return {};
    }
    err = EEXIST;
    return {};
}

int WriteHistory(MsgStore& S, const std::string& path) {
    MergeCollection(S);
    return SaveHistory(S, path);
}

int SaveHistory(MsgStore& S, const std::string& path) {
    std::string bytes;
    if (const int err = HistoryFileBytes(S, path, bytes)) return err;
    return ReplaceHistoryFile(path, bytes);
}

void MergeHistoryWithCollection(MsgStore& S) { MergeCollection(S); }

int HistoryFileBytes(MsgStore& S, const std::string& path, std::string& bytes) {
    if (S.HistoryIncomplete) {
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0) {
            int err = 0;
            const std::string aside = KeepFileAside(path, err);
            if (aside.empty()) return err;  // the old file stays where it is, unchanged
            S.HistoryKeptAs = aside;
        }
        S.HistoryIncomplete = false;
    }
    bytes.clear();
    bytes.reserve(HistoryEntrySize * std::size_t(S.HistoryCount + 1));
    bytes.append(ColorOffset, '\0');
    PutLE32(bytes, S.HistoryCount);
    for (std::int32_t i = 1; i <= S.HistoryCount; ++i) PutEntry(bytes, S.History[i]);
    return 0;
}

int ReplaceHistoryFile(const std::string& path, std::string_view bytes) {
    AtomicFileWriter out;
    if (const int err = out.Open(path)) return err;
    out.Write(bytes);
    out.Commit();
    return 0;
}

void RemoveContactsHistory(MsgStore& S, const std::string& path) {
    S.HistoryCount = 0;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    // The user asked for the file to go; once it has, nothing unread is left to keep.
    if (!std::filesystem::exists(path, ignored)) S.HistoryIncomplete = false;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[n].Name = S.Messages[n].Phone.view();
    S.Modified = true;
}

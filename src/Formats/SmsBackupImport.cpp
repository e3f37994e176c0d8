// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/SmsBackupImport.h"

#include <algorithm>
#include <unordered_map>

#include "MBVars/HeldMessages.h"

namespace {
// True when a is older than b: by time, and of equal times the earlier in the file.
template <class E>
bool Older(const E& a, const E& b) {
    if (a.Message.Millis != b.Message.Millis) return a.Message.Millis < b.Message.Millis;
    return a.Order < b.Order;
}
}  // namespace

struct FirstNames::Table {
    std::unordered_map<std::string, NameText> ByPhone;
};

FirstNames::FirstNames() : table_(std::make_unique<Table>()) {}
FirstNames::~FirstNames() = default;

void FirstNames::Note(const XMsgRecType& m) {
    if (!m.Name.empty()) table_->ByPhone.try_emplace(m.Phone.str(), m.Name);
}

void FirstNames::Fill(XMsgRecType& m) const {
    if (!m.Name.empty() || table_->ByPhone.empty()) return;
    if (const auto it = table_->ByPhone.find(m.Phone.str()); it != table_->ByPhone.end()) m.Name = it->second;
}

struct BackupSelection::Held {
    explicit Held(const MsgStore& S) : Index(S) {}
    HeldMessages Index;
};

BackupSelection::BackupSelection(const MsgStore& S)
    : held_(std::make_unique<Held>(S)), room_(static_cast<std::size_t>(std::max(0, MaxMessages - S.MessageCount))) {}

BackupSelection::~BackupSelection() = default;

void BackupSelection::Offer(BackupMessage& m) {
    names_.Note(m.Record);
    if (held_->Index.Holds(m.Record)) return;
    Entry entry{std::move(m), next_++};
    if (oldestKept_ && Older(entry, *oldestKept_)) {
        ++leftOut_;
        return;
    }
    if (room_ == 0) {
        ++leftOut_;
        return;
    }
    kept_.push_back(std::move(entry));
    if (kept_.size() >= room_ + room_ / 2 + 1) KeepNewest();
}

void BackupSelection::KeepNewest() {
    if (kept_.size() <= room_) return;
    const auto newerFirst = [](const Entry& a, const Entry& b) { return Older(b, a); };
    std::nth_element(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(room_ - 1), kept_.end(), newerFirst);
    leftOut_ += static_cast<std::int64_t>(kept_.size() - room_);
    kept_.resize(room_);
    // The oldest kept: nth_element put it at the last place kept.
    const Entry& oldest = kept_.back();
    oldestKept_ = Entry{BackupMessage{}, oldest.Order};
    oldestKept_->Message.Millis = oldest.Message.Millis;
}

std::int32_t BackupSelection::AddTo(MsgStore& S) {
    KeepNewest();
    std::sort(kept_.begin(), kept_.end(), [](const Entry& a, const Entry& b) { return a.Order < b.Order; });
    ReserveRoom(S);
    std::int32_t added = 0;
    for (Entry& e : kept_) {
        // A message the same backup repeats is added once.
        const std::uint64_t key = HeldMessages::HashOf(e.Message.Record);
        if (held_->Index.Holds(e.Message.Record, key) || S.MessageCount >= MaxMessages) continue;
        names_.Fill(e.Message.Record);
        GrowMessages(S, S.MessageCount + 1);
        S.Messages[++S.MessageCount] = std::move(e.Message.Record);
        held_->Index.Add(S.MessageCount, key);
        ++added;
    }
    kept_.clear();
    return added;
}

int ReadSmsBackupSelection(const std::string& path, BackupSelection& selection, BackupReadResult& result,
                           const BackupProgress& progress) {
    return ReadSmsBackupFile(path, [&](BackupMessage& m) { selection.Offer(m); }, result, progress);
}

int ImportSmsBackup(MsgStore& S, const std::string& path, SmsBackupReport& report, const BackupProgress& progress) {
    report = SmsBackupReport{};
    BackupSelection selection(S);
    if (const int err = ReadSmsBackupSelection(path, selection, report.Read, progress)) return err;
    if (report.Read.End == BackupEnd::NotBackup || report.Read.End == BackupEnd::Stopped) return 0;
    report.OlderNotImported = selection.OlderLeftOut();
    report.Added = selection.AddTo(S);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/SmsBackupImport.h"

#include <algorithm>
#include <unordered_map>

#include "Formats/MediaWriter.h"
#include "MBVars/HeldMessages.h"

namespace {
// True when a is older than b: by time, and of equal times the earlier in the file.
template <class K>
bool Older(const K& a, const K& b) {
    if (a.Millis != b.Millis) return a.Millis < b.Millis;
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
    if (held_->Index.Holds(m.Record)) {
        ++heldCount_;
        if (!m.Media.empty()) heldWithMedia_.push_back(std::move(m));
        return;
    }
    const Key key{m.Millis, next_, static_cast<std::uint32_t>(kept_.size())};
    Entry entry{std::move(m), next_++};
    const auto newerFirst = [](const Key& a, const Key& b) { return Older(b, a); };  // the oldest on top
    if (kept_.size() < room_) {
        kept_.push_back(std::move(entry));
        heap_.push_back(key);
        if (kept_.size() == room_) std::make_heap(heap_.begin(), heap_.end(), newerFirst);
        return;
    }
    ++leftOut_;
    if (kept_.empty() || Older(key, heap_.front())) return;
    // The oldest kept gives its place: only the small keys move in the heap.
    std::pop_heap(heap_.begin(), heap_.end(), newerFirst);
    const std::uint32_t slot = heap_.back().Slot;
    kept_[slot] = std::move(entry);
    heap_.back() = Key{key.Millis, key.Order, slot};
    std::push_heap(heap_.begin(), heap_.end(), newerFirst);
}

std::int32_t BackupSelection::AddTo(MsgStore& S, MediaIndex* media) {
    if (media)
        for (BackupMessage& m : heldWithMedia_)
            if (!media->Find(m.Record)) media->Set(m.Record, std::move(m.Media));
    heldWithMedia_.clear();
    heap_.clear();
    std::sort(kept_.begin(), kept_.end(), [](const Entry& a, const Entry& b) { return a.Order < b.Order; });
    ReserveRoom(S);
    std::int32_t added = 0;
    for (Entry& e : kept_) {
        // A message the same backup repeats is added once.
        const std::uint64_t key = HeldMessages::HashOf(e.Message.Record);
        if (held_->Index.Holds(e.Message.Record, key)) {
            ++heldCount_;
            continue;
        }
        if (S.MessageCount >= MaxMessages) {
            ++leftOut_;
            continue;
        }
        names_.Fill(e.Message.Record);
        if (media && !e.Message.Media.empty()) media->Set(e.Message.Record, std::move(e.Message.Media));
        GrowMessages(S, S.MessageCount + 1);
        S.Messages[++S.MessageCount] = std::move(e.Message.Record);
        held_->Index.Add(S.MessageCount, key);
        ++added;
    }
    kept_.clear();
    return added;
}

int ReadSmsBackupSelection(const std::string& path, BackupSelection& selection, BackupReadResult& result,
                           const BackupProgress& progress, MediaWriter* writer) {
    return ReadSmsBackupFile(path, [&](BackupMessage& m) { selection.Offer(m); }, result, progress, writer);
}

int ImportSmsBackup(MsgStore& S, const std::string& path, SmsBackupReport& report, const BackupProgress& progress,
                    MediaWriter* writer, MediaIndex* media) {
    report = SmsBackupReport{};
    BackupSelection selection(S);
    if (const int err = ReadSmsBackupSelection(path, selection, report.Read, progress, writer)) {
        if (writer) writer->RemoveAll();
        return err;
    }
    if (report.Read.End == BackupEnd::NotBackup || report.Read.End == BackupEnd::Stopped) {
        if (writer) writer->RemoveAll();
        return 0;
    }
    report.Added = selection.AddTo(S, media);
    if (writer) writer->RemoveUnused(media ? *media : MediaIndex());
    report.OlderNotImported = selection.OlderLeftOut();
    report.AlreadyHeld = selection.AlreadyHeld();
    return 0;
}

ImportNotTaken NotTakenOf(const SmsBackupReport& report) {
    ImportNotTaken notTaken;
    notTaken[NotTakenReason::AlreadyHeld] = report.AlreadyHeld;
    notTaken[NotTakenReason::PastCapacity] = report.OlderNotImported;
    notTaken[NotTakenReason::WithoutNumberOrText] = report.Read.WithoutContent;
    notTaken[NotTakenReason::NotSentOrReceived] = report.Read.OtherTypes;
    notTaken[NotTakenReason::NotADate] = report.Read.NotADate;
    notTaken[NotTakenReason::Reaction] = report.Read.Reactions;
    notTaken[NotTakenReason::GroupEvent] = report.Read.GroupEvents;
    notTaken.TextsCut = report.Read.TextsCut;
    return notTaken;
}

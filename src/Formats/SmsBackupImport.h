// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Adding a phone's XML backup to the store: the newest messages that fit, the ones the
// collection already holds left out.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Formats/SmsBackupReader.h"
#include "MBVars/ImportNotTaken.h"
#include "MBVars/Store.h"

// What one backup brought, for the report.
struct SmsBackupReport {
    BackupReadResult Read;
    std::int32_t Added = 0;
    std::int64_t OlderNotImported = 0;  // older than the messages kept, when they did not all fit
    std::int64_t AlreadyHeld = 0;       // held by the collection, or given earlier in the backup
};

// What the backup left out, by reason.
ImportNotTaken NotTakenOf(const SmsBackupReport& report);

// The first name a backup gives each number, for its messages that came without one (the
// apps that add to an old backup keep the name it had then, or none).
class FirstNames {
public:
    FirstNames();
    ~FirstNames();
    void Note(const XMsgRecType& m);
    void Fill(XMsgRecType& m) const;

private:
    struct Table;
    std::unique_ptr<Table> table_;
};

// The messages of a backup chosen while it is read: those the store does not hold yet, and
// of them the newest that fit into its free room (by time; of equal times the later in the
// file). The store must stay unchanged until they are added.
class BackupSelection {
public:
    explicit BackupSelection(const MsgStore& S);
    ~BackupSelection();
    void Offer(BackupMessage& m);
    // How many were left out for want of room.
    std::int64_t OlderLeftOut() const { return leftOut_; }
    // How many were offered that the store does not hold (repeats within the backup counted).
    std::uint64_t NewMessages() const { return next_; }
    // How many were left out as held: by the store, or (once added) earlier in the backup.
    std::int64_t AlreadyHeld() const { return heldCount_; }
    // The room the store had: how many can be kept.
    std::size_t Room() const { return room_; }
    // Appends the chosen messages in file order to the store it was made for; returns how many.
    // With an index, the media of the messages added are tied to them there, and those of
    // messages the store held already to them, unless the index ties them to some already.
    std::int32_t AddTo(MsgStore& S, MediaIndex* media = nullptr);

private:
    struct Entry {
        BackupMessage Message;
        std::uint64_t Order = 0;  // position in the file
    };
    struct Held;
    // What orders the kept messages, apart from them, so that a heap moves 24 bytes a step.
    struct Key {
        std::int64_t Millis = 0;
        std::uint64_t Order = 0;
        std::uint32_t Slot = 0;  // in kept_
    };
    std::unique_ptr<Held> held_;
    FirstNames names_;
    std::size_t room_;
    std::vector<Entry> kept_;  // in no order; a newer message takes the place of the oldest
    std::vector<Key> heap_;    // of kept_, the oldest on top, once full
    std::vector<BackupMessage> heldWithMedia_;  // held by the store, with media the backup gives them
    std::uint64_t next_ = 0;
    std::int64_t leftOut_ = 0;
    std::int64_t heldCount_ = 0;
};

// Reads the backup into `selection`: 0, or the failure code of opening it. Throws IoError
// naming the file when reading fails.
int ReadSmsBackupSelection(const std::string& path, BackupSelection& selection, BackupReadResult& result,
                           const BackupProgress& progress = {}, MediaWriter* writer = nullptr);

// Reads the backup and adds what was chosen: everything read before damage too; nothing when
// the file is no backup or the progress stopped it. 0, or the failure code of opening it.
// With a media writer and index, the media of the messages added are written into the
// writer's folder and tied to them in the index; the media of messages left out are not kept.
int ImportSmsBackup(MsgStore& S, const std::string& path, SmsBackupReport& report, const BackupProgress& progress = {},
                    MediaWriter* writer = nullptr, MediaIndex* media = nullptr);

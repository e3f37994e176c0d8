// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one door of every import: the kind of a file is told by its first bytes, read once,
// and the open file goes to the reader of that kind; a folder is an iPhone backup when it
// holds Manifest.db.
#include <cstdint>
#include <functional>
#include <string>

#include "Formats/SmsBackupImport.h"
#include "MBVars/Store.h"

struct ImportFileReport {
    ImportNotTaken NotTaken;           // every message the file held that was left out, by reason
    bool Backup = false;               // the file was a phone's backup: XML, or an iPhone's messages
    SmsBackupReport BackupReport;      // when it was
};

// Reads a backup's messages into the sink: 0, or the failure code of opening it; what was
// read, and how it ended, in the result. Throws IoError as the readers do.
using BackupRead = std::function<int(const BackupMessageSink& sink, BackupReadResult& result, const BackupProgress& progress)>;
// What the caller does with a backup, given the way to read it: 0 or a failure code; the
// report filled. Without one, the newest messages that fit are added.
using BackupTaker = std::function<int(const BackupRead& read, SmsBackupReport& report)>;

// The words of the refusal of a file (or folder) of no kind Kestro reads.
inline constexpr const char* NotAnyFormat = "is not a phone backup, an address book or a message export";
// The words of the refusal of an encrypted iPhone backup.
inline constexpr const char* EncryptedBackup = "is an encrypted iPhone backup; Kestro cannot read encrypted backups yet";

// Imports a file or a folder by its content: a phone's XML backup, an iPhone's Messages
// database (`sms.db`) or backup folder, Kestro's CSV export, an address book (vCard), a
// suite's CSV export (an empty file counts, holding nothing). 0, or the failure code:
// NotValidFileCode for anything else (an XML file that is no backup, an SQLite database
// that is no Messages database), EncryptedBackupCode, EISDIR for a folder that is no iPhone
// backup, or the code of opening or reading it. A damaged backup gives 0 after adding what was read
// before the damage, and says so in the report.
// With a media writer, a phone's XML backup writes the media of its MMS into the writer's
// folder while it is read (the reading `take` is given does so too); the default taking ties
// those of the messages added to them in `media`, and removes the files of the others.
int ImportFile(MsgStore& S, const std::string& path, ImportFileReport& report, const BackupTaker& take = {},
               MediaWriter* writer = nullptr, MediaIndex* media = nullptr);

// Reads a file or folder that must be a backup (XML or iPhone) into the sink: 0, or the
// failure code, NotValidFileCode for anything else.
int ReadBackupFile(const std::string& path, const BackupMessageSink& sink, BackupReadResult& result,
                   const BackupProgress& progress = {}, MediaWriter* writer = nullptr);

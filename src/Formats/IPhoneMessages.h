// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the iPhone's Messages database (`sms.db`, SQLite: the tables `message`, `handle`,
// `chat`, `chat_message_join`, `chat_handle_join`, `attachment`, `message_attachment_join`)
// as the phones' XML backups are read: each message, with its exact time, goes to a sink.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Formats/SmsBackupReader.h"

class ReadOnlyDatabase;

// Whether bytes that start a file are an SQLite database's header.
bool IsSqliteHeader(std::string_view head);

// The milliseconds since 1970 of a `date`: seconds since 2001-01-01 UTC in older databases,
// nanoseconds in newer ones, told apart by size (no message is from the first three minutes
// of 2001, none from after the year 5000); nothing when out of reach of any date.
std::optional<std::int64_t> AppleDateMillis(std::int64_t date);

// Reads the messages of an open database. Rows that are no message are passed over and
// counted: reactions (associated_message_type 2000 to 3007) and group events (item_type
// other than 0) apart, the rest (no party, no text, no date) as WithoutContent. The End is
// NotBackup for a database without the Messages tables, Damaged (with SQLite's words) when
// SQLite fails part way, Stopped when the progress said so.
void ReadIPhoneMessages(ReadOnlyDatabase& db, const BackupMessageSink& sink, BackupReadResult& result,
                        const BackupProgress& progress = {}, std::uint64_t fileSize = 0);

// The database file at `path`, read with its write-ahead log `wal` (usually path + "-wal")
// and without anything written anywhere near it. 0, or the failure code of opening it.
int ReadIPhoneMessagesFile(const std::string& path, const std::string& wal, const BackupMessageSink& sink,
                           BackupReadResult& result, const BackupProgress& progress = {});

// A database given as bytes, read as a file is (the fuzz target's way in).
BackupReadResult ReadIPhoneMessagesBytes(std::string_view bytes, const BackupMessageSink& sink);

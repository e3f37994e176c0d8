// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An SQLite database of the user's (an iPhone's Messages database, a backup's Manifest.db)
// opened so that nothing beside it is ever written: without a write-ahead log it is read
// in place as immutable (no locks, no -shm or -journal files); with one, the database and
// its log are copied into a private temporary folder first, which is removed on closing,
// and read there, so that the log's newest messages are read too.
#include <sqlite3.h>

#include <string>
#include <string_view>

class ReadOnlyDatabase {
public:
    ReadOnlyDatabase() = default;
    ReadOnlyDatabase(const ReadOnlyDatabase&) = delete;
    ReadOnlyDatabase& operator=(const ReadOnlyDatabase&) = delete;
    ~ReadOnlyDatabase();

    // Opens `path`, with the write-ahead log `wal` when that file exists and is not empty.
    // 0, or the failure code: an errno value (of copying it aside), or NotValidFileCode
    // when SQLite cannot open it as a database.
    int Open(const std::string& path, const std::string& wal);
    // A database given as bytes (the fuzz target's), held in memory.
    int OpenBytes(std::string_view bytes);
    sqlite3* Handle() const { return db_; }
    // Makes every statement running stop with SQLITE_INTERRUPT as soon as `stop` says so,
    // which is asked now and then while SQLite works.
    void StopWhen(bool (*stop)(void*), void* context);

private:
    int Harden();
    void Close();

    sqlite3* db_ = nullptr;
    std::string tempDir_;  // the private copy's folder, when one was made
    bool (*stop_)(void*) = nullptr;
    void* stopContext_ = nullptr;
};

// A file: URI naming `path`, for SQLite's URI parameters.
std::string SqliteFileUri(std::string_view path);

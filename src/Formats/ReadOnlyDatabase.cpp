// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/ReadOnlyDatabase.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "OFuncs/IoError.h"

namespace {
namespace fs = std::filesystem;

// The longest value a statement may produce: far above any text or archived text a
// message holds, far below what would strain memory.
constexpr int LongestValue = 64 << 20;
// How many of SQLite's steps pass between two questions whether to stop.
constexpr int StepsBetweenQuestions = 10000;

bool NonEmptyFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec) && fs::file_size(path, ec) > 0 && !ec;
}
}  // namespace

std::string SqliteFileUri(std::string_view path) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || std::strchr("/-._~", c)) {
            uri += c;
        } else {
            uri += '%';
            uri += Hex[u >> 4];
            uri += Hex[u & 15];
        }
    }
    return uri;
}

ReadOnlyDatabase::~ReadOnlyDatabase() { Close(); }

void ReadOnlyDatabase::Close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    if (!tempDir_.empty()) {
        std::error_code ec;
        fs::remove_all(tempDir_, ec);
        tempDir_.clear();
    }
}

int ReadOnlyDatabase::Open(const std::string& path, const std::string& wal) {
    Close();
    std::string uri;
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (!NonEmptyFile(wal)) {
        // Read in place: immutable means no locks and no files beside it, the log (if an
        // empty one lies there) not looked at.
        uri = SqliteFileUri(path) + "?mode=ro&immutable=1";
        flags |= SQLITE_OPEN_READONLY;
    } else {
        // SQLite reads a log only beside its database and through a shared-memory index
        // file next to both: both are read from the copies in a folder of our own.
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "kestro-messages-XXXXXX").string();
        if (ec) return ec.value();
        if (!::mkdtemp(pattern.data())) return errno;
        tempDir_ = pattern;
        const std::string copy = tempDir_ + "/messages.db";
        fs::copy_file(path, copy, ec);
        if (!ec) fs::copy_file(wal, copy + "-wal", ec);
        if (ec) {
            const int code = ec.value();
            Close();
            return code;
        }
        uri = SqliteFileUri(copy);
        flags |= SQLITE_OPEN_READWRITE;  // the copies: SQLite builds its index of the log there
    }
    if (sqlite3_open_v2(uri.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        Close();
        return NotValidFileCode;
    }
    return Harden();
}

int ReadOnlyDatabase::OpenBytes(std::string_view bytes) {
    Close();
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        Close();
        return OutOfMemoryCode;
    }
    auto* image = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size() ? bytes.size() : 1));
    if (!image) {
        Close();
        return OutOfMemoryCode;
    }
    if (!bytes.empty()) std::memcpy(image, bytes.data(), bytes.size());
    if (sqlite3_deserialize(db_, "main", image, static_cast<sqlite3_int64>(bytes.size()),
                            static_cast<sqlite3_int64>(bytes.size()),
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        Close();
        return NotValidFileCode;
    }
    return Harden();
}

int ReadOnlyDatabase::Harden() {
    // The schema is the file's, so anyone's: no views or triggers (a view could run without
    // end), no functions with side effects from the schema, no writing to the file's structure.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, LongestValue);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_busy_timeout(db_, 0);
    sqlite3_progress_handler(
        db_, StepsBetweenQuestions,
        [](void* self) -> int {
            const auto* d = static_cast<ReadOnlyDatabase*>(self);
            return d->stop_ && d->stop_(d->stopContext_) ? 1 : 0;
        },
        this);
    return 0;
}

void ReadOnlyDatabase::StopWhen(bool (*stop)(void*), void* context) {
    stop_ = stop;
    stopContext_ = context;
}

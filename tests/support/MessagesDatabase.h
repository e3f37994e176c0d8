// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// iPhone Messages databases made for the tests, with the tables and columns of the phone's
// own `sms.db` (a newer schema, or an older one without the newer columns).
#include <plist/plist.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace test {

class MessagesDatabase {
public:
    struct Row {
        std::int64_t Handle = 0;  // 0: nobody (a sent group message)
        std::int64_t Date = 0;    // Apple's: seconds or nanoseconds since 2001
        bool FromMe = false;
        std::optional<std::string> Text;
        std::optional<std::string> Body;  // attributedBody
        int ItemType = 0;
        int Reaction = 0;  // associated_message_type
        std::vector<std::int64_t> Chats;
        std::vector<std::optional<std::string>> Attachments;  // their MIME types
    };

    // `older`: the schema of older phones, without attributedBody, item_type and
    // associated_message_type. `wal`: the log of a phone that has not yet written it back;
    // every change stays in `path`-wal.
    explicit MessagesDatabase(const std::string& path, bool older = false, bool wal = false) : older_(older) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
        Exec("PRAGMA page_size = 1024; PRAGMA synchronous = OFF");
        if (wal) {
            Exec("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0");
            sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        }
        Exec("CREATE TABLE handle (ROWID INTEGER PRIMARY KEY AUTOINCREMENT UNIQUE, id TEXT NOT NULL, country TEXT, "
             "service TEXT NOT NULL, uncanonicalized_id TEXT, UNIQUE (id, service))");
        Exec(std::string("CREATE TABLE message (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, "
                         "text TEXT, handle_id INTEGER DEFAULT 0, service TEXT, ") +
             (older ? "" : "attributedBody BLOB, ") +
             "date INTEGER, date_read INTEGER, is_from_me INTEGER DEFAULT 0, cache_has_attachments INTEGER DEFAULT 0" +
             (older ? "" : ", item_type INTEGER DEFAULT 0, associated_message_guid TEXT, associated_message_type INTEGER DEFAULT 0") +
             ")");
        Exec("CREATE TABLE chat (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, style INTEGER, "
             "chat_identifier TEXT, service_name TEXT, display_name TEXT)");
        Exec("CREATE TABLE chat_handle_join (chat_id INTEGER REFERENCES chat (ROWID) ON DELETE CASCADE, handle_id INTEGER "
             "REFERENCES handle (ROWID) ON DELETE CASCADE, UNIQUE(chat_id, handle_id))");
        Exec("CREATE TABLE chat_message_join (chat_id INTEGER REFERENCES chat (ROWID) ON DELETE CASCADE, message_id INTEGER "
             "REFERENCES message (ROWID) ON DELETE CASCADE, message_date INTEGER DEFAULT 0, PRIMARY KEY (chat_id, message_id))");
        Exec("CREATE INDEX chat_message_join_idx_message_id_only ON chat_message_join(message_id)");
        Exec("CREATE TABLE attachment (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, filename TEXT, "
             "mime_type TEXT, transfer_name TEXT, total_bytes INTEGER DEFAULT 0)");
        Exec("CREATE TABLE message_attachment_join (message_id INTEGER REFERENCES message (ROWID) ON DELETE CASCADE, "
             "attachment_id INTEGER REFERENCES attachment (ROWID) ON DELETE CASCADE, UNIQUE(message_id, attachment_id))");
        Exec("CREATE INDEX message_attachment_join_idx_message_id ON message_attachment_join(message_id)");
    }
    ~MessagesDatabase() { Close(); }
    MessagesDatabase(const MessagesDatabase&) = delete;
    MessagesDatabase& operator=(const MessagesDatabase&) = delete;

    void Close() {
        if (db_) sqlite3_close(db_);
        db_ = nullptr;
    }
    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string text = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(text + " in " + sql);
        }
    }
    void Begin() { Exec("BEGIN"); }
    void Commit() { Exec("COMMIT"); }

    std::int64_t Handle(const std::string& id) {
        Run("INSERT INTO handle (id, service) VALUES (?1, 'SMS')", {id});
        return sqlite3_last_insert_rowid(db_);
    }
    std::int64_t Chat(const std::string& identifier, const std::vector<std::int64_t>& members) {
        Run("INSERT INTO chat (guid, style, chat_identifier) VALUES ('chat-' || ?1, 43, ?1)", {identifier});
        const std::int64_t chat = sqlite3_last_insert_rowid(db_);
        for (const std::int64_t h : members)
            Exec("INSERT INTO chat_handle_join VALUES (" + std::to_string(chat) + ", " + std::to_string(h) + ")");
        return chat;
    }
    std::int64_t Message(const Row& r) {
        sqlite3_stmt* st = nullptr;
        const std::string sql = older_ ? "INSERT INTO message (guid, text, handle_id, date, is_from_me) VALUES (?1, ?2, ?3, ?4, ?5)"
                                       : "INSERT INTO message (guid, text, handle_id, date, is_from_me, attributedBody, "
                                         "item_type, associated_message_type) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
        Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr));
        const std::string guid = "guid-" + std::to_string(++guids_);
        sqlite3_bind_text(st, 1, guid.c_str(), -1, SQLITE_TRANSIENT);
        if (r.Text) sqlite3_bind_text(st, 2, r.Text->data(), static_cast<int>(r.Text->size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 3, r.Handle);
        sqlite3_bind_int64(st, 4, r.Date);
        sqlite3_bind_int(st, 5, r.FromMe ? 1 : 0);
        if (!older_) {
            if (r.Body) sqlite3_bind_blob(st, 6, r.Body->data(), static_cast<int>(r.Body->size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 7, r.ItemType);
            sqlite3_bind_int(st, 8, r.Reaction);
        }
        const int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
        const std::int64_t id = sqlite3_last_insert_rowid(db_);
        for (const std::int64_t chat : r.Chats)
            Exec("INSERT INTO chat_message_join (chat_id, message_id) VALUES (" + std::to_string(chat) + ", " +
                 std::to_string(id) + ")");
        for (const std::optional<std::string>& mime : r.Attachments) {
            Run("INSERT INTO attachment (guid, mime_type) VALUES ('a-' || ?1, ?2)", {std::to_string(++guids_), mime});
            Exec("INSERT INTO message_attachment_join VALUES (" + std::to_string(id) + ", " +
                 std::to_string(sqlite3_last_insert_rowid(db_)) + ")");
        }
        return id;
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
    }
    void Run(const std::string& sql, const std::vector<std::optional<std::string>>& values) {
        sqlite3_stmt* st = nullptr;
        Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr));
        for (std::size_t k = 0; k < values.size(); ++k)
            if (values[k]) sqlite3_bind_text(st, static_cast<int>(k + 1), values[k]->c_str(), -1, SQLITE_TRANSIENT);
        const int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    }

    sqlite3* db_ = nullptr;
    bool older_ = false;
    std::int64_t guids_ = 0;
};

// Apple's times of a moment given as seconds since 1970.
inline std::int64_t AppleSeconds(std::int64_t unixSeconds) { return unixSeconds - 978307200; }
inline std::int64_t AppleNanoseconds(std::int64_t unixSeconds) { return AppleSeconds(unixSeconds) * 1'000'000'000; }

// An iPhone backup folder as idevicebackup2 makes it, holding one message ("From the
// backup", received from +15555550107): Manifest.db maps the phone's paths to files named
// by their hash, in folders named by its first two characters (`nested`) or, as older
// backups keep them, in the folder itself; Manifest.plist, when `encrypted` is given, says
// whether the backup is encrypted, in the binary or the XML form.
inline void MakeIPhoneBackup(const std::filesystem::path& folder, bool nested = true, std::optional<bool> encrypted = {},
                             bool binaryPlist = true) {
    std::filesystem::create_directories(folder);
    const std::string id = "3d0d7e5fb2ce288813306e4d4636395e047a3d28";
    const std::filesystem::path db = nested ? folder / "3d" / id : folder / id;
    std::filesystem::create_directories(db.parent_path());
    {
        MessagesDatabase messages(db.string());
        messages.Message({messages.Handle("+15555550107"), AppleNanoseconds(1682942400), false, "From the backup", {}, 0, 0, {}, {}});
        messages.Message({1, AppleNanoseconds(1682942460), true, "Liked", {}, 0, 2001, {}, {}});
    }
    sqlite3* manifest = nullptr;
    sqlite3_open((folder / "Manifest.db").c_str(), &manifest);
    sqlite3_exec(manifest,
                 ("PRAGMA synchronous = OFF; CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, "
                  "flags INTEGER, file BLOB);"
                  "INSERT INTO Files VALUES ('" + id + "', 'HomeDomain', 'Library/SMS/sms.db', 1, NULL);"
                  "INSERT INTO Files VALUES ('0123', 'HomeDomain', 'Library/Notes/notes.db', 1, NULL);")
                     .c_str(),
                 nullptr, nullptr, nullptr);
    sqlite3_close(manifest);
    if (!encrypted) return;
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "IsEncrypted", plist_new_bool(*encrypted ? 1 : 0));
    char* bytes = nullptr;
    std::uint32_t size = 0;
    if (binaryPlist) plist_to_bin(root, &bytes, &size);
    else plist_to_xml(root, &bytes, &size);
    std::ofstream(folder / "Manifest.plist", std::ios::binary).write(bytes, static_cast<std::streamsize>(size));
    std::free(bytes);
    plist_free(root);
}

}  // namespace test

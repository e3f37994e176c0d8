// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/IPhoneBackup.h"

#include <plist/plist.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "Formats/ReadOnlyDatabase.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"

namespace {
namespace fs = std::filesystem;
constexpr std::size_t LargestManifestPlist = 16 << 20;

// Whether Manifest.plist (binary or XML, read by libplist) says IsEncrypted.
bool SaysEncrypted(const std::string& plistPath) {
    FileReader file;
    if (file.Open(plistPath) != 0 || file.Size() > LargestManifestPlist) return false;
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    bytes.resize(file.ReadSome(bytes.data(), bytes.size()));
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    if (!root) return false;
    const std::unique_ptr<void, void (*)(plist_t)> owner(root, plist_free);
    if (plist_get_node_type(root) != PLIST_DICT) return false;
    const plist_t item = plist_dict_get_item(root, "IsEncrypted");
    if (!item || plist_get_node_type(item) != PLIST_BOOLEAN) return false;
    std::uint8_t value = 0;
    plist_get_bool_val(item, &value);
    return value != 0;
}

// The backup's file of a phone file's ID: in a folder named by its first two characters
// (iOS 10 and later), or flat in the backup folder (older backups).
std::string FileOfId(const std::string& folder, const std::string& id) {
    std::error_code ec;
    if (id.size() < 2 || id.find('/') != std::string::npos || id.find('.') == 0) return {};
    const fs::path nested = fs::path(folder) / id.substr(0, 2) / id;
    if (fs::is_regular_file(nested, ec)) return nested.string();
    const fs::path flat = fs::path(folder) / id;
    if (fs::is_regular_file(flat, ec)) return flat.string();
    return {};
}
}  // namespace

bool IsIPhoneBackupFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && fs::is_regular_file(fs::path(folder) / "Manifest.db", ec);
}

int FindIPhoneBackupMessages(const std::string& folder, IPhoneBackupFiles& files) {
    files = IPhoneBackupFiles{};
    if (SaysEncrypted((fs::path(folder) / "Manifest.plist").string())) return EncryptedBackupCode;
    const std::string manifest = (fs::path(folder) / "Manifest.db").string();
    ReadOnlyDatabase db;
    if (const int err = db.Open(manifest, manifest + "-wal")) return err;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.Handle(),
                           "SELECT relativePath, fileID FROM Files WHERE domain = 'HomeDomain' AND "
                           "relativePath IN ('Library/SMS/sms.db', 'Library/SMS/sms.db-wal')",
                           -1, &st, nullptr) != SQLITE_OK)
        return NotValidFileCode;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* path = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const auto* id = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        if (!path || !id) continue;
        (std::string_view(path).ends_with("-wal") ? files.Wal : files.Database) = FileOfId(folder, id);
    }
    sqlite3_finalize(st);
    return files.Database.empty() ? NotValidFileCode : 0;
}

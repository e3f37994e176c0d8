// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An iPhone backup folder (made by idevicebackup2, iTunes or Finder): `Manifest.db` maps
// each file of the phone to a file of the folder named by its hash; the Messages database
// is the domain "HomeDomain" with the path "Library/SMS/sms.db".
#include <string>

// Whether the folder is such a backup: it holds `Manifest.db`.
bool IsIPhoneBackupFolder(const std::string& folder);

struct IPhoneBackupFiles {
    std::string Database;  // the Messages database
    std::string Wal;       // its write-ahead log, when the backup holds one
};

// Finds the Messages database of the backup: 0; EncryptedBackupCode when `Manifest.plist`
// says IsEncrypted; NotValidFileCode when the manifest cannot be read or names no Messages
// database, or the file it names is missing.
int FindIPhoneBackupMessages(const std::string& folder, IPhoneBackupFiles& files);

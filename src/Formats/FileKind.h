// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What kind of file an import has, told from its first bytes alone.
#include <string_view>

enum class FileKind {
    SmsBackup,         // XML: a phone backup, or an XML file the backup reader refuses
    CsvExport,         // Kestro's own CSV export
    AddressBook,       // vCard
    MessagesDatabase,  // SQLite: an iPhone's Messages database, or a database the reader refuses
    SuiteExport,       // a phone suite's CSV export of messages or contacts (or an empty file)
    Unknown,           // none of the formats Kestro reads
};

// The kind of a file from its first bytes: up to 64 KiB, the whole file when it is shorter.
// A suite's export has no fixed header: it starts as text (its first four bytes after blank
// space are printable ASCII) and some byte stands between two double quotes (a separator
// between quoted fields: without one its import takes no line); a file of nothing but
// blank space is one too, holding no message.
FileKind KindOfFile(std::string_view head);

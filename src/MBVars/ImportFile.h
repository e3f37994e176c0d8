// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one door of every import: the kind of a file is told by its content, and the file
// goes to the reader of that kind.
#include <cstdint>
#include <string>

#include "Formats/SmsBackupImport.h"
#include "MBVars/Store.h"

struct ImportFileReport {
    std::int32_t DroppedWhenFull = 0;  // an export's new lines that found the store full
    ImportNotTaken NotTaken;           // every message the file held that was left out, by reason
    bool Backup = false;               // the file was a phone's XML backup
    SmsBackupReport BackupReport;      // when it was
};

// A phone's XML backup (an XML file whose root is `smses`) is read as one; any other XML
// file gives NotValidFileCode; everything else is read as a suite's CSV export. 0, or the
// failure code; a damaged backup gives 0 after adding what was read before the damage, and
// says so in the report. `progress` is asked between the chunks of a backup.
int ImportFile(MsgStore& S, const std::string& path, ImportFileReport& report, const BackupProgress& progress = {});

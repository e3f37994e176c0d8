// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportFile.h"

#include "MBVars/Import.h"
#include "OFuncs/IoError.h"

int ImportFile(MsgStore& S, const std::string& path, ImportFileReport& report, const BackupProgress& progress) {
    report = ImportFileReport{};
    if (LooksLikeXmlFile(path)) {
        report.Backup = true;
        if (const int err = ImportSmsBackup(S, path, report.BackupReport, progress)) return err;
        report.NotTaken = NotTakenOf(report.BackupReport);
        return report.BackupReport.Read.End == BackupEnd::NotBackup ? NotValidFileCode : 0;
    }
    const int code = ImportCsvFile(S, path, report.NotTaken);
    report.DroppedWhenFull = static_cast<std::int32_t>(report.NotTaken[NotTakenReason::PastCapacity]);
    return code;
}

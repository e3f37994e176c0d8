// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportFile.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>

#include "Formats/CsvExportImport.h"
#include "Formats/FileKind.h"
#include "Formats/IPhoneBackup.h"
#include "Formats/IPhoneMessages.h"
#include "Formats/ImportVCard.h"
#include "Formats/MediaWriter.h"
#include "MBVars/Import.h"
#include "MBVars/ImportSource.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"

namespace {
// The reading of a backup, once its kind is known: `read` set, or the failure code.
struct OpenedBackup {
    int Code = 0;
    BackupRead Read;
};

// A folder: an iPhone backup's Messages database; any other folder is no file to import.
OpenedBackup OpenFolder(const std::string& path) {
    if (!IsIPhoneBackupFolder(path)) return {EISDIR, {}};
    IPhoneBackupFiles files;
    if (const int err = FindIPhoneBackupMessages(path, files)) return {err, {}};
    return {0, [files](const BackupMessageSink& sink, BackupReadResult& result, const BackupProgress& progress) {
                return ReadIPhoneMessagesFile(files.Database, files.Wal, sink, result, progress);
            }};
}

OpenedBackup OpenDatabase(const std::string& path) {
    return {0, [path](const BackupMessageSink& sink, BackupReadResult& result, const BackupProgress& progress) {
                return ReadIPhoneMessagesFile(path, path + "-wal", sink, result, progress);
            }};
}

OpenedBackup OpenXml(FileReader& file, MediaWriter* writer) {
    return {0, [&file, writer](const BackupMessageSink& sink, BackupReadResult& result, const BackupProgress& progress) {
                ReadSmsBackupFrom(file, sink, result, progress, writer);
                return 0;
            }};
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// The default taking of a backup: the newest that fit.
int AddNewest(MsgStore& S, const BackupRead& read, SmsBackupReport& report, MediaWriter* writer, MediaIndex* media) {
    BackupSelection selection(S);
    if (const int err = read([&](BackupMessage& m) { selection.Offer(m); }, report.Read, {})) return err;
    if (report.Read.End == BackupEnd::NotBackup || report.Read.End == BackupEnd::Stopped) return 0;
    report.Added = selection.AddTo(S, media);
    if (writer) writer->RemoveUnused(media ? *media : MediaIndex());
    report.OlderNotImported = selection.OlderLeftOut();
    report.AlreadyHeld = selection.AlreadyHeld();
    return 0;
}

int TakeBackup(MsgStore& S, const OpenedBackup& opened, ImportFileReport& report, const BackupTaker& take,
               MediaWriter* writer = nullptr, MediaIndex* media = nullptr) {
    if (opened.Code) return opened.Code;
    report.Backup = true;
    int code = 0;
    try {
        code = take ? take(opened.Read, report.BackupReport) : AddNewest(S, opened.Read, report.BackupReport, writer, media);
    } catch (...) {
        if (writer) writer->RemoveUnused(media ? *media : MediaIndex());
        throw;
    }
    if (code && writer) writer->RemoveUnused(media ? *media : MediaIndex());
    if (code) return code;
    report.NotTaken = NotTakenOf(report.BackupReport);
    return report.BackupReport.Read.End == BackupEnd::NotBackup ? NotValidFileCode : 0;
}
}  // namespace

int ImportFile(MsgStore& S, const std::string& path, ImportFileReport& report, const BackupTaker& take,
               MediaWriter* writer, MediaIndex* media) {
    report = ImportFileReport{};
    if (IsFolder(path)) return TakeBackup(S, OpenFolder(path), report, take);
    FileReader file;
    if (const int err = file.Open(path, true)) return err;
    try {
        const FileKind kind = KindOfFile(file.Head());
        // Exports and address books are read whole: a larger file is none Kestro can hold.
        if (kind != FileKind::MessagesDatabase && kind != FileKind::SmsBackup && file.Size() > MaxImportFileSize)
            return EFBIG;
        switch (kind) {
            case FileKind::MessagesDatabase: return TakeBackup(S, OpenDatabase(path), report, take);
            case FileKind::SmsBackup: return TakeBackup(S, OpenXml(file, writer), report, take, writer, media);
            case FileKind::CsvExport: return ImportCsvExportFrom(S, file, path, report.NotTaken).value_or(0);
            case FileKind::AddressBook: return ImportVCardFrom(S, file, path);
            case FileKind::SuiteExport: return ImportCsvFrom(S, file, path, report.NotTaken);
            case FileKind::Unknown: return NotValidFileCode;
        }
    } catch (const IoError& e) {
        throw e.In(path, "import");
    }
    return NotValidFileCode;
}

int ReadBackupFile(const std::string& path, const BackupMessageSink& sink, BackupReadResult& result,
                   const BackupProgress& progress, MediaWriter* writer) {
    result = BackupReadResult{};
    FileReader file;
    OpenedBackup opened;
    if (IsFolder(path)) {
        opened = OpenFolder(path);
    } else {
        if (const int err = file.Open(path)) return err;
        const FileKind kind = KindOfFile(file.Head());
        opened = kind == FileKind::MessagesDatabase ? OpenDatabase(path)
                 : kind == FileKind::SmsBackup      ? OpenXml(file, writer)
                                                    : OpenedBackup{NotValidFileCode, {}};
    }
    if (opened.Code) return opened.Code;
    if (const int err = opened.Read(sink, result, progress)) return err;
    return result.End == BackupEnd::NotBackup ? NotValidFileCode : 0;
}

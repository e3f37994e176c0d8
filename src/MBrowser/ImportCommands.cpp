// SPDX-License-Identifier: GPL-3.0-or-later
// File "Add files ..." and "Add folder...": importing phone backups, phone-suite exports and address books.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <memory>
#include <utility>

#include "Formats/AddressBook.h"
#include "Formats/BackupYearSplit.h"
#include "Formats/IPhoneBackup.h"
#include "MBVars/People.h"
#include "Formats/MediaWriter.h"
#include "MBVars/HistoryWriteInBackground.h"
#include "MBVars/ImportFile.h"
#include "MBVars/ImportNotTaken.h"
#include "MBrowser/BackupReadProgress.h"
#include "MBVars/LoadSequences.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/IoError.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString CsvExtension = QStringLiteral("csv");
const QString AddressBookExtension = QStringLiteral("vcf");
// The first choice takes every kind at once, so messages and their address book can be
// picked together.
const QString ImportFilter = QStringLiteral(
    "Messages and address books (*.csv *.xml *.vcf *.db);;Messages (*.csv *.xml *.db);;vCard Files (*.vcf);;All files (*)");
const QString Successful = QStringLiteral(" - Successful");

// The report's line for a file refused for what it holds; empty for any other result.
QString RefusedByContent(int code) {
    if (code == NotValidFileCode) return QLatin1Char(' ') + QString::fromUtf8(NotAnyFormat);
    if (code == EncryptedBackupCode) return QLatin1Char(' ') + QString::fromUtf8(EncryptedBackup);
    return {};
}

QString FromPath(const std::string& path) { return QString::fromStdString(path); }

// The report's lines of what the import left out, each after a line break.
QString NotTakenText(const ImportNotTaken& notTaken) {
    QString text;
    for (const std::string& line : NotTakenLines(notTaken)) text += CrLf + QString::fromStdString(line);
    return text;
}
QByteArray Utf8(const QString& text) { return text.toUtf8(); }

// When the full collection dropped lines, the finishing sequence may free room again (blocked
// messages and duplicates removed): the report then says where every message went, so that
// the lines left out are not taken for lines that could not have fitted.
QString DroppedAccount(std::int32_t before, std::int32_t added, std::int32_t dropped, const FinishImportResult& finished,
                       std::int32_t after) {
    if (dropped <= 0 || before < 0) return {};
    QString text = CrLf + QStringLiteral("%1 messages before + %2 added - %3 blocked - %4 duplicates removed = %5 messages.")
                       .arg(before)
                       .arg(added)
                       .arg(finished.Blocked)
                       .arg(finished.DuplicatesRemoved)
                       .arg(after);
    const std::int32_t room = MaxMessages - after;
    if (room > 0)
        text += CrLf + QStringLiteral("The collection has room for %1 more messages now.").arg(room);
    return text;
}

}  // namespace

void TMBForm::ImportMainMenuClick() {
    const QStringList files = Dlg.OpenFiles(
        {QStringLiteral("Add phone backups, exports and address books - keep Ctrl key down to select several files"), FromPath(Set.ImportDir),
         QString(), ImportFilter, CsvExtension});
    if (files.isEmpty()) return;
    ImportChosenFiles(files);
}

void TMBForm::ImportChosenFiles(const QStringList& files) {
    Set.ImportDir = QFileInfo(files.front()).absolutePath().toStdString();
    EndScreenScrambling();  // the new texts arrive plain

    int imported = 0;
    QString report;
    const MsgStore before = S;  // what Cancel gives back
    MediaBeforeImport = Media;
    std::int32_t droppedInAll = 0;
    ImportNotTaken notTaken;
    YearFilesWritten aside;  // backups too large for the collection, written by year
    try {
        for (const QString& file : files) {
            // A file that cannot be read is left out of the report.
            QString result, notes;
            std::int32_t dropped = 0;
            const int code = ImportOneFile(file, result, notes, dropped, notTaken, aside);
            if (code == ECANCELED) return CancelImport(before, aside);
            if (const QString refused = RefusedByContent(code); !refused.isEmpty())
                report += QFileInfo(file).fileName() + refused + CrLf;
            if (code != 0) continue;
            ++imported;
            droppedInAll += dropped;
            report += QFileInfo(file).fileName() + result + CrLf + notes;
        }
    } catch (...) {
        RestoreAfterFailedImport(before);
        throw;
    }
    FinishImporting(imported, report, before.MessageCount, droppedInAll, aside, &notTaken);
}

void TMBForm::ImportFolderMainMenuClick() {
    const QString prompt = QString::asprintf("Select the folder to add (.%s) files from:", Utf8(CsvExtension).constData());
    const QString folder = Dlg.BrowseFolder(prompt, FromPath(Set.ImportDir));
    if (folder.isEmpty()) return;
    Set.ImportDir = folder.toStdString();

    // An iPhone backup folder is one import of its own.
    if (IsIPhoneBackupFolder(folder.toStdString())) return ReadSelectedFiles(folder + CrLf);
    QString list;
    // Phone backups (.xml, an iPhone's .db and backup folders) and address books (.vcf) are
    // taken beside the exports.
    const int count = ReadFilesFromFolder(folder, list, CsvExtension) + ReadFilesFromFolder(folder, list, QStringLiteral("xml")) +
                      ReadFilesFromFolder(folder, list, QStringLiteral("db")) +
                      ReadFilesFromFolder(folder, list, AddressBookExtension) + ReadBackupFolders(folder, list);
    if (count == 0) {
        Dlg.ShowInfo(QString::asprintf("No .%s files found in folder %s.", Utf8(CsvExtension).constData(),
                                       Utf8(folder).constData()));
        return;
    }
    const QString question =
        QString::asprintf("%d files found in folder%s%s%s:%s%s%s%sDo you want to add them now?", count,
                          "\r\n", "\r\n", Utf8(folder).constData(), "\r\n", "\r\n", Utf8(list).constData(), "\r\n");
    if (!Dlg.AskYesNo(question)) return;
    ReadSelectedFiles(list);
}

int TMBForm::ImportOneFile(const QString& path, QString& result, QString& notes, std::int32_t& dropped,
                           ImportNotTaken& notTaken, YearFilesWritten& aside) {
    const std::string file = path.toStdString();
    ImportFileReport report;
    // The media of a phone backup go into the collection's media folder while it is read;
    // those of the messages not taken go again at once.
    MediaWriter media(Media.Folder());
    int code = 0;
    try {
        code = ImportFile(S, file, report, [&](const BackupRead& read, SmsBackupReport& backup) {
            return TakeBackupWithProgress(path, read, backup, aside, &media);
        }, &media, &Media);
    } catch (...) {
        media.RemoveUnused(MediaBeforeImport);
        throw;
    }
    media.RemoveUnused(code == ECANCELED ? MediaBeforeImport : Media);
    if (code == ECANCELED) return code;
    if (code == OutOfMemoryCode) throw IoError(FileErrorReason(code), file, "import");
    if (code == EFBIG) ReportError(QString::fromStdString(FileErrorText("import", file, FileErrorReason(code))));
    const BackupReadResult& read = report.BackupReport.Read;
    result = Successful;
    if (report.Backup && read.End == BackupEnd::Damaged)
        result = read.Line > 0 ? QStringLiteral(" - Damaged: reading stopped at line %1 (%2)")
                                     .arg(read.Line)
                                     .arg(QString::fromStdString(read.Reason))
                               : QStringLiteral(" - Damaged: reading stopped (%1)").arg(QString::fromStdString(read.Reason));
    notes = std::exchange(aside.Notes, {});
    dropped = report.Backup ? 0 : static_cast<std::int32_t>(report.NotTaken[NotTakenReason::PastCapacity]);
    notTaken += report.NotTaken;
    return code;
}

int TMBForm::TakeBackupWithProgress(const QString& path, const BackupRead& read, SmsBackupReport& backup,
                                    YearFilesWritten& aside, MediaWriter* media) {
    // Read on a helper thread, which only reads the store; the messages are added here.
    // Only the newest that fit are kept while reading: a backup too large for the collection
    // is read again, by year, when the user asks for one file per year, so that the window
    // never holds every message of a large backup at once.
    BackupSelection selection(S);
    const int code = ReadWithProgress(this, path, [&](const BackupProgress& progress) {
        return read([&](BackupMessage& m) { selection.Offer(m); }, backup.Read, progress);
    });
    if (code != 0) return code;
    if (backup.Read.End == BackupEnd::Stopped) return ECANCELED;
    if (backup.Read.End == BackupEnd::NotBackup) return 0;  // refused by ImportFile
    if (selection.OlderLeftOut() > 0) {
        std::unique_ptr<BackupYearSplit> split;
        const YearSplitOnDemand years = [&]() -> BackupYearSplit* {
            if (split) return split.get();
            auto fresh = std::make_unique<BackupYearSplit>(S);
            BackupReadResult again;
            const std::string file = path.toStdString();
            const int err = ReadWithProgress(this, path, [&](const BackupProgress& progress) {
                return ReadBackupFile(file, [&](BackupMessage& m) { fresh->Offer(m); }, again, progress, media);
            });
            if (err == ECANCELED || again.End == BackupEnd::Stopped) return nullptr;
            if (err != 0 || again.End != backup.Read.End) {
                Dlg.ShowError(QString::fromStdString(
                    FileErrorText("read", file, err != 0 ? FileErrorReason(err) : "it changed since it was first read")));
                return nullptr;
            }
            split = std::move(fresh);
            return split.get();
        };
        const BackupChoice choice = AskWhenBackupDoesNotFit(path, selection, years, aside);
        if (choice == BackupChoice::Cancel) return ECANCELED;
        if (choice == BackupChoice::ByYear) return 0;
    }
    backup.Added = selection.AddTo(S, &Media);
    backup.OlderNotImported = selection.OlderLeftOut();
    backup.AlreadyHeld = selection.AlreadyHeld();
    return 0;
}

void TMBForm::RestoreAfterFailedImport(const MsgStore& before) {
    S = before;
    Media = MediaBeforeImport;
    ReserveRoom(S);  // the copy holds only its slots
    UpdateMessageView();
}

void TMBForm::CancelImport(const MsgStore& before, const YearFilesWritten& aside) {
    S = before;
    Media = MediaBeforeImport;
    ReserveRoom(S);  // the copy holds only its slots
    UpdateMessageView();
    // Files already written stay: complete, and the user may want them.
    if (!aside.Files.isEmpty())
        Dlg.ShowInfo(QStringLiteral("The import was cancelled; the collection is as it was. These files were written before:") +
                     CrLf + aside.Files);
}

int TMBForm::ReadFilesFromFolder(const QString& folder, QString& list, const QString& extension) {
    // Every kind of entry counts, folders included, as a directory search by pattern finds
    // them; names are listed in alphabetical order, and the extension matches in any case.
    const QDir dir(folder, QStringLiteral("*.") + extension, QDir::Name | QDir::IgnoreCase,
                   QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QStringList names = dir.entryList();
    for (const QString& name : names) list += name + CrLf;
    return static_cast<int>(names.size());
}

int TMBForm::ReadBackupFolders(const QString& folder, QString& list) {
    const QDir dir(folder, QString(), QDir::Name | QDir::IgnoreCase, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    int count = 0;
    for (const QString& name : dir.entryList()) {
        if (!IsIPhoneBackupFolder((folder + QLatin1Char('/') + name).toStdString())) continue;
        list += name + CrLf;
        ++count;
    }
    return count;
}

void TMBForm::ReadSelectedFiles(const QString& list) {
    EndScreenScrambling();  // the new texts arrive plain
    QStringList items = list.split(CrLf);
    items.removeLast();  // what follows the last CR LF is no item
    int imported = 0;
    QString report;
    const MsgStore before = S;  // what Cancel gives back
    MediaBeforeImport = Media;
    std::int32_t droppedInAll = 0;
    ImportNotTaken notTaken;
    YearFilesWritten aside;  // backups too large for the collection, written by year
    try {
        for (const QString& item : items) {
            const QString path = item.contains(QLatin1Char('/')) ? item : FromPath(Set.ImportDir) + QLatin1Char('/') + item;
            report += item;
            QString result, notes;
            std::int32_t dropped = 0;
            const int code = ImportOneFile(path, result, notes, dropped, notTaken, aside);
            if (code == ECANCELED) return CancelImport(before, aside);
            if (code == 0) {
                report += result;
                ++imported;
            } else if (const QString refused = RefusedByContent(code); !refused.isEmpty()) {
                report += refused;  // our words for a file of no kind an import reads
            } else {
                // The system's reason for a file it could not read.
                report += QStringLiteral(" - ") + QString::fromStdString(FileErrorReason(code));
            }
            droppedInAll += dropped;
            report += CrLf + notes;
        }
    } catch (...) {
        RestoreAfterFailedImport(before);
        throw;
    }
    FinishImporting(imported, report, before.MessageCount, droppedInAll, aside, &notTaken);
}

void TMBForm::FinishImporting(int importCount, const QString& report, std::int32_t countBefore, std::int32_t dropped,
                              const YearFilesWritten& aside, const ImportNotTaken* filesNotTaken) {
    if (aside.Backups > 0 && aside.Backups == importCount) {
        // Every file went to year files: the collection is not touched, not even sorted.
        FormPaint();
        ReportAndOfferYearFile(report + QStringLiteral("The collection is unchanged.") +
                                   (filesNotTaken ? NotTakenText(*filesNotTaken) : QString()),
                               aside);
        return;
    }
    if (importCount == 0 && aside.Backups == 0) {
        // Nothing came in: the collection is not finished, sorted or marked as changed.
        FormPaint();
        ReportAndOfferYearFile(QString::asprintf("0 file(s) imported: %s%s%s%d messages (%d sent, %d received, %d blocked), %s",
                                                 "\r\n", Utf8(report).constData(), "\r\n", S.MessageCount, S.SentCount,
                                                 S.ReceivedCount, 0, PeopleCountText(GroupPeople(S)).c_str()),
                               aside);
        return;
    }
    SetDetailLine(QStringLiteral("Importing and sorting - please wait ..."));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // The history file is written while the window repaints; its result codes are not
    // reported, but a write that fails is, instead of the import's report.
    HistoryWriteInBackground history;
    const std::int32_t added = S.MessageCount - countBefore;
    const FinishImportResult finished =
        FinishImport(S, D, FinishImportOptions{D.UseHistory, D.RemoveDups, HistoryPath(), &history});
    FollowInternationalForms(Media, S.Book.HomeCountry);
    const std::int32_t blocked = finished.Blocked;
    ImportNotTaken notTaken = filesNotTaken ? *filesNotTaken : ImportNotTaken{};
    finished.AddTo(notTaken);
    ShowEverythingNewestFirst();
    KeepOneRow(1);  // the newest message
    FormPaint();
    history.Finish();
    const bool opened = ReportAndOfferYearFile(
        QString::asprintf("%d file(s) imported: %s%s%s%d messages (%d sent, %d received, %d blocked), %s",
                          importCount, "\r\n", Utf8(report + QString::fromStdString(TakeAddressBookReport(S.Book))).constData(), "\r\n", S.MessageCount, S.SentCount,
                          S.ReceivedCount, blocked, PeopleCountText(GroupPeople(S)).c_str()) +
            NotTakenText(notTaken) + DroppedAccount(countBefore, added, dropped, finished, S.MessageCount),
        aside);
    TellHistoryKeptAside();
    if (opened) return;  // the colours are the opened file's
    // Colours are offered only for messages there are.
    if (S.MessageCount > 0 && S.ColoredCount == 0 && Dlg.AskYesNo(QStringLiteral("Do you want to set contacts colours automatically?"))) {
        ColorsAutomaticClick();
        D.ColorMode = 2;  // contact colours
        UpdateMessageView();
        UpdateMenus();
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// File "Add files ..." and "Add folder...": importing phone backups, phone-suite exports and address books.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <utility>

#include "Formats/AddressBook.h"
#include "Formats/BackupYearSplit.h"
#include "MBVars/HistoryWriteInBackground.h"
#include "MBVars/ImportFile.h"
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
const QString ImportFilter = QStringLiteral("Messages and address books (*.csv *.xml *.vcf);;Messages (*.csv *.xml);;vCard Files (*.vcf)");
const QString Successful = QStringLiteral(" - Successful");
const QString NotImported = QStringLiteral(" - Not a valid file or busy");

QString FromPath(const std::string& path) { return QString::fromStdString(path); }

// The report line under a file whose messages did not all fit; nothing when they did.
QString DroppedWhenFull(std::int32_t dropped) {
    if (dropped <= 0) return {};
    return QStringLiteral("    %1 message lines not imported: the collection is full (%2 messages)")
               .arg(dropped)
               .arg(MaxMessages) +
           CrLf;
}

// The report lines under a phone backup: what it passed over and what did not fit.
QString BackupNotes(const SmsBackupReport& r) {
    QString notes;
    if (r.OlderNotImported > 0)
        notes += QStringLiteral("    %1 older messages not imported: the collection is full (%2 messages)")
                     .arg(r.OlderNotImported)
                     .arg(MaxMessages) +
                 CrLf;
    if (r.Read.OtherTypes > 0)
        notes += QStringLiteral("    %1 drafts, unsent or failed messages passed over").arg(r.Read.OtherTypes) + CrLf;
    if (r.Read.WithoutContent > 0)
        notes += QStringLiteral("    %1 messages without phone or text passed over").arg(r.Read.WithoutContent) + CrLf;
    return notes;
}
QByteArray Utf8(const QString& text) { return text.toUtf8(); }

// When the full collection dropped lines, the finishing sequence may free room again (blocked
// messages and duplicates removed): the report then says where every message went, so that
// the lines left out are not taken for lines that could not have fitted.
QString DroppedAccount(std::int32_t before, std::int32_t added, std::int32_t dropped, const FinishImportResult& finished,
                       std::int32_t after) {
    if (dropped <= 0 || before < 0) return {};
    QString text = CrLf + QStringLiteral("%1 message lines were not imported: the collection was full (%2 messages).")
                              .arg(dropped)
                              .arg(MaxMessages);
    text += CrLf + QStringLiteral("%1 messages before + %2 added - %3 blocked - %4 duplicates removed = %5 messages.")
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
    std::int32_t droppedInAll = 0;
    YearFilesWritten aside;  // backups too large for the collection, written by year
    for (const QString& file : files) {
        // A file that cannot be read is left out of the report.
        QString result, notes;
        std::int32_t dropped = 0;
        const int code = ImportOneFile(file, result, notes, dropped, aside);
        if (code == ECANCELED) return CancelImport(before, aside);
        if (code != 0) continue;
        ++imported;
        droppedInAll += dropped;
        report += QFileInfo(file).fileName() + result + CrLf + notes;
    }
    FinishImporting(imported, report, before.MessageCount, droppedInAll, aside);
}

void TMBForm::ImportFolderMainMenuClick() {
    const QString prompt = QString::asprintf("Select the folder to add (.%s) files from:", Utf8(CsvExtension).constData());
    const QString folder = Dlg.BrowseFolder(prompt, FromPath(Set.ImportDir));
    if (folder.isEmpty()) return;
    Set.ImportDir = folder.toStdString();

    QString list;
    // Phone backups (.xml) and address books (.vcf) are taken beside the exports.
    const int count = ReadFilesFromFolder(folder, list, CsvExtension) + ReadFilesFromFolder(folder, list, QStringLiteral("xml")) +
                      ReadFilesFromFolder(folder, list, AddressBookExtension);
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
                           YearFilesWritten& aside) {
    const std::string file = path.toStdString();
    ImportFileReport report;
    const int code = LooksLikeXmlFile(file) ? ImportBackupWithProgress(path, report, aside) : ImportFile(S, file, report);
    if (code == ECANCELED) return code;
    if (code == OutOfMemoryCode) throw IoError(FileErrorReason(code), file, "import");
    if (code == EFBIG) ReportError(QString::fromStdString(FileErrorText("import", file, FileErrorReason(code))));
    const BackupReadResult& read = report.BackupReport.Read;
    result = Successful;
    if (report.Backup && read.End == BackupEnd::Damaged)
        result = QStringLiteral(" - Damaged: reading stopped at line %1 (%2)")
                     .arg(read.Line)
                     .arg(QString::fromStdString(read.Reason));
    notes = std::exchange(aside.Notes, {}) +
            (report.Backup ? BackupNotes(report.BackupReport) : DroppedWhenFull(report.DroppedWhenFull));
    dropped = report.Backup ? 0 : report.DroppedWhenFull;
    return code;
}

int TMBForm::ImportBackupWithProgress(const QString& path, ImportFileReport& report, YearFilesWritten& aside) {
    // Read on a helper thread, which only reads the store; the messages are added here.
    report.Backup = true;
    SmsBackupReport& backup = report.BackupReport;
    // One reading fills both the newest that fit and the years, so that a backup too large
    // for the collection can go to one file per year without being read again.
    BackupSelection selection(S);
    BackupYearSplit years(S);
    const int code = ReadWithProgress(this, path, [&](const BackupProgress& progress) {
        return ReadSmsBackupBothWays(path.toStdString(), selection, years, backup.Read, progress);
    });
    if (code != 0) return code;
    if (backup.Read.End == BackupEnd::Stopped) return ECANCELED;
    if (backup.Read.End == BackupEnd::NotBackup) return NotValidFileCode;
    if (selection.OlderLeftOut() > 0) {
        const BackupChoice choice = AskWhenBackupDoesNotFit(path, selection, years, aside);
        if (choice == BackupChoice::Cancel) return ECANCELED;
        if (choice == BackupChoice::ByYear) return 0;
    }
    backup.OlderNotImported = selection.OlderLeftOut();
    backup.Added = selection.AddTo(S);
    return 0;
}

void TMBForm::CancelImport(const MsgStore& before, const YearFilesWritten& aside) {
    S = before;
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

void TMBForm::ReadSelectedFiles(const QString& list) {
    EndScreenScrambling();  // the new texts arrive plain
    QStringList items = list.split(CrLf);
    items.removeLast();  // what follows the last CR LF is no item
    int imported = 0;
    QString report;
    const MsgStore before = S;  // what Cancel gives back
    std::int32_t droppedInAll = 0;
    YearFilesWritten aside;  // backups too large for the collection, written by year
    for (const QString& item : items) {
        const QString path = item.contains(QLatin1Char('/')) ? item : FromPath(Set.ImportDir) + QLatin1Char('/') + item;
        report += item;
        QString result, notes;
        std::int32_t dropped = 0;
        const int code = ImportOneFile(path, result, notes, dropped, aside);
        if (code == ECANCELED) return CancelImport(before, aside);
        if (code == 0) {
            report += result;
            ++imported;
        } else {
            report += NotImported;
        }
        droppedInAll += dropped;
        report += CrLf + notes;
    }
    FinishImporting(imported, report, before.MessageCount, droppedInAll, aside);
}

void TMBForm::FinishImporting(int importCount, const QString& report, std::int32_t countBefore, std::int32_t dropped,
                              const YearFilesWritten& aside) {
    if (aside.Backups > 0 && aside.Backups == importCount) {
        // Every file went to year files: the collection is not touched, not even sorted.
        FormPaint();
        ReportAndOfferYearFile(report + QStringLiteral("The collection is unchanged."), aside);
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
    const std::int32_t blocked = finished.Blocked;
    ShowEverythingNewestFirst();
    KeepOneRow(1);  // the newest message
    FormPaint();
    history.Finish();
    const bool opened = ReportAndOfferYearFile(
        QString::asprintf("%d file(s) imported: %s%s%s%d messages (%d sent, %d received, %d blocked), %d contacts",
                          importCount, "\r\n", Utf8(report + QString::fromStdString(TakeAddressBookReport(S.Book))).constData(), "\r\n", S.MessageCount, S.SentCount,
                          S.ReceivedCount, blocked, S.ContactCount) +
            DroppedAccount(countBefore, added, dropped, finished, S.MessageCount),
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

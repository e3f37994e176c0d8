// File "Add files ..." and "Add folder...": importing phone-suite exports.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "MBVars/AddressBook.h"
#include "MBVars/HistoryWriteInBackground.h"
#include "MBVars/Import.h"
#include "MBVars/LoadSequences.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/IoError.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString CsvExtension = QStringLiteral("csv");
const QString AddressBookExtension = QStringLiteral("vcf");
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
        {QStringLiteral("Add (.csv) files - keep Ctrl key down to select several files"), FromPath(Set.ImportDir),
         QString(), QStringLiteral("Comma Separated Files (*.csv);;vCard Files (*.vcf)"), CsvExtension});
    if (files.isEmpty()) return;
    ImportChosenFiles(files);
}

void TMBForm::ImportChosenFiles(const QStringList& files) {
    Set.ImportDir = QFileInfo(files.front()).absolutePath().toStdString();
    EndScreenScrambling();  // the new texts arrive plain

    int imported = 0;
    QString report;
    const std::int32_t before = S.MessageCount;
    std::int32_t droppedInAll = 0;
    for (const QString& file : files) {
        // A file that cannot be read is left out of the report.
        std::int32_t dropped = 0;
        if (ImportOneFile(file, dropped) != 0) continue;
        ++imported;
        droppedInAll += dropped;
        report += QFileInfo(file).fileName() + Successful + CrLf + DroppedWhenFull(dropped);
    }
    FinishImporting(imported, report, before, droppedInAll);
}

void TMBForm::ImportFolderMainMenuClick() {
    const QString prompt = QString::asprintf("Select the folder to add (.%s) files from:", Utf8(CsvExtension).constData());
    const QString folder = Dlg.BrowseFolder(prompt, FromPath(Set.ImportDir));
    if (folder.isEmpty()) return;
    Set.ImportDir = folder.toStdString();

    QString list;
    const int count = ReadFilesFromFolder(folder, list, CsvExtension) + ReadFilesFromFolder(folder, list, AddressBookExtension);
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

int TMBForm::ImportOneFile(const QString& path, std::int32_t& droppedWhenFull) {
    const std::string file = path.toStdString();
    const int result = ImportCsvFile(S, file, droppedWhenFull);
    if (result == OutOfMemoryCode) throw IoError(FileErrorReason(result), file, "import");
    if (result == EFBIG) ReportError(QString::fromStdString(FileErrorText("import", file, FileErrorReason(result))));
    return result;
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
    const std::int32_t before = S.MessageCount;
    std::int32_t droppedInAll = 0;
    for (const QString& item : items) {
        const QString path = item.contains(QLatin1Char('/')) ? item : FromPath(Set.ImportDir) + QLatin1Char('/') + item;
        report += item;
        std::int32_t dropped = 0;
        if (ImportOneFile(path, dropped) == 0) {
            report += Successful;
            ++imported;
        } else {
            report += NotImported;
        }
        droppedInAll += dropped;
        report += CrLf + DroppedWhenFull(dropped);
    }
    FinishImporting(imported, report, before, droppedInAll);
}

void TMBForm::FinishImporting(int importCount, const QString& report, std::int32_t countBefore, std::int32_t dropped) {
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
    Dlg.ShowInfo(QString::asprintf("%d file(s) imported: %s%s%s%d messages (%d sent, %d received, %d blocked), %d contacts",
                                   importCount, "
", Utf8(report + QString::fromStdString(TakeAddressBookReport(S.Book))).constData(), "
", S.MessageCount, S.SentCount,
                                   S.ReceivedCount, blocked, S.ContactCount) +
                 DroppedAccount(countBefore, added, dropped, finished, S.MessageCount));
    TellHistoryKeptAside();
    // Colours are offered only for messages there are.
    if (S.MessageCount > 0 && S.ColoredCount == 0 && Dlg.AskYesNo(QStringLiteral("Do you want to set contacts colours automatically?"))) {
        ColorsAutomaticClick();
        D.ColorMode = 2;  // contact colours
        UpdateMessageView();
        UpdateMenus();
    }
}

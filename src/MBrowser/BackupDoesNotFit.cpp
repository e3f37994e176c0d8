// SPDX-License-Identifier: GPL-3.0-or-later
// A phone backup with more new messages than the collection has room for: keep the newest
// that fit, write one data file per calendar year into a folder the user picks, or cancel.
#include <QFileInfo>
#include <QStringList>
#include <filesystem>
#include <set>

#include "Formats/BackupYearSplit.h"
#include "MBrowser/BackupReadProgress.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/IoError.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QStringList Choices = {QStringLiteral("&Keep the newest"), QStringLiteral("One file per &year..."),
                             QStringLiteral("Cancel")};

QString NameOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

// Whether anything, a broken link included, has the name already.
bool Taken(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

}  // namespace

TMBForm::BackupChoice TMBForm::AskWhenBackupDoesNotFit(const QString& path, const BackupSelection& selection,
                                                       const YearSplitOnDemand& years, YearFilesWritten& aside) {
    const QString file = QFileInfo(path).fileName();
    const std::size_t room = selection.Room();
    // A full collection can keep none: its question offers the years alone in words.
    const QString question =
        room == 0 ? QStringLiteral("%1 holds %2 new messages; the collection is full.").arg(file).arg(selection.NewMessages()) +
                        CrLf + CrLf +
                        QStringLiteral("Write one data file per year into a folder and leave the collection as it is?")
                  : QStringLiteral("%1 holds %2 new messages; the collection has room for %3.")
                            .arg(file)
                            .arg(selection.NewMessages())
                            .arg(room) +
                        CrLf + CrLf +
                        QStringLiteral("Keep the newest %1, or write one data file per year into a folder and leave "
                                       "the collection as it is?")
                            .arg(room);
    // A folder or replace question cancelled comes back here.
    for (;;) {
        const int choice = Dlg.AskChoice(question, Choices);
        if (choice == 0) return BackupChoice::KeepNewest;
        if (choice != 1) return BackupChoice::Cancel;
        const QString folder = Dlg.BrowseFolder(QStringLiteral("Select the folder to write one data file per year into:"),
                                                QFileInfo(path).absolutePath());  // beside the backup
        if (!folder.isEmpty() && WriteBackupYears(folder, years, aside)) return BackupChoice::ByYear;
    }
}

bool TMBForm::WriteBackupYears(const QString& folder, const YearSplitOnDemand& yearsOnDemand, YearFilesWritten& aside) {
    BackupYearSplit* split = yearsOnDemand();
    if (!split) return false;
    BackupYearSplit& years = *split;
    const std::string dir = folder.toStdString();
    const std::vector<int> all = years.Years();
    // Files there already are named in one question: Yes replaces them, No keeps them.
    std::set<int> kept;
    QString there;
    for (const int year : all)
        if (Taken(BackupYearSplit::PathOf(dir, year))) {
            kept.insert(year);
            there += NameOf(BackupYearSplit::PathOf(dir, year)) + CrLf;
        }
    if (!kept.empty()) {
        const SaveAnswer answer = Dlg.AskYesNoCancel(
            QStringLiteral("These files are in %1 already:").arg(folder) + CrLf + there + CrLf +
            QStringLiteral("Do you want to replace them? No leaves them as they are and writes the other years."));
        if (answer == SaveAnswer::Cancel) return false;
        if (answer == SaveAnswer::Yes) kept.clear();
    }

    // Written on a helper thread, with progress and Cancel, which stops before the next file.
    std::vector<YearFile> written;
    const YearWriting how{dir, FinishImportOptions{D.UseHistory, D.RemoveDups, {}, nullptr}, D.HomeCountry,
                          [&kept](int year) { return !kept.contains(year); }, {}, Media.Folder()};
    try {
        RunWithProgress(
            this,
            [&folder](std::uint64_t files, std::int64_t messages) {
                return QStringLiteral("Writing one data file per year into %1 ...\n%2 files written, %3 messages")
                    .arg(folder)
                    .arg(files)
                    .arg(messages);
            },
            [&](const BackupProgress& progress) {
                YearWriting reported = how;
                reported.Progress = progress;
                years.Write(reported, written);
                return 0;
            });
    } catch (const IoError& e) {
        Dlg.ShowError(QString::fromStdString(e.Text()));  // the files written before it stay, and are reported
    }

    ++aside.Backups;
    QString notes = QStringLiteral("    written as one data file per year into %1, not into the collection:").arg(folder) + CrLf;
    std::size_t next = 0;
    for (const int year : all) {
        const QString name = NameOf(BackupYearSplit::PathOf(dir, year));
        if (next < written.size() && written[next].Year == year) {
            const YearFile& file = written[next++];
            notes += QStringLiteral("    %1: %2 messages").arg(name).arg(file.Messages) + CrLf;
            aside.Files += QString::fromStdString(file.Path) + CrLf;
            if (year >= aside.NewestYear) {
                aside.NewestYear = year;
                aside.Newest = QString::fromStdString(file.Path);
            }
        } else {
            notes += QStringLiteral("    %1: %2").arg(name, kept.contains(year) ? QStringLiteral("already there, left as it was")
                                                                                 : QStringLiteral("not written")) +
                     CrLf;
        }
    }
    if (const std::int64_t older = years.OlderLeftOut(); older > 0)
        notes += QStringLiteral("    %1 older messages not written: a year had more than %2 messages").arg(older).arg(MaxMessages) +
                 CrLf;
    aside.Notes = notes;
    return true;
}

bool TMBForm::ReportAndOfferYearFile(const QString& report, const YearFilesWritten& aside) {
    if (aside.Newest.isEmpty()) {
        Dlg.ShowInfo(report);
        return false;
    }
    const QString offer = QStringLiteral("Do you want to open %1 now?").arg(QFileInfo(aside.Newest).fileName());
    if (!Dlg.AskYesNo(report + CrLf + CrLf + offer)) return false;
    // As File > Open: a modified collection is offered for saving first.
    if (AskToSave() == SaveAnswer::Cancel) return false;
    OpenDataFile(aside.Newest.toStdString());
    return true;
}

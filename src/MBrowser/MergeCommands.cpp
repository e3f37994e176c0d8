// SPDX-License-Identifier: GPL-3.0-or-later
// File "Merge phone backups...": several phone backups written as one, each message once.
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "Formats/BackupMerge.h"
#include "MBrowser/BackupReadProgress.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"

namespace {
const QString BackupFilter = QStringLiteral("Phone backups (*.xml);;All files (*)");

QString Joined(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << QString::fromStdString(line);
    return list.join(QLatin1Char('\n'));
}
}  // namespace

void TMBForm::MergeBackupsMainMenuClick() {
    const QStringList chosen = Dlg.OpenFiles({QStringLiteral("Merge phone backups - keep Ctrl key down to select several files"),
                                              QString::fromStdString(Set.ImportDir), QString(), BackupFilter,
                                              QStringLiteral("xml")});
    if (chosen.isEmpty()) return;
    const QString target = Dlg.SaveFile({QStringLiteral("Save the merged backup as"), QFileInfo(chosen.front()).absolutePath(),
                                         QStringLiteral("merged.xml"), BackupFilter, QStringLiteral("xml")});
    if (target.isEmpty()) return;
    std::vector<std::string> inputs;
    for (const QString& file : chosen) inputs.push_back(file.toStdString());
    const std::string output = target.toStdString();
    MergeOptions options;
    for (;;) {
        AtomicFileWriter writer;
        if (const int code = writer.Open(output)) {
            Dlg.ShowError(QString::fromStdString(FileErrorText("write", output, FileErrorReason(code))));
            return;
        }
        MergeResult result;
        const int code = RunWithProgress(
            this,
            [](std::uint64_t done, std::int64_t total) {
                const auto percent = total > 0 ? done * 100 / static_cast<std::uint64_t>(total) : 0;
                return QStringLiteral("Merging phone backups ...\n%1% done").arg(percent);
            },
            [&](const BackupProgress& progress) {
                options.Progress = [&](std::uint64_t done, std::uint64_t total) {
                    return progress(done, static_cast<std::int64_t>(total));
                };
                result = MergeBackupsInto(inputs, writer, options);
                return 0;
            },
            QStringLiteral("Merging"));
        // Cancel, even after the last byte: the temporary file goes with the writer.
        if (code == ECANCELED || result.End == MergeEnd::Stopped) return;
        const std::vector<std::string> lines = MergeReportLines(result, output);
        if (result.End == MergeEnd::Damaged && !options.SkipDamaged &&
            Dlg.AskYesNo(Joined(lines) + QStringLiteral("\n\nMerge what can be read of it?"), DefaultButton::No)) {
            options.SkipDamaged = true;
            continue;
        }
        if (result.End != MergeEnd::Written) {
            if (result.End != MergeEnd::Damaged) Dlg.ShowError(Joined(lines));
            return;
        }
        writer.Commit();
        Dlg.ShowInfo(Joined(lines));
        return;
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Files named on the command line: the data file opens instead of the last saved one, and
// the exports are imported once the window is shown.
#include <QFileInfo>
#include <QShowEvent>
#include <QTimer>
#include <utility>

#include "MBrowser/TMBForm.h"

namespace {
// Relative names are taken from the folder the program was started in.
QString AbsolutePath(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
}  // namespace

void TMBForm::ScheduleStartFiles() {
    if (Environment.StartDataFile.isEmpty() && Environment.StartExports.isEmpty()) return;
    // Taken up once. Not before the window is shown: the window's own start-up lets pending
    // events run, and an error box or the report must appear over the window, not before it.
    const QString dataFile = std::exchange(Environment.StartDataFile, QString());
    const QStringList exports = std::exchange(Environment.StartExports, QStringList());
    QTimer::singleShot(0, this, [this, dataFile, exports] {
        Safely([&] { OpenStartFiles(dataFile, exports); });
        LeaveFocusOnGrid();
    });
}

void TMBForm::OpenStartFiles(const QString& dataFile, const QStringList& exports) {
    if (!dataFile.isEmpty()) OpenDataFile(AbsolutePath(dataFile).toStdString());
    if (exports.isEmpty()) return;
    // Full paths: the report lists each as given to the import, as Add folder does.
    QString list;
    for (const QString& file : exports) list += AbsolutePath(file) + QStringLiteral("\r\n");
    ReadSelectedFiles(list);
}

// Files named on the command line: the data file opens instead of the last saved one, and
// the exports are imported once the window is shown.
#include <QFileInfo>
#include <QTimer>

#include "MBrowser/TMBForm.h"

namespace {
// Relative names are taken from the folder the program was started in.
QString AbsolutePath(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
}  // namespace

void TMBForm::ScheduleStartFiles() {
    if (Environment.StartDataFile.isEmpty() && Environment.StartExports.isEmpty()) return;
    // Once the event loop runs, so that an error box or the report appears over the window.
    QTimer::singleShot(0, this, [this] { Safely([this] { OpenStartFiles(); }); });
}

void TMBForm::OpenStartFiles() {
    if (!Environment.StartDataFile.isEmpty()) OpenDataFile(AbsolutePath(Environment.StartDataFile).toStdString());
    if (Environment.StartExports.isEmpty()) return;
    // Full paths: the report lists each as given to the import, as Add folder does.
    QString list;
    for (const QString& file : Environment.StartExports) list += AbsolutePath(file) + QStringLiteral("\r\n");
    ReadSelectedFiles(list);
}

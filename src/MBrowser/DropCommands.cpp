// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the window: message and contacts exports are imported as Add files
// imports them, one data file is opened as Open opens it. Anything else is refused
// without a message: the drag shows that the window does not take it.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "Formats/IPhoneBackup.h"
#include "MBrowser/TMBForm.h"

namespace {

struct DroppedFiles {
    enum class Kind { Nothing, Exports, DataFile };
    Kind What = Kind::Nothing;
    QStringList Paths;
};

// Only local, existing files, either all exports (.csv), phone backups (.xml, an iPhone's
// Messages database .db, an iPhone backup folder) and address books (.vcf), or a single
// data file (.kst).
DroppedFiles Classify(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return {};
    QStringList exports, dataFiles;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) return {};
        const QFileInfo file(url.toLocalFile());
        if (file.isDir() && IsIPhoneBackupFolder(file.absoluteFilePath().toStdString())) {
            exports << file.absoluteFilePath();
            continue;
        }
        if (!file.isFile()) return {};
        const QString suffix = file.suffix().toLower();
        if (suffix == QLatin1String("csv") || suffix == QLatin1String("xml") || suffix == QLatin1String("vcf") ||
            suffix == QLatin1String("db"))
            exports << file.absoluteFilePath();
        else if (suffix == QLatin1String("kst"))
            dataFiles << file.absoluteFilePath();
        else
            return {};
    }
    if (!exports.isEmpty() && dataFiles.isEmpty()) return {DroppedFiles::Kind::Exports, exports};
    if (exports.isEmpty() && dataFiles.size() == 1) return {DroppedFiles::Kind::DataFile, dataFiles};
    return {};
}

// The window copies what it reads; it never takes a move, which would let the source
// delete the user's file.
bool TakeAsCopy(QDropEvent* event) {
    for (Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

}  // namespace

void TMBForm::AcceptFileDrops() {
    setAcceptDrops(true);
    // A text box would take a dropped file's name as typed text, and the detail line's text
    // is the current message's: the window takes every drop itself.
    for (QLineEdit* box : findChildren<QLineEdit*>()) box->setAcceptDrops(false);
}

void TMBForm::dragEnterEvent(QDragEnterEvent* event) {
    if (Classify(event->mimeData()).What == DroppedFiles::Kind::Nothing)
        event->ignore();
    else
        TakeAsCopy(event);
}

void TMBForm::dragMoveEvent(QDragMoveEvent* event) {
    if (Classify(event->mimeData()).What == DroppedFiles::Kind::Nothing)
        event->ignore();
    else
        TakeAsCopy(event);
}

void TMBForm::dropEvent(QDropEvent* event) {
    const DroppedFiles dropped = Classify(event->mimeData());
    if (dropped.What == DroppedFiles::Kind::Nothing || !TakeAsCopy(event)) {
        event->ignore();
        return;
    }
    // The command asks and reports in modal boxes: it runs after the drop has ended, so
    // that the program the files came from is not kept waiting.
    QTimer::singleShot(0, this, [this, dropped] {
        ForgetLastEdit();
        Safely([this, &dropped] {
            if (dropped.What == DroppedFiles::Kind::Exports)
                ImportChosenFiles(dropped.Paths);
            else
                OpenDroppedDataFile(dropped.Paths.front());
        });
        LeaveFocusOnGrid();
    });
}

void TMBForm::OpenDroppedDataFile(const QString& path) {
    if (AskToSave() == SaveAnswer::Cancel) return;
    OpenDataFile(path.toStdString());
}

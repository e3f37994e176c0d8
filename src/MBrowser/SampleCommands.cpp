// SPDX-License-Identifier: GPL-3.0-or-later
// "Create sample files": the four sample exports, written and imported.
#include <QFileInfo>
#include <QStringList>

#include "MBVars/Samples.h"
#include "MBrowser/TMBForm.h"

void TMBForm::CreateSampleFilesClick() {
    // New first; the user's Cancel keeps the collection and the samples are added to it,
    // but a Yes whose saving did not happen stops here.
    bool yesButNotSaved = false;
    const SaveAnswer answer = AskToSave(yesButNotSaved);
    if (yesButNotSaved) return;
    if (answer != SaveAnswer::Cancel) StartUntitled();

    ReseedRandom();
    const std::string files =
        WriteSampleFiles(Set.DefaultDir + "/sample", FindWordList(ProgramDir), S.StartTime, Random);
    if (files.empty()) return;

    const QString list = QString::fromStdString(files);
    QStringList paths = list.split(QStringLiteral("\r\n"));
    paths.removeLast();  // what follows the last CR LF is no item
    QString numbered;
    for (int i = 0; i < paths.size(); ++i)
        numbered += QString::asprintf("%d. %s", i + 1, QFileInfo(paths[i]).fileName().toUtf8().constData()) +
                    QStringLiteral("\r\n");
    const QString question =
        QString::asprintf("The following sample files were created in folder%s%s%s:%s%s%s%sDo you want to import them now?",
                          "\r\n", "\r\n", Set.DefaultDir.c_str(), "\r\n", "\r\n", numbered.toUtf8().constData(), "\r\n");
    if (Dlg.AskYesNo(question)) ReadSelectedFiles(list);
}

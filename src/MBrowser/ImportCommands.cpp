// File "Add files ..." and "Add folder...": importing phone-suite exports.
#include "MBrowser/TMBForm.h"

void TMBForm::ImportMainMenuClick() {}

void TMBForm::ImportFolderMainMenuClick() {}

int TMBForm::ReadFilesFromFolder(const QString& /*folder*/, QString& /*list*/, const QString& /*extension*/) {
    return 0;
}

void TMBForm::ReadSelectedFiles(const QString& /*list*/) {}

// SPDX-License-Identifier: GPL-3.0-or-later
// New, Open, Save, Save as, and the question whether to save a modified collection.
#include <QString>
#include <cstring>
#include <filesystem>

#include "Formats/MediaFolder.h"
#include "MBVars/DataFile.h"
#include "MBVars/LoadSequences.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/IoError.h"

namespace fs = std::filesystem;

namespace {

const QString DataFileFilter = QStringLiteral("Data file (*.kst)");
const QString DataFileExtension = QStringLiteral("kst");

QString FromPath(const std::string& path) { return QString::fromStdString(path); }

}  // namespace

std::string TMBForm::UntitledPath() const { return DocumentsDir + "/" + ProgramTitle + "/" + "untitled.kst"; }

std::string TMBForm::MediaFolderFor(const std::string& path) const { return MediaFolderOf(path.empty() ? UntitledPath() : path); }

void TMBForm::SwitchMedia(const std::string& path, bool load) {
    Media.SetFolder(MediaFolderFor(path));
    if (!load) return;
    // A collection whose media cannot be read still opens: its messages show without them.
    if (const int error = Media.Load())
        ReportError(QString::fromStdString(
            FileErrorText("read", Media.Folder() + "/" + std::string(MediaIndexName), FileErrorReason(error))));
}

void TMBForm::EndScreenScrambling() {
    if (!ScreenScrambled) return;
    ScrambleTexts(S, TextMask);
    ScreenScrambled = false;
}

void TMBForm::RememberFileOnDisk(const std::string& path) {
    StampedFile = path;
    StampedOnDisk = StampOf(path);
}

bool TMBForm::MayReplaceChangedFile(const std::string& path) {
    if (path != StampedFile || StampOf(path) == StampedOnDisk) return true;
    return Dlg.AskYesNo(QStringLiteral("\"%1\" was changed on disk since it was opened or last saved. Do you want to "
                                       "replace it with this collection?")
                            .arg(FromPath(path)),
                        DefaultButton::No);
}

SaveAnswer TMBForm::AskToSave() {
    bool yesButNotSaved = false;
    return AskToSave(yesButNotSaved);
}

SaveAnswer TMBForm::AskToSave(bool& yesButNotSaved) {
    yesButNotSaved = false;
    if (!S.Modified) return SaveAnswer::No;
    const SaveAnswer answer =
        Dlg.AskYesNoCancel(QStringLiteral("You have modified your data. Do you want to save it on disk?"));
    // A Yes that saved nothing must not let the caller throw the collection away.
    if (answer == SaveAnswer::Yes && !SaveCollectionAs()) {
        yesButNotSaved = true;
        return SaveAnswer::Cancel;
    }
    return answer;
}

void TMBForm::StartUntitled() {
    ClearStore(S, D);
    ScreenScrambled = false;  // nothing is left to unscramble
    CurrentFile = UntitledPath();
    SwitchMedia(CurrentFile, false);  // its files there go at the next save
    ShowEverythingNewestFirst();
    KeepOneRow(1);
    LayOutAndRefresh();
}

void TMBForm::NewMainMenuClick() {
    if (AskToSave() == SaveAnswer::Cancel) return;
    StartUntitled();
}

void TMBForm::OpenMainMenuClick() {
    if (AskToSave() == SaveAnswer::Cancel) return;
    const std::string startFolder = CurrentFile.empty() ? Set.DefaultDir : fs::path(CurrentFile).parent_path().string();
    const QString chosen = Dlg.OpenFile(
        {QStringLiteral("Open file"), FromPath(startFolder), QString(), DataFileFilter, DataFileExtension});
    if (chosen.isEmpty()) return;
    OpenDataFile(chosen.toStdString());
}

void TMBForm::OpenDataFile(const std::string& path) {
    // The collection is replaced only by a file that could be read.
    std::string reason;
    try {
        if (const int error = OpenCollection(S, D, path)) reason = FileErrorReason(error);
    } catch (const IoError& e) {
        reason = e.what();
    } catch (const std::bad_alloc&) {
        reason = FileErrorReason(OutOfMemoryCode);
    }
    if (!reason.empty()) {
        Dlg.ShowError(QString::fromStdString(FileErrorText("open", path, reason)));
        return;
    }
    ScreenScrambled = false;  // the texts just read are plain
    CurrentFile = path;
    SwitchMedia(path, true);
    RememberFileOnDisk(path);
    ShowEverythingNewestFirst();
    KeepOneRow(1);  // the newest message
    FormPaint();
}

bool TMBForm::SaveCollection(const std::string& path) {
    if (!MayReplaceChangedFile(path)) return false;
    EndScreenScrambling();  // the file always receives the plain texts
    UpdateMenus();
    std::string reason, failed = path;
    // The media reach the new file's folder before the data file that needs them; the
    // index follows the data file, and only then do media no message uses go.
    MediaIndex media = Media;
    try {
        media.CopyTo(MediaFolderFor(path));
        if (const int error = WriteDataFile(S, path)) reason = FileErrorReason(error);
        if (reason.empty()) {
            failed = media.Folder();
            media.Save(S);
        }
    } catch (const IoError& e) {
        reason = e.what();
        if (!e.Path().empty()) failed = e.Path();
    } catch (const std::bad_alloc&) {
        reason = FileErrorReason(OutOfMemoryCode);
    }
    if (!reason.empty()) {
        Dlg.ShowError(QString::fromStdString(FileErrorText("save", failed, reason)));
        return false;
    }
    Media = std::move(media);
    D.LastSavedFile = path;
    RememberFileOnDisk(path);
    return true;
}

void TMBForm::SaveMainMenuClick() {
    if (CurrentFile.empty()) {
        SaveCollectionAs();  // no name yet: ask for one
        return;
    }
    SaveCollection(CurrentFile);
    FormPaint();
}

bool TMBForm::SaveCollectionAs() {
    const fs::path current(CurrentFile);
    const std::string folder = CurrentFile.empty() ? Set.DefaultDir : current.parent_path().string();
    const QString chosen = Dlg.SaveFile({QStringLiteral("Save file"), FromPath(folder),
                                         FromPath(current.filename().string()), DataFileFilter, DataFileExtension});
    if (chosen.isEmpty()) return false;
    const std::string path = chosen.toStdString();
    const bool saved = SaveCollection(path);
    if (saved) CurrentFile = path;  // a failed save leaves the collection with its old file
    FormPaint();
    return saved;
}

void TMBForm::SaveAsMainMenuClick() { SaveCollectionAs(); }

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every question, report and standard dialog of the program passes through this one
// interface: the windows ask, the desktop answers (QtDialogs), and the tests script the
// answers (ScriptedDialogs).
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class QDialog;
class QPrinter;

// Box titles and button captions.
inline const QString WarningTitle = QStringLiteral("Warning");
inline const QString ConfirmTitle = QStringLiteral("Confirm");
inline const QString InformationTitle = QStringLiteral("Information");
inline const QString ErrorTitle = QStringLiteral("Error");
inline const QString YesCaption = QStringLiteral("&Yes");
inline const QString NoCaption = QStringLiteral("&No");
inline const QString CancelCaption = QStringLiteral("Cancel");
inline const QString OkCaption = QStringLiteral("OK");

// The text a confirmation of `what` shows: "Are you sure " + what + "?".
inline QString ConfirmText(const QString& what) {
    return QStringLiteral("Are you sure ") + what + QStringLiteral("?");
}

enum class SaveAnswer { Yes, No, Cancel };
// A line shown under a text query's prompt and kept up to date as the user types: what
// the text typed so far leaves (say, the room left in a name).
using TextRemark = std::function<QString(const QString& typed)>;
// The button a question's Enter key presses: No where Yes would remove messages.
enum class DefaultButton { Yes, No };

// What an open-file or save-file dialog is started with. Filter in the desktop's form,
// e.g. "Data file (*.kst)".
struct FileRequest {
    QString Title;
    QString Folder;       // starting folder
    QString FileName;     // proposed name (save), usually empty (open)
    QString Filter;
    QString DefaultSuffix;  // without the dot, added when the user types none
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Warning box "Are you sure " + what + "?" with Yes and No; true on Yes.
    virtual bool AskConfirm(const QString& what) = 0;
    // Confirmation box showing text unchanged, Yes and No; true on Yes.
    virtual bool AskYesNo(const QString& text, DefaultButton preferred = DefaultButton::Yes) = 0;
    // Information box with one OK button.
    virtual void ShowInfo(const QString& text) = 0;
    // Error box (the general error handler: a failed command's reason).
    virtual void ShowError(const QString& text) = 0;
    // Warning box with Yes, No and Cancel (the question whether to save changes).
    virtual SaveAnswer AskYesNoCancel(const QString& text) = 0;
    // Question box with one button per caption, the first under Enter and the last under
    // Esc and the title bar's close box; the index of the button pressed.
    virtual int AskChoice(const QString& text, const QStringList& captions) = 0;

    // Full path of one existing file, or empty on cancel.
    virtual QString OpenFile(const FileRequest& request) = 0;
    // Full paths of one or more existing files, or empty on cancel.
    virtual QStringList OpenFiles(const FileRequest& request) = 0;
    // Full path to write to (the dialog asks before replacing a file), or empty on cancel.
    virtual QString SaveFile(const FileRequest& request) = 0;
    // An existing folder, or empty on cancel.
    virtual QString BrowseFolder(const QString& prompt, const QString& startFolder) = 0;
    // One line of text, or nothing on cancel; `remark`, when given, is shown under the
    // prompt for the text as it is typed.
    virtual std::optional<QString> QueryText(const QString& title, const QString& prompt,
                                             const QString& initial, const TextRemark& remark = {}) = 0;
    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;
    // The system print dialog, setting up `printer`; true when the user chose to print.
    virtual bool ChoosePrinter(QPrinter& printer) = 0;
    // The print preview of what `paint` draws on the printer, until the user closes it
    // (printing from it, perhaps).
    virtual void PreviewPrint(QPrinter& printer, const std::function<void(QPrinter&)>& paint) = 0;

    // Shows one of the program's own dialogs modally; QDialog::Accepted after its OK,
    // QDialog::Rejected after Cancel, Esc or the title bar's close box.
    virtual int RunDialog(QDialog& dialog) = 0;

    // Hands a web address, a "mailto:" address or a local file's URL to the desktop shell;
    // false when the desktop reports that it could not open it.
    virtual bool OpenUrl(const QString& url) = 0;
};

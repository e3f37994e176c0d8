// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform/QtDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace {

QWidget* Owner() { return QApplication::activeWindow(); }

// Width that shows `title` whole in a title bar: the text in the title font (taken a fifth
// larger than the dialog's, as title bars often are) plus room for the bar's buttons.
int TitleBarWidth(const QWidget& dialog, const QString& title) {
    QFont font = dialog.font();
    font.setPointSizeF(font.pointSizeF() * 1.2);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 160;
}

// The desktop area a dialog opens on.
QRect DesktopArea() {
    const QWidget* owner = Owner();
    const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// A box's text keeps each of its lines (a full path, a report line) whole: the label is
// as wide as the longest line, as far as the screen allows; only longer lines wrap.
void FitBoxToLongestLine(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label) return;
    const QFontMetrics metrics(label->font());
    int longest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n')))
        longest = std::max(longest, metrics.horizontalAdvance(line));
    constexpr int IconAndMargins = 160;
    label->setMinimumWidth(std::min(longest + 8, DesktopArea().width() - IconAndMargins));
}

// Texts carry CR LF line breaks; a label wants LF alone.
QString ForDisplay(const QString& text) { return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

struct BoxButton {
    QString Caption;
    QMessageBox::ButtonRole Role;
};

// Runs a modal box and returns the index of the button pressed (the escape button's
// index when the box is closed otherwise).
int RunBox(QMessageBox::Icon icon, const QString& title, const QString& text,
           const std::vector<BoxButton>& buttons, int escapeIndex, int defaultIndex = 0) {
    QMessageBox box(icon, title, ForDisplay(text), QMessageBox::NoButton, Owner());
    std::vector<QPushButton*> made;
    for (const BoxButton& b : buttons) made.push_back(box.addButton(b.Caption, b.Role));
    box.setDefaultButton(made[static_cast<std::size_t>(defaultIndex)]);
    box.setEscapeButton(made[static_cast<std::size_t>(escapeIndex)]);
    FitBoxToLongestLine(box);
    box.exec();
    for (std::size_t i = 0; i < made.size(); ++i)
        if (box.clickedButton() == made[i]) return static_cast<int>(i);
    return escapeIndex;
}

bool RunYesNo(QMessageBox::Icon icon, const QString& title, const QString& text,
              DefaultButton preferred = DefaultButton::Yes) {
    return RunBox(icon, title, text, {{YesCaption, QMessageBox::YesRole}, {NoCaption, QMessageBox::NoRole}}, 1,
                  preferred == DefaultButton::No ? 1 : 0) == 0;
}

void PrepareFileDialog(QFileDialog& dialog, const FileRequest& request) {
    dialog.setWindowTitle(request.Title);
    // No folder asked for: the dialog's own choice (the current folder), never the root.
    if (!request.Folder.isEmpty()) dialog.setDirectory(request.Folder);
    if (!request.Filter.isEmpty()) dialog.setNameFilter(request.Filter);
    if (!request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
    // With several types to choose from, a name typed without an extension takes the
    // chosen type's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("(*."));
        if (star >= 0) dialog.setDefaultSuffix(filter.mid(star + 3).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0));
    });
    if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
}

}  // namespace

QSize QtDialogs::FileDialogSize() const {
    // Room for names, sizes and dates side by side; later the size the user left it at.
    const QSize wanted = LastFileDialogSize.isValid() ? LastFileDialogSize : QSize(960, 600);
    return wanted.boundedTo(DesktopArea().size());
}

QStringList QtDialogs::RunFileDialog(const FileRequest& request, int acceptMode, int fileMode) {
    QFileDialog dialog(Owner());
    dialog.setAcceptMode(static_cast<QFileDialog::AcceptMode>(acceptMode));
    dialog.setFileMode(static_cast<QFileDialog::FileMode>(fileMode));
    PrepareFileDialog(dialog, request);
    dialog.resize(FileDialogSize());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    LastFileDialogSize = dialog.size();  // remembered for the rest of the session
    if (!accepted) return {};
    return dialog.selectedFiles();
}

namespace {

QString FirstOrEmpty(const QStringList& list) { return list.isEmpty() ? QString() : list.front(); }

}  // namespace

bool QtDialogs::AskConfirm(const QString& what) {
    return RunYesNo(QMessageBox::Warning, WarningTitle, ConfirmText(what));
}

bool QtDialogs::AskYesNo(const QString& text, DefaultButton preferred) {
    return RunYesNo(QMessageBox::Question, ConfirmTitle, text, preferred);
}

void QtDialogs::ShowInfo(const QString& text) {
    RunBox(QMessageBox::Information, InformationTitle, text, {{OkCaption, QMessageBox::AcceptRole}}, 0);
}

void QtDialogs::ShowError(const QString& text) {
    RunBox(QMessageBox::Critical, ErrorTitle, text, {{OkCaption, QMessageBox::AcceptRole}}, 0);
}

SaveAnswer QtDialogs::AskYesNoCancel(const QString& text) {
    const int pressed = RunBox(QMessageBox::Warning, WarningTitle, text,
                               {{YesCaption, QMessageBox::YesRole},
                                {NoCaption, QMessageBox::NoRole},
                                {CancelCaption, QMessageBox::RejectRole}},
                               2);
    return pressed == 0 ? SaveAnswer::Yes : pressed == 1 ? SaveAnswer::No : SaveAnswer::Cancel;
}

int QtDialogs::AskChoice(const QString& text, const QStringList& captions) {
    if (captions.empty()) return -1;
    // Action buttons, so that they stand in the order given.
    std::vector<BoxButton> buttons;
    for (const QString& caption : captions) buttons.push_back({caption, QMessageBox::ActionRole});
    return RunBox(QMessageBox::Question, ConfirmTitle, text, buttons, static_cast<int>(buttons.size()) - 1);
}

QString QtDialogs::OpenFile(const FileRequest& request) {
    return FirstOrEmpty(RunFileDialog(request, QFileDialog::AcceptOpen, QFileDialog::ExistingFile));
}

QStringList QtDialogs::OpenFiles(const FileRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

QString QtDialogs::SaveFile(const FileRequest& request) {
    // The dialog itself asks before an existing file is replaced.
    return FirstOrEmpty(RunFileDialog(request, QFileDialog::AcceptSave, QFileDialog::AnyFile));
}

QString QtDialogs::BrowseFolder(const QString& prompt, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(Owner(), prompt, startFolder, QFileDialog::ShowDirsOnly);
}

std::optional<QString> QtDialogs::QueryText(const QString& title, const QString& prompt,
                                            const QString& initial, const TextRemark& remark) {
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(title);
    dialog.setTextValue(initial);
    auto label = [&](const QString& typed) { return remark ? prompt + QLatin1Char('\n') + remark(typed) : prompt; };
    dialog.setLabelText(label(initial));
    if (remark)
        QObject::connect(&dialog, &QInputDialog::textValueChanged, &dialog,
                         [&](const QString& typed) { dialog.setLabelText(label(typed)); });
    // Wide enough for its title beside the title bar's buttons: a window manager cuts a
    // title that does not fit, and the box's own contents may be narrower than the title.
    // (The box sizes itself to its contents, so the width is given to its entry field.)
    if (auto* field = dialog.findChild<QLineEdit*>()) field->setMinimumWidth(TitleBarWidth(dialog, title));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

std::optional<QFont> QtDialogs::ChooseFont(const QFont& initial) {
    QFontDialog dialog(Owner());
    // The dialog opens at the face the grid draws with, named by its family and style as
    // installed: a font read from the settings has no style name (its bold showed as the
    // regular style) and may name a family that is not installed.
    QFont shown = initial;
    const QFontInfo drawn(initial);
    shown.setFamily(drawn.family());
    shown.setStyleName(drawn.styleName());
    dialog.setCurrentFont(shown);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFont();
}

bool QtDialogs::ChoosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, Owner());
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::PreviewPrint(QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer, Owner());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* p) { paint(*p); });
    dialog.resize(FileDialogSize());
    dialog.exec();
}

int QtDialogs::RunDialog(QDialog& dialog) { return dialog.exec(); }

bool QtDialogs::OpenUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

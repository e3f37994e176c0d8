// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's own message boxes and standard dialogs, parented to the active window.
#include <QSize>
#include <QStringList>

#include "Platform/Dialogs.h"

class QtDialogs : public Dialogs {
public:
    bool AskConfirm(const QString& what) override;
    bool AskYesNo(const QString& text, DefaultButton preferred = DefaultButton::Yes) override;
    void ShowInfo(const QString& text) override;
    void ShowError(const QString& text) override;
    SaveAnswer AskYesNoCancel(const QString& text) override;
    int AskChoice(const QString& text, const QStringList& captions) override;

    QString OpenFile(const FileRequest& request) override;
    QStringList OpenFiles(const FileRequest& request) override;
    QString SaveFile(const FileRequest& request) override;
    QString BrowseFolder(const QString& prompt, const QString& startFolder) override;
    std::optional<QString> QueryText(const QString& title, const QString& prompt,
                                     const QString& initial, const TextRemark& remark = {}) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;
    bool ChoosePrinter(QPrinter& printer) override;
    void PreviewPrint(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;

    int RunDialog(QDialog& dialog) override;

    bool OpenUrl(const QString& url) override;

    // The size the next file dialog opens at: a comfortable one at first, then the one the
    // user left the last at, within the screen.
    QSize FileDialogSize() const;

private:
    // acceptMode and fileMode: QFileDialog's modes.
    QStringList RunFileDialog(const FileRequest& request, int acceptMode, int fileMode);
    QSize LastFileDialogSize;
};

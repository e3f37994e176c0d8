#pragma once
// The desktop's own message boxes and standard dialogs, parented to the active window.
#include "Platform/Dialogs.h"

class QtDialogs : public Dialogs {
public:
    bool AskConfirm(const QString& what) override;
    bool AskYesNo(const QString& text) override;
    void ShowInfo(const QString& text) override;
    void ShowError(const QString& text) override;
    SaveAnswer AskYesNoCancel(const QString& text) override;

    QString OpenFile(const FileRequest& request) override;
    QStringList OpenFiles(const FileRequest& request) override;
    QString SaveFile(const FileRequest& request) override;
    QString BrowseFolder(const QString& prompt, const QString& startFolder) override;
    std::optional<QString> QueryText(const QString& title, const QString& prompt,
                                     const QString& initial) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;

    void OpenUrl(const QString& url) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialogs for tests: answers are queued beforehand, and every question is recorded with
// its kind, title and text. An empty queue answers No, Cancel or nothing.
#include <QApplication>
#include <QDialog>
#include <QPrinter>
#include <deque>
#include <functional>
#include <vector>

#include "Platform/Dialogs.h"

struct AskedQuestion {
    QString Kind;  // "AskConfirm", "AskYesNo", "ShowInfo", "ShowError", "AskYesNoCancel", "AskChoice",
                   // "OpenFile", "OpenFiles", "SaveFile", "BrowseFolder", "QueryText",
                   // "ChooseFont", "RunDialog", "OpenUrl", "ChoosePrinter", "PreviewPrint"
    QString Title;
    QString Text;
    FileRequest File;  // for the file dialogs
    DefaultButton Default = DefaultButton::Yes;  // AskYesNo's button under Enter
    QStringList Buttons;  // AskChoice's captions
};

class ScriptedDialogs : public Dialogs {
public:
    std::deque<bool> YesNoAnswers;  // AskConfirm and AskYesNo
    std::deque<SaveAnswer> SaveAnswers;
    std::deque<int> ChoiceAnswers;  // AskChoice: the index of the button pressed (default: the last)
    std::deque<QStringList> FileAnswers;  // OpenFile, OpenFiles, SaveFile (empty = cancel)
    std::deque<QString> FolderAnswers;
    std::deque<std::optional<QString>> TextAnswers;
    std::deque<std::optional<QFont>> FontAnswers;
    std::deque<bool> PrintAnswers;  // ChoosePrinter: whether the user chose to print
    std::deque<bool> UrlAnswers;  // whether the desktop opened the address (default: it did)
    // For the program's own dialogs: each script gets the dialog, shown, and works its
    // controls as a user would (ticks, clicks OK, presses Esc, closes the window); what the
    // dialog's result then is, is the answer. Without a script a dialog is cancelled.
    std::deque<std::function<void(QDialog&)>> DialogScripts;

    std::vector<AskedQuestion> Asked;

    // The questions of one kind, in order.
    std::vector<AskedQuestion> AskedOf(const QString& kind) const {
        std::vector<AskedQuestion> out;
        for (const AskedQuestion& q : Asked)
            if (q.Kind == kind) out.push_back(q);
        return out;
    }

    bool AskConfirm(const QString& what) override {
        Record("AskConfirm", WarningTitle, ConfirmText(what));
        return Next(YesNoAnswers, false);
    }
    bool AskYesNo(const QString& text, DefaultButton preferred = DefaultButton::Yes) override {
        Record("AskYesNo", ConfirmTitle, text);
        Asked.back().Default = preferred;
        return Next(YesNoAnswers, false);
    }
    void ShowInfo(const QString& text) override { Record("ShowInfo", InformationTitle, text); }
    void ShowError(const QString& text) override { Record("ShowError", ErrorTitle, text); }
    SaveAnswer AskYesNoCancel(const QString& text) override {
        Record("AskYesNoCancel", WarningTitle, text);
        return Next(SaveAnswers, SaveAnswer::Cancel);
    }

    int AskChoice(const QString& text, const QStringList& captions) override {
        Record("AskChoice", ConfirmTitle, text);
        Asked.back().Buttons = captions;
        return Next(ChoiceAnswers, static_cast<int>(captions.size()) - 1);
    }

    QString OpenFile(const FileRequest& request) override {
        const QStringList files = NextFiles("OpenFile", request);
        return files.isEmpty() ? QString() : files.front();
    }
    QStringList OpenFiles(const FileRequest& request) override { return NextFiles("OpenFiles", request); }
    QString SaveFile(const FileRequest& request) override {
        const QStringList files = NextFiles("SaveFile", request);
        return files.isEmpty() ? QString() : files.front();
    }
    QString BrowseFolder(const QString& prompt, const QString& startFolder) override {
        Record("BrowseFolder", startFolder, prompt);
        return Next(FolderAnswers, QString());
    }
    // The remark of the last text query, for the tests to type into.
    TextRemark LastRemark;
    std::optional<QString> QueryText(const QString& title, const QString& prompt,
                                     const QString& initial, const TextRemark& remark = {}) override {
        LastRemark = remark;
        Record("QueryText", title, prompt + "|" + initial + (remark ? "|" + remark(initial) : QString()));
        return Next(TextAnswers, std::optional<QString>());
    }
    // Printing goes to this PDF file, never to a real printer.
    QString PrintFile;
    bool ChoosePrinter(QPrinter& printer) override {
        Record("ChoosePrinter", QString(), QString());
        ToPrintFile(printer);
        return Next(PrintAnswers, false);
    }
    // The preview paints once, as the preview dialog does when it opens.
    void PreviewPrint(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override {
        Record("PreviewPrint", QString(), QString());
        ToPrintFile(printer);
        paint(printer);
    }
    void ToPrintFile(QPrinter& printer) const {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrintFile);
    }
    std::optional<QFont> ChooseFont(const QFont& initial) override {
        Record("ChooseFont", QString(), initial.family());
        return Next(FontAnswers, std::optional<QFont>());
    }
    bool OpenUrl(const QString& url) override {
        Record("OpenUrl", QString(), url);
        return Next(UrlAnswers, true);
    }
    int RunDialog(QDialog& dialog) override {
        Record("RunDialog", dialog.windowTitle(), QString());
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        QApplication::processEvents();
        if (!DialogScripts.empty()) {
            const auto script = DialogScripts.front();
            DialogScripts.pop_front();
            script(dialog);
        }
        if (dialog.isVisible()) dialog.reject();  // a script that leaves it open cancels it
        return dialog.result();
    }

private:
    void Record(const char* kind, const QString& title, const QString& text, FileRequest file = {}) {
        Asked.push_back({QString::fromLatin1(kind), title, text, std::move(file), DefaultButton::Yes, {}});
    }
    template <class T>
    static T Next(std::deque<T>& queue, T whenEmpty) {
        if (!queue.empty()) {
            whenEmpty = queue.front();
            queue.pop_front();
        }
        return whenEmpty;
    }
    QStringList NextFiles(const char* kind, const FileRequest& request) {
        Record(kind, request.Title, request.FileName, request);
        return Next(FileAnswers, QStringList());
    }
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The conversation pane beside the grid: every message of the current message's person
// (every form of its number, People.h), oldest first, as bubbles under the title
// "Conversation with <name>", the person's numbers in the title's tooltip. The main window
// tells it which message is current and when the messages changed; it tells the window
// which bubble was chosen, which link was clicked and when the conversation is to be
// exported.
#include <QFont>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

class QLabel;
class ConversationView;

class TConversation : public QWidget {
    Q_OBJECT

public:
    TConversation(const MsgStore& store, const DefaultsType& defaults, QWidget* parent = nullptr);

    // The grid's current message (0: none) and the search to highlight (stored form, empty:
    // none). The messages are looked for again when the contact, the search or the font
    // differs from what is shown, or after Stale; otherwise the bubble is only marked.
    // Nothing is done while the pane is hidden: it follows when shown.
    void Follow(std::int32_t current, const std::string& search);
    // The messages may have changed (a command ran): the next Follow looks for them again.
    void Stale() { IsStale = true; }

    // The store positions shown, oldest first.
    const std::vector<std::int32_t>& Messages() const { return Shown; }
    // The person as the title names it: its name, or its number when it has none.
    QString ContactTitle() const;
    // The person's numbers, as the title's tooltip lists them.
    const std::vector<std::string>& ContactNumbers() const { return Numbers; }

    QLabel* Title = nullptr;
    ConversationView* View = nullptr;

signals:
    void MessageChosen(std::int32_t position);
    void LinkActivated(const QString& url);
    void FileActivated(const QString& path);
    void ExportRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Whether the messages shown are still in the store as they were when shown (Kept).
    bool StillShown() const;

    const MsgStore& S;
    const DefaultsType& D;
    std::vector<std::int32_t> Shown;
    std::vector<XMsgRecType> Kept;  // the shown messages as they were shown
    std::string Name, Search;
    std::vector<std::string> Numbers;
    std::int32_t Current = 0;
    QFont ShownFont;
    bool IsStale = true;
};

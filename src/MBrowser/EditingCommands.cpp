// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting, selecting, renaming, removing a contact's messages, duplicates and the history.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QStringList>
#include <QToolButton>
#include <algorithm>

#include "MBVars/Contacts.h"
#include "MBVars/History.h"
#include "MBVars/People.h"
#include "MBVars/Removal.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/WholeCharacters.h"
#include "Platform/Cp1252Text.h"

std::pair<int, int> TMBForm::SelectedRowSpan() const {
    const QItemSelection selection = MessageView->selectionModel()->selection();
    if (selection.isEmpty()) return {CurrentRow(), CurrentRow()};
    int top = selection.front().top(), bottom = selection.front().bottom();
    for (const QItemSelectionRange& range : selection) {
        top = std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
    }
    return {top + 1, bottom + 1};
}

void TMBForm::DeleteMenuClick() {
    // An empty view has a blank row only: nothing to delete, nothing to ask.
    if (S.ViewCount < 1) return;
    auto [top, bottom] = SelectedRowSpan();
    bottom = std::min(bottom, static_cast<int>(S.ViewCount));
    if (bottom < top) return;
    if (!Dlg.AskYesNo(QString::asprintf("Do you want to delete the selected %d messages?", bottom - top + 1),
                      DefaultButton::No))
        return;
    DeleteViewRows(S, top, bottom);
    // The message after the removed ones becomes current, alone.
    KeepOneRow(top);
    UpdateMessageView();
}

void TMBForm::SelectAllMainMenuClick() {
    // Every data cell: not the title row, not the row-number column.
    const int rows = MessageModel->rowCount(), columns = MessageModel->columnCount();
    MessageView->selectionModel()->select(
        QItemSelection(MessageModel->index(0, TimeColumn), MessageModel->index(rows - 1, columns - 1)),
        QItemSelectionModel::ClearAndSelect);
}

namespace {
// The room a name being typed leaves, in characters like its own: a name holds
// NameText::Capacity bytes, which is that many Latin letters but half as many Greek or
// Cyrillic ones. Counted with the name's widest character, so that what is promised fits.
QString NameRoomRemark(const QString& typed) {
    const std::string stored = StoredFromTyped(typed);
    const qsizetype characters = typed.toUcs4().size();
    std::size_t widest = 1;
    for (const char32_t c : typed.toUcs4())
        widest = std::max(widest, StoredFromTyped(QString::fromUcs4(&c, 1)).size());
    const std::size_t capacity = NameText::Capacity;
    if (stored.size() <= capacity) {
        const std::size_t left = (capacity - stored.size()) / widest;
        return left == 1 ? QStringLiteral("1 character left") : QStringLiteral("%1 characters left").arg(left);
    }
    const qsizetype kept = ShownText(CutToWholeCharacters(stored, capacity)).toUcs4().size();
    const qsizetype over = characters - kept;
    return (over == 1 ? QStringLiteral("1 character too many") : QStringLiteral("%1 characters too many").arg(over)) +
           QStringLiteral(": the name is cut");
}
}  // namespace

void TMBForm::RenameSBClick() {
    if (CurrentMessage < 1 || CurrentMessage > S.MessageCount) return;
    const XMsgRecType& current = S.Messages[static_cast<std::size_t>(CurrentMessage)];
    const std::string phone = current.Phone.str();
    if (phone.empty()) return;
    // The question names every number of the person: the name goes to all of them.
    QStringList numbers;
    for (const std::string& number : PersonOfMessage(S, CurrentMessage).Numbers) numbers << ShownText(number);
    const std::optional<QString> typed =
        Dlg.QueryText(QStringLiteral("Rename this contact"),
                      QStringLiteral("Enter a name for \"") + numbers.join(QStringLiteral(", ")) + QStringLiteral("\":"),
                      ShownText(current.Name.view()), NameRoomRemark);
    if (!typed) return;
    const std::string stored = StoredFromTyped(*typed);
    const std::string kept(CutToWholeCharacters(stored, NameText::Capacity));
    AssignPersonName(S, CurrentMessage, kept);
    UpdateMessageView();
    if (kept.size() < stored.size())
        Dlg.ShowInfo(QStringLiteral("The name was cut to \"%1\", as many of its characters as a name holds.")
                         .arg(ShownText(kept)));
}

void TMBForm::DeleteThisClick() {
    if (CurrentMessage < 1 || CurrentMessage > S.MessageCount) return;
    const XMsgRecType& current = S.Messages[static_cast<std::size_t>(CurrentMessage)];
    const std::string phone = current.Phone.str();
    if (phone.empty()) return;
    // The question names the contact by its name, even an empty one.
    if (!Dlg.AskYesNo(QStringLiteral("Do you want to delete messages with \"") + ShownText(current.Name.view()) +
                      QStringLiteral("\" ?"),
                      DefaultButton::No))
        return;
    const int row = CurrentRow();
    DeletePerson(S, CurrentMessage);
    KeepOneRow(row);
    UpdateMessageView();
}

void TMBForm::RemoveDupsMainMenuClick() {
    const std::int32_t found = RemoveDuplicates(S, false);
    if (found <= 0) {
        Dlg.ShowInfo(QStringLiteral("All duplicated messages have been removed."));
        return;
    }
    if (!Dlg.AskYesNo(QString::asprintf("Do you want to remove the %d duplicate messages?", found), DefaultButton::No))
        return;
    const std::int32_t removed = RemoveDuplicates(S, true);
    KeepOneRow(CurrentRow());
    FormPaint();
    Dlg.ShowInfo(QString::asprintf("%d duplicate messages have been removed.", removed));
}

void TMBForm::RemoveHistoryMainMenuClick() {
    if (!Dlg.AskYesNo(
            QStringLiteral("Do you want to clear your contacts history list and all contact names from messages?"),
            DefaultButton::No))
        return;
    RemoveContactsHistory(S, HistoryPath());
    UpdateMessageView();
}

void TMBForm::ContactSBClick() {
    PopupMenuContact->popup(ContactSB->mapToGlobal(QPoint(0, ContactSB->height())));
}

void TMBForm::ConnectEditingCommands() {
    Wire(UndoMainMenu, &QAction::triggered, &TMBForm::UndoMainMenuClick);
    Wire(DeleteMainMenu, &QAction::triggered, &TMBForm::DeleteMenuClick);
    Wire(DeleteMenu, &QAction::triggered, &TMBForm::DeleteMenuClick);
    Wire(SelectAllMainMenu, &QAction::triggered, &TMBForm::SelectAllMainMenuClick);
    Wire(RenameMainMenu, &QAction::triggered, &TMBForm::RenameSBClick);
    Wire(RenameMenu, &QAction::triggered, &TMBForm::RenameSBClick);
    Wire(RenameContactMenu, &QAction::triggered, &TMBForm::RenameSBClick);
    Wire(ContactSB, &QToolButton::clicked, &TMBForm::RenameSBClick);
    Wire(RemoveContactMainMenu, &QAction::triggered, &TMBForm::DeleteThisClick);
    Wire(RemoveContactMenu, &QAction::triggered, &TMBForm::DeleteThisClick);
    Wire(RemoveDupsMainMenu, &QAction::triggered, &TMBForm::RemoveDupsMainMenuClick);
    Wire(RemoveHistoryMainMenu, &QAction::triggered, &TMBForm::RemoveHistoryMainMenuClick);
    Wire(ContactMenuSB, &QToolButton::clicked, &TMBForm::ContactSBClick);
    Wire(BlockMainMenu, &QAction::triggered, &TMBForm::BlockThisMainMenuClick);
    Wire(BlockContactMenu, &QAction::triggered, &TMBForm::BlockThisMainMenuClick);
    Wire(SummaryMainMenu, &QAction::triggered, &TMBForm::SummaryMenuClick);
    Wire(SummaryMenu, &QAction::triggered, &TMBForm::SummaryMenuClick);
    Wire(StatisticsMainMenu, &QAction::triggered, &TMBForm::ContactsActivityClick);
    Wire(StatisticsMenu, &QAction::triggered, &TMBForm::ContactsActivityClick);
    Wire(ActivityChartMainMenu, &QAction::triggered, &TMBForm::ActivityChartClick);
}

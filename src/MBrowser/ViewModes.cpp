// SPDX-License-Identifier: GPL-3.0-or-later
// The views the grid can show (sent, received, all, one contact), the refresh every
// command ends with, and the menu and button states.
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStandardItemModel>
#include <QToolButton>

#include "MBActivity/TActivityChart.h"
#include "MBConversation/TConversation.h"
#include "MBVars/Contacts.h"
#include "MBVars/Ordering.h"
#include "MBVars/Search.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"

void TMBForm::DispSentSBClick() {
    D.ViewMode = 1;
    PressViewButton(DispSentSB);
    BuildView(S, ViewSent);
    KeepOneRow(CurrentRow());
    FormPaint();
}

void TMBForm::DispReceivedSBClick() {
    D.ViewMode = 2;
    PressViewButton(DispReceivedSB);
    BuildView(S, ViewReceived);
    KeepOneRow(CurrentRow());
    FormPaint();
}

void TMBForm::DispAllSBClick() {
    SearchEdit->clear();
    D.ViewMode = 3;
    PressViewButton(DispAllSB);
    BuildView(S, ViewAll);
    KeepOneRow(CurrentRow());
    FormPaint();
}

void TMBForm::ThisPersonSBClick() {
    ThisPersonMainMenu->setChecked(ThisPersonSB->isChecked());
    if (ThisPersonSB->isChecked()) {
        PressViewButton(ThisPersonSB);
        CurrentMessage = MessageModel->MessageAt(CurrentRow() - 1);
        if (CurrentMessage > 0) {
            // A message without a name shows its number's messages rather than nothing.
            const XMsgRecType& m = S.Messages[static_cast<std::size_t>(CurrentMessage)];
            SearchText = m.Name.empty() ? m.Phone.str() : m.Name.str();
            ContactFetchMode = m.Name.empty() ? FetchByPhone : FetchByName;
        }
        BuildContacts(S, ContactsByName, true);
        const QSignalBlocker quiet(NameBox);
        QPalette colour = NameBox->palette();
        colour.setColor(QPalette::Base, ToQColor(D.DefaultColor));
        NameBox->setPalette(colour);
        FillNameBox();
        NameBox->setCurrentIndex(-1);
        NameBox->setEditText(ShownText(SearchText));
        NameBox->show();
    } else {
        SearchText.clear();
        NameBox->hide();
    }
    FetchStr(ContactFetchMode, SearchText);
}

void TMBForm::EndContactView() {
    if (ThisPersonSB->isChecked()) {
        const QSignalBlocker quiet(ThisPersonSB);
        ThisPersonSB->setChecked(false);
    }
    ThisPersonMainMenu->setChecked(false);
    NameBox->hide();
}

void TMBForm::ShowEverythingNewestFirst() {
    EndContactView();
    ClearSearchBox();
    D.ViewMode = 3;
    D.SortColumn = TimeColumn;
    D.SortAscending[TimeColumn] = false;
}

void TMBForm::FillNameBox() {
    // Each entry keeps its stored name: the shown one may read back as other bytes.
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(S.ContactCount));
    for (std::int32_t c = 1; c <= S.ContactCount; ++c) {
        const std::string_view name = S.Contacts[static_cast<std::size_t>(c)].Name.view();
        if (!name.empty()) names.emplace_back(name);  // a blank entry would show everything
    }
    // The list is built again only when the names changed: a thousand entries cost a good
    // part of the frame, and the contact view is turned on and off often.
    if (names == NameBoxNames && NameBox->count() == static_cast<int>(names.size())) return;
    NameBox->clear();
    QList<QStandardItem*> items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        auto* item = new QStandardItem(ShownText(name));
        item->setData(QByteArray(name.data(), static_cast<qsizetype>(name.size())), Qt::UserRole);
        items.append(item);
    }
    // The box's own model; one insertion, not one per name.
    qobject_cast<QStandardItemModel*>(NameBox->model())->invisibleRootItem()->insertRows(0, items);
    NameBoxNames = std::move(names);
}

void TMBForm::ThisPersonMainMenuClick() {
    ThisPersonSB->setChecked(!ThisPersonSB->isChecked());
    ThisPersonMainMenu->setChecked(ThisPersonSB->isChecked());
    ThisPersonSBClick();
}

void TMBForm::NameBoxChange(int chosenEntry) {
    if (chosenEntry >= 0 && chosenEntry < NameBox->count()) {
        SearchText = NameBox->itemData(chosenEntry).toByteArray().toStdString();
        ContactFetchMode = FetchByName;
    }
    FetchStr(ContactFetchMode, SearchText);
}

void TMBForm::FetchStr(int mode, const std::string& text) {
    const std::int32_t marked = MarkFound(S, mode, text);
    BuildView(S, ViewFound);
    KeepOneRow(CurrentRow());
    UpdateMessageView();
    if (marked == 0) {
        MessageView->hide();
        SetDetailLine(QStringLiteral("No matches found. Sorry."));
    }
}

void TMBForm::UpdateMessageView() {
    CountMessages(S);
    const bool hasMessages = S.MessageCount > 0;
    SearchPanel->setVisible(hasMessages);
    MessageView->setVisible(hasMessages);
    WebSB->hide();
    const int row = CurrentRow();
    MessageModel->Refresh();
    MessageView->SettleBeforePaint();  // one paint per refresh
    MessageView->setShowGrid(D.GridLines);
    SetCurrentRow(row);
    if (Conversation) Conversation->Stale();  // the messages may have changed; MessageViewClick shows them
    // The detail line is cleared and filled again; set once, as a long text costs a layout.
    MessageViewClick();
    if (CurrentMessage < 1) SetDetailLine({});
    MessageView->viewport()->update();
    if (ActivityChart) ActivityChart->Refresh();  // redraws only what changed
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TMBForm::UpdateMenus() {
    // The contact view, while on, keeps its button down; the menu follows ViewMode.
    const bool contactView = ThisPersonSB->isChecked();
    switch (D.ViewMode) {
        case 1:
            SentMainMenu->setChecked(true);
            if (!contactView) PressViewButton(DispSentSB);
            break;
        case 2:
            ReceivedMainMenu->setChecked(true);
            if (!contactView) PressViewButton(DispReceivedSB);
            break;
        default:
            AllMainMenu->setChecked(true);
            if (!contactView) PressViewButton(DispAllSB);
            break;
    }
    DefaultColorMenu->setChecked(D.ColorMode == 0);
    SentReceivedColorMenu->setChecked(D.ColorMode == 1);
    ContactColorsMenu->setChecked(D.ColorMode == 2);
    CryptMainMenu->setText(ScreenScrambled ? QStringLiteral("Decrypt messages on screen")
                                           : QStringLiteral("Crypt messages on screen"));
    const bool onContact = CurrentMessage > 0;
    for (QAction* a : {RenameMainMenu, RemoveContactMainMenu, BlockMainMenu, RenameContactMenu, RemoveContactMenu,
                       BlockContactMenu})
        a->setEnabled(onContact);
}

// The current row, the current message and the detail line under the grid.
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/Links.h"
#include "Platform/Cp1252Text.h"

void TMBForm::MessageViewClick() {
    WebSB->hide();
    CurrentMessage = MessageModel->MessageAt(CurrentRow() - 1);
    if (CurrentMessage < 1) return;
    const XMsgRecType& m = S.Messages[static_cast<std::size_t>(CurrentMessage)];
    // Shown only: the detail line never writes itself back into the message.
    SetDetailLine(ShownMessageText(m.Text));

    // Links and addresses are found in the text as shown.
    const std::string padded = " " + DisplayMessageUtf8(m.Text) + " ";
    std::string link = FindWebLink(padded);
    if (link.empty()) {
        const std::string address = FindEmailAddress(padded);
        if (!address.empty()) link = "mailto:" + address;
    }
    if (link.empty()) return;
    CurrentLink = QString::fromStdString(link);
    QString caption = CurrentLink;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));  // no mnemonic in a link
    WebSB->setText(caption);
    WebSB->setFixedWidth(WebSB->fontMetrics().horizontalAdvance(CurrentLink) + 2 * WebSB->height());
    WebSB->show();
}

void TMBForm::WebSBClick() {
    if (!CurrentLink.isEmpty()) Dlg.OpenUrl(CurrentLink);
}

int TMBForm::CurrentRow() const {
    const QModelIndex current = MessageView->currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

int TMBForm::CurrentColumn() const {
    const QModelIndex current = MessageView->currentIndex();
    return current.isValid() && current.column() > NumberColumn ? current.column() : TimeColumn;
}

void TMBForm::SetCurrentRow(int row) {
    row = std::clamp(row, 1, MessageModel->rowCount());
    const QModelIndex current = MessageView->currentIndex();
    if (current.isValid() && current.row() == row - 1 && current.column() > NumberColumn) return;
    MessageView->selectionModel()->setCurrentIndex(MessageModel->index(row - 1, CurrentColumn()),
                                                   QItemSelectionModel::ClearAndSelect);
}

void TMBForm::SetDetailLine(const QString& text) {
    if (MessageLabel->text() == text) return;
    MessageLabel->setText(text);
    MessageLabel->setCursorPosition(0);
}

QString TMBForm::DetailLine() const { return MessageLabel->text(); }

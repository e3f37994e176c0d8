// SPDX-License-Identifier: GPL-3.0-or-later
// The current row, the current message and the detail line under the grid.
#include <QEvent>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "MBrowser/DetailLineEdit.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/Links.h"
#include "Platform/Cp1252Text.h"

namespace {

// Calls back whenever the watched widget loses the keyboard focus, for whatever reason
// (a menu opening included, so that an edit is kept before the menu's command runs).
class FocusLossWatcher : public QObject {
public:
    FocusLossWatcher(QObject* parent, std::function<void()> lost) : QObject(parent), Lost(std::move(lost)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) Lost();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> Lost;
};

}  // namespace

void TMBForm::MessageViewClick() {
    // An edit of the line is kept before the line shows something else.
    MessageLabelExit();
    WebSB->hide();
    CurrentMessage = MessageModel->MessageAt(CurrentRow() - 1);
    FollowInConversation();
    // Only a message's own text can be edited, and never while scrambled: a scrambled text
    // typed back would be stored scrambled for good.
    MessageLabel->setReadOnly(ScreenScrambled || CurrentMessage < 1);
    if (CurrentMessage < 1) {
        DetailMessage = 0;
        return;
    }
    const XMsgRecType& m = S.Messages[static_cast<std::size_t>(CurrentMessage)];
    SelectedColor = m.Color;
    SetGridHintToCell(CurrentMessage, CurrentColumn());
    SetDetailLine(ShownMessageText(m.Text));
    DetailMessage = CurrentMessage;
    DetailSerial = m.Serial;
    DetailStored = m.Text;

    // Links and addresses are found in the text as shown.
    const std::string link = FindLinkInText(DisplayMessageUtf8(m.Text)).Url;
    if (link.empty()) return;
    CurrentLink = QString::fromStdString(link);
    QString caption = CurrentLink;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));  // no mnemonic in a link
    WebSB->setText(caption);
    WebSB->setFixedWidth(WebSB->fontMetrics().horizontalAdvance(CurrentLink) + 2 * WebSB->height());
    WebSB->show();
}

void TMBForm::MessageLabelExit() {
    // Only a text the user changed since it was shown is written: an untouched line would
    // otherwise store the display form (or the scrambled form) over the message.
    if (!MessageLabel->isModified() || MessageLabel->isReadOnly() || DetailMessage < 1) return;
    MessageLabel->setModified(false);
    // The line shows the message it was filled from; the store may have been reordered
    // or shortened since, so that message is looked for by its serial and text.
    auto shows = [this](std::int32_t n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        return m.Serial == DetailSerial && m.Text == DetailStored;
    };
    std::int32_t n = DetailMessage;
    if (n < 1 || n > S.MessageCount || !shows(n)) {
        n = 0;
        for (std::int32_t i = 1; i <= S.MessageCount && n == 0; ++i)
            if (shows(i)) n = i;
    }
    if (n == 0) return;  // the message is gone
    std::string typed = StoredFromTyped(MessageLabel->text(), MaxTextLength);
    if (DisplayMessageUtf8(DetailStored) == DisplayMessageUtf8(typed)) return;  // changed and changed back
    XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
    LastEdit = StoredEdit{m.Serial, m.Text, typed, S.Modified};
    UndoMainMenu->setEnabled(true);
    m.Text = std::move(typed);
    DetailStored = m.Text;
    DetailMessage = n;
    S.Modified = true;
    MessageView->viewport()->update();
    FollowInConversation(true);
}

void TMBForm::WebSBClick() {
    if (!CurrentLink.isEmpty()) OpenOnDesktop(CurrentLink, CurrentLink);
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
    if (MessageLabel->text() == text) {
        MessageLabel->setModified(false);
        return;
    }
    MessageLabel->setText(text);
    MessageLabel->setCursorPosition(0);
}

QString TMBForm::DetailLine() const { return MessageLabel->text(); }

void TMBForm::WatchDetailLine() {
    MessageLabel->installEventFilter(new FocusLossWatcher(MessageLabel, [this] { Safely([this] { MessageLabelExit(); }); }));
}

void TMBForm::LeaveFocusOnGrid() {
    QWidget* focus = focusWidget();
    const bool stray = focus == nullptr || focus == MessageLabel || !focus->isVisibleTo(this) || !focus->isEnabled();
    if (!stray) return;
    if (MessageView->isVisibleTo(this))
        MessageView->setFocus();
    else if (MessageLabel->hasFocus() || focusWidget() == MessageLabel)
        MessageLabel->clearFocus();
}

void TMBForm::KeepOneRow(int row) {
    // Clamped to the rows the view has now: the grid may not have been refreshed yet.
    row = std::clamp(row, 1, std::max(1, static_cast<int>(S.ViewCount)));
    const QModelIndex current = MessageModel->index(row - 1, CurrentColumn());
    MessageView->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    MessageView->scrollTo(current);
}

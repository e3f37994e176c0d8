// SPDX-License-Identifier: GPL-3.0-or-later
// The conversation pane beside the grid: shown and hidden from the View menu and the tool
// bar, kept in step with the grid's current message, its width and visibility kept in the
// settings file.
#include <QAction>
#include <QHBoxLayout>
#include <QSplitter>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "MBConversation/ConversationView.h"
#include "MBConversation/TConversation.h"
#include "Formats/MessageMedia.h"
#include "MBrowser/DetailLineEdit.h"
#include "Formats/ExportScope.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/Pictures.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/DisplayText.h"

namespace {
constexpr int PaneMinimumWidth = 220;
constexpr int GridLeastWidth = 300;  // what the grid keeps when the pane is shown

// The grid and the pane: the pane keeps the width the user gave it (or the settings file)
// whatever the window's size, the grid takes the rest; but the grid keeps some room.
class PaneSplitter : public QSplitter {
public:
    explicit PaneSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
        connect(this, &QSplitter::splitterMoved, this, [this] {
            if (count() > 1 && widget(1)->isVisible()) PaneWidth = widget(1)->width();
        });
    }
    int PaneWidth = 360;
    void Fit() {
        if (count() < 2 || widget(1)->isHidden() || width() <= 0) return;
        const int pane = std::clamp(PaneWidth, PaneMinimumWidth, std::max(PaneMinimumWidth, width() - GridLeastWidth));
        setSizes({std::max(0, width() - pane - handleWidth()), pane});
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QSplitter::resizeEvent(event);
        Fit();
    }
};

PaneSplitter& Splitter(QSplitter* splitter) { return *static_cast<PaneSplitter*>(splitter); }
}

QSplitter* TMBForm::CreateConversationPane() {
    GridSplitter = new PaneSplitter(this);
    GridSplitter->setObjectName(QStringLiteral("GridSplitter"));
    GridSplitter->setChildrenCollapsible(false);
    GridSplitter->addWidget(GridPanel);
    Conversation = new TConversation(S, D, GridSplitter);
    Conversation->setMinimumWidth(PaneMinimumWidth);
    Conversation->hide();
    Conversation->View->SetMedia(MediaOfMessages());
    GridSplitter->addWidget(Conversation);
    GridSplitter->setStretchFactor(0, 1);
    GridSplitter->setStretchFactor(1, 0);
    // Tab leaves the grid for the pane (and the detail line) instead of walking its cells.
    MessageView->setTabKeyNavigation(false);
    setTabOrder(MessageView, Conversation->View);
    setTabOrder(Conversation->View, MessageLabel);

    ConversationSB = new QToolButton(TopPanel);
    ConversationSB->setIcon(ToolIcon(ToolPicture::Conversation));
    ConversationSB->setIconSize(QSize(26, 26));
    ConversationSB->setFixedSize(36, 36);
    ConversationSB->setAutoRaise(true);
    ConversationSB->setCheckable(true);
    ConversationSB->setToolTip(QStringLiteral("Conversation (F9)"));
    ConversationSB->setAccessibleName(QStringLiteral("Conversation"));
    ConversationSB->setFocusPolicy(Qt::NoFocus);
    auto* row = static_cast<QHBoxLayout*>(TopPanel->layout());
    row->insertWidget(row->indexOf(ThisPersonSB) + 1, ConversationSB);
    return GridSplitter;
}

void TMBForm::ConnectConversation() {
    Wire(ConversationMainMenu, &QAction::triggered, &TMBForm::ConversationMainMenuClick);
    Wire(ConversationSB, &QToolButton::clicked, &TMBForm::ConversationMainMenuClick);
    connect(Conversation, &TConversation::MessageChosen, this,
            [this](std::int32_t n) { Safely([this, n] { ConversationMessageChosen(n); }); });
    connect(Conversation, &TConversation::LinkActivated, this,
            [this](const QString& url) { Safely([this, url] { OpenOnDesktop(url, url); }); });
    connect(Conversation, &TConversation::FileActivated, this,
            [this](const QString& path) { Safely([this, path] { OpenOnDesktop(QUrl::fromLocalFile(path).toString(), path); }); });
    Wire(Conversation, &TConversation::ExportRequested, &TMBForm::ExportConversationClick);
    // F6 takes the focus from the grid to the pane and back.
    auto* nextPane = new QAction(this);
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    nextPane->setShortcutContext(Qt::WindowShortcut);
    addAction(nextPane);
    connect(nextPane, &QAction::triggered, this, [this] {
        if (Conversation->isHidden() || Conversation->View->hasFocus())
            MessageView->setFocus(Qt::ShortcutFocusReason);
        else
            Conversation->View->setFocus(Qt::ShortcutFocusReason);
    });
}

void TMBForm::ConversationMainMenuClick() {
    const bool show = Conversation->isHidden();
    Conversation->setVisible(show);
    Splitter(GridSplitter).Fit();
    ConversationSB->setChecked(show);
    ConversationMainMenu->setChecked(show);
    FollowInConversation();
}

void TMBForm::FollowInConversation(bool stale) {
    if (!Conversation) return;
    if (stale) Conversation->Stale();
    // A search of the texts is highlighted; the contact view's name is no search of them.
    const bool searching = S.ViewMask == ViewFound && !ThisPersonSB->isChecked();
    Conversation->Follow(CurrentMessage, searching ? SearchText : std::string());
}

void TMBForm::ConversationMessageChosen(std::int32_t n) {
    for (std::int32_t row = 1; row <= S.ViewCount; ++row) {
        if (S.ViewIndex[static_cast<std::size_t>(row)] != n) continue;
        KeepOneRow(row);
        return;
    }
}

void TMBForm::ExportConversationClick() {
    ExportScope scope;
    scope.Contact = Conversation->ContactTitle().toStdString();
    ExportMessages(Conversation->Messages(), ExportTitle(scope));
}

void TMBForm::ApplyConversationSettings() {
    Splitter(GridSplitter).PaneWidth = SizeRead.ConversationWidth;
    if (SizeRead.ConversationShown == Conversation->isHidden()) ConversationMainMenuClick();
}

void TMBForm::KeepConversationSettings(WindowSize& size) const {
    size.ConversationShown = !Conversation->isHidden();
    size.ConversationWidth = Splitter(GridSplitter).PaneWidth;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Header sorting, search, on-screen scrambling and copying: where their commands are wired.
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>

#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"

void TMBForm::ConnectBrowsingCommands() {
    Wire(CopyMainMenu, &QAction::triggered, &TMBForm::CopyToClipMenuClick);
    Wire(CopyMenu, &QAction::triggered, &TMBForm::CopyToClipMenuClick);
    Wire(CryptMainMenu, &QAction::triggered, &TMBForm::CryptMainMenuClick);
    Wire(WebPagesMenu, &QAction::triggered, &TMBForm::WebPagesMenuClick);
    Wire(EmailsMenu, &QAction::triggered, &TMBForm::EmailsMenuClick);
    Wire(SearchEdit, &QLineEdit::textChanged, &TMBForm::SearchEditChange);
    // Ctrl+F, as everywhere: the search box takes the keyboard, its text selected for a new word.
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        if (!SearchEdit->isVisible() || !SearchEdit->isEnabled()) return;
        SearchEdit->setFocus(Qt::ShortcutFocusReason);
        SearchEdit->selectAll();
    });

    // Mouse releases over the grid's fixed cells: the column titles, the row numbers and
    // the count cell at the top left.
    connect(MessageView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { Safely([this, column] { MessageViewMouseUp(column, 0); }); });
    connect(MessageView->verticalHeader(), &QHeaderView::sectionClicked, this,
            [this](int row) { Safely([this, row] { MessageViewMouseUp(NumberColumn, row + 1); }); });
    connect(MessageView, &MessageGrid::CornerReleased, this,
            [this] { Safely([this] { MessageViewMouseUp(NumberColumn, 0); }); });

    WatchDetailLine();
    WatchGridTooltips();
    NameControlsForScreenReaders();
}

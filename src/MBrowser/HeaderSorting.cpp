// SPDX-License-Identifier: GPL-3.0-or-later
// A click on a column title sorts the whole collection by that column; the number
// column's cells tell how full the store is.
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QToolButton>
#include <algorithm>

#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"

void TMBForm::MessageViewMouseUp(int column, int row) {
    // Column widths after a border drag are taken over as the header reports them
    // (GridColumnResized); the Type column cannot be resized at all.
    if (column < NumberColumn || column >= GridColumnCount || row < 0) return;
    if (row == 0 && column > NumberColumn) {
        MessageLabelExit();  // a pending edit of the detail line is sorted with its message
        // The sorted grid shows every message; the view mode stays, as the To/From header does.
        EndContactView();

        const std::int32_t shown = MessageModel->MessageAt(CurrentRow() - 1);
        const std::uint16_t serial = shown > 0 ? S.Messages[static_cast<std::size_t>(shown)].Serial : 0;
        auto& ascending = D.SortAscending[static_cast<std::size_t>(column)];
        ascending = !ascending;
        SortMessages(S, D, column, ascending ? 1 : 0);
        BuildView(S, ViewEverything);
        MessageModel->Refresh();
        KeepOneRow(std::clamp(FindSerial(S, serial), 1, std::max(1, S.ViewCount)));  // alone
        UpdateMessageView();
        UpdateMenus();
        MessageView->scrollTo(MessageView->currentIndex());
        SetGridHint(QStringLiteral("Click to sort by this column"));
    } else if (row == 0) {
        SetGridHint(QString::asprintf("%d messages (%s %% of Max)", S.MessageCount,
                                      QByteArray::number(S.MessageCount * 100 / MaxMessages).constData()));
    } else if (column == NumberColumn) {
        SetGridHint({});
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Undo: takes back the last text stored from the detail line, until the next command.
#include <QAction>

#include "MBrowser/DetailLineEdit.h"
#include "MBrowser/TMBForm.h"

void TMBForm::UndoMainMenuClick() {
    if (!LastEdit) return;
    const StoredEdit edit = *std::exchange(LastEdit, std::nullopt);
    UndoMainMenu->setEnabled(false);
    // The message is found by its serial and the text the edit gave it: the store may have
    // been reordered since.
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        if (m.Serial != edit.Serial || m.Text != edit.After) continue;
        m.Text = edit.Before;
        // No command ran since the edit, so the collection is as it was before it.
        S.Modified = edit.WasModified;
        MessageLabel->setModified(false);  // the line is filled again from the store
        DetailMessage = 0;
        UpdateMessageView();
        return;
    }
}

void TMBForm::ForgetLastEdit() {
    LastEdit.reset();
    if (UndoMainMenu != nullptr) UndoMainMenu->setEnabled(false);
}

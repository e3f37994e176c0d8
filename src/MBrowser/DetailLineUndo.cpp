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
    const std::int32_t n = FindSerial(S, edit.Serial);
    if (n < 1 || S.Messages[static_cast<std::size_t>(n)].Text != edit.After) return;
    S.Messages[static_cast<std::size_t>(n)].Text = edit.Before;
    // No command ran since the edit, so the collection is as it was before it.
    S.Modified = edit.WasModified;
    MessageLabel->setModified(false);  // the line is filled again from the store
    DetailMessage = 0;
    UpdateMessageView();
}

void TMBForm::ForgetLastEdit() {
    LastEdit.reset();
    if (UndoMainMenu != nullptr) UndoMainMenu->setEnabled(false);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Blocking contacts: the blocked-contacts dialog, its marks, and removing their messages.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "MBHistory/THistoryDlg.h"
#include "MBVars/BlockList.h"
#include "MBVars/History.h"
#include "MBVars/People.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/IoError.h"

bool TMBForm::KeepHistory() {
    const std::string path = HistoryPath();
    std::string reason;
    try {
        if (const int error = SaveHistory(S, path)) reason = std::strerror(error);
    } catch (const IoError& e) {
        reason = e.what();
    }
    if (reason.empty()) {
        TellHistoryKeptAside();
        return true;
    }
    Dlg.ShowError(QStringLiteral("Cannot save \"%1\": %2").arg(QString::fromStdString(path), QString::fromStdString(reason)));
    return false;
}

void TMBForm::TellHistoryKeptAside() {
    if (S.HistoryKeptAs.empty()) return;
    // Said once: the history that could not be read at start was not written over.
    Dlg.ShowInfo(QStringLiteral("The contact history \"%1\" could not be read completely, so it was kept as "
                                "\"%2\" and a new one was written.")
                     .arg(QString::fromStdString(HistoryPath()), QString::fromStdString(S.HistoryKeptAs)));
    S.HistoryKeptAs.clear();
}

void TMBForm::BlockThisMainMenuClick() {
    // The contacts of the selected rows come checked, every number of each person: the
    // command is about them.
    std::vector<std::int32_t> selected;
    if (S.ViewCount > 0) {
        auto [top, bottom] = SelectedRowSpan();
        bottom = std::min(bottom, static_cast<int>(S.ViewCount));
        for (int row = std::max(top, 1); row <= bottom; ++row) selected.push_back(S.ViewIndex[static_cast<std::size_t>(row)]);
    }
    std::vector<std::string> picked = NumbersOfPeople(S, selected);
    std::erase(picked, std::string());
    THistoryDlg dialog(BlockList(S), picked, D.DefaultColor, this);
    if (Dlg.RunDialog(dialog) != QDialog::Accepted) return;

    // The marks are stored before any question, and written at once: a decision the
    // user made is not lost when the program ends before the next import.
    const BlockMarksStored stored = StoreBlockMarks(S, dialog.Marks());
    const int checked = stored.Blocked;
    KeepHistory();  // a failure is reported; the marks in memory stay
    if (stored.NoRoom > 0)
        Dlg.ShowError(QString::asprintf("The contact history is full (%d numbers): %d contacts could not be blocked.",
                                        MaxHistory, stored.NoRoom));
    if (checked == 0) return;

    if (!Dlg.AskYesNo(QString::asprintf("Do you want to delete and block messages with selected %d contacts?", checked),
                      DefaultButton::No))
        return;
    const std::int32_t removed = DeleteBlocked(S);
    KeepOneRow(CurrentRow());
    FormPaint();
    Dlg.ShowInfo(QString::asprintf("%d messages deleted from %d blocked contacts.", removed, checked));
}

// Blocking contacts: the blocked-contacts dialog, its marks, and removing their messages.
#include <cstring>

#include "MBHistory/THistoryDlg.h"
#include "MBVars/History.h"
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
    THistoryDlg dialog(S, D.DefaultColor, this);
    if (Dlg.RunDialog(dialog) != QDialog::Accepted) return;

    // The marks are stored before any question, and written at once: a decision the
    // user made is not lost when the program ends before the next import.
    int checked = 0;
    for (std::int32_t i = 1; i <= S.HistoryCount; ++i) {
        const bool blocked = dialog.IsChecked(i);
        S.History[static_cast<std::size_t>(i)].Blocked = blocked ? 1 : 0;
        checked += blocked ? 1 : 0;
    }
    KeepHistory();  // a failure is reported; the marks in memory stay
    if (checked == 0) return;

    if (!Dlg.AskYesNo(QString::asprintf("Do you want to delete and block messages with selected %d contacts?", checked),
                      DefaultButton::No))
        return;
    const std::int32_t removed = DeleteBlocked(S);
    KeepOneRow(CurrentRow());
    FormPaint();
    Dlg.ShowInfo(QString::asprintf("%d messages deleted from %d blocked contacts.", removed, checked));
}

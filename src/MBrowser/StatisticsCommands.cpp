// SPDX-License-Identifier: GPL-3.0-or-later
// The activity summary and the activity statistics dialog.
#include <QToolButton>
#include <filesystem>

#include "MBActivity/TActivityChart.h"
#include "MBStats/TStatsDialog.h"
#include "MBVars/Contacts.h"
#include "MBVars/Stats.h"
#include "MBrowser/TMBForm.h"

void TMBForm::SummaryMenuClick() {
    ActivityTotals totals;
    ComputeActivity(S, {}, totals);
    // Labels, figures and the locale's dates: no stored bytes in this text.
    Dlg.ShowInfo(QString::fromStdString(ActivitySummaryText(totals, Locale)));
}

void TMBForm::ContactsActivityClick() {
    TStatsDialog dialog(S, D, Locale, this);
    Dlg.RunDialog(dialog);
    // Rebuilding the contact table cleaned the messages' names of control characters.
    UpdateMessageView();
}

void TMBForm::ActivityChartClick() {
    // The contact view's contact, else all contacts.
    const ActivityContact contact = ThisPersonSB->isChecked() && CurrentMessage > 0
                                        ? ActivityContactOf(S.Messages[CurrentMessage])
                                        : ActivityContact{};
    if (!ActivityChart) {
        ActivityChart = new TActivityChart(S, D, Locale, Dlg, contact, this);
        // The program's folder, where its data files and settings are.
        ActivityChart->ImageFolder = QString::fromStdString(std::filesystem::path(UntitledPath()).parent_path().string());
    } else {
        ActivityChart->Refresh();
        ActivityChart->ShowContact(contact);
    }
    ActivityChart->show();
    ActivityChart->raise();
    ActivityChart->activateWindow();
}

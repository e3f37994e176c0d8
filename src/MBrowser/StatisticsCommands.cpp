// The activity summary and the activity statistics dialog.
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

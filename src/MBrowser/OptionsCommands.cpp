// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog's commands.
#include <QAction>
#include <QToolButton>

#include "Formats/MediaFolder.h"
#include "MBOptions/TOptionsDialog.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/People.h"
#include "MBrowser/TMBForm.h"

void TMBForm::OptionsMainMenuClick() {
    {
        TOptionsDialog options(*this);
        options.exec();
    }
    FormPaint();
}

bool TMBForm::ChooseOptionsColour(QWidget* owner, const QString& prompt, std::int32_t& colour) {
    return ColorSelect(owner, false, prompt, colour);
}

void TMBForm::OptionsAccepted(bool numbersChanged) {
    ApplyHintSettings();
    S.Modified = true;
    if (!numbersChanged || S.MessageCount == 0) return;
    // The open collection takes the home country's numbers and names now: no new
    // collection is needed for them.
    const NumbersRefitted refitted = RefitNumbers(S, D);
    FollowInternationalForms(Media, S.Book.HomeCountry);
    KeepOneRow(CurrentRow());
    FormPaint();
    Dlg.ShowInfo(QString::asprintf("The numbers of %d messages are now written in international form, and %d "
                                   "messages have another name: %s.",
                                   refitted.Renumbered, refitted.Renamed, PeopleCountText(GroupPeople(S)).c_str()));
}

void TMBForm::ConnectOptionsCommands() {
    Wire(OptionsSB, &QToolButton::clicked, &TMBForm::OptionsMainMenuClick);
    Wire(OptionsMainMenu, &QAction::triggered, &TMBForm::OptionsMainMenuClick);
    Wire(OptionsMenu, &QAction::triggered, &TMBForm::OptionsMainMenuClick);
}

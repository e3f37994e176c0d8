// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog's commands.
#include <QAction>
#include <QToolButton>

#include "MBOptions/TOptionsDialog.h"
#include "MBrowser/TMBForm.h"

void TMBForm::OptionsMainMenuClick() {
    {
        TOptionsDialog options(*this);
        options.exec();
    }
    FormPaint();
}

void TMBForm::ConnectOptionsCommands() {
    Wire(OptionsSB, &QToolButton::clicked, &TMBForm::OptionsMainMenuClick);
    Wire(OptionsMainMenu, &QAction::triggered, &TMBForm::OptionsMainMenuClick);
    Wire(OptionsMenu, &QAction::triggered, &TMBForm::OptionsMainMenuClick);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the options dialog asks of the main window behind it: the settings, the standard
// dialogs, the window's way of running a command, and the refreshes that show a change at
// once. The main window implements it; the dialog knows no more of the window.
#include <QString>
#include <cstdint>
#include <functional>

#include "MBVars/Defaults.h"

class Dialogs;
class QWidget;

class OptionsHost {
public:
    virtual QWidget* OptionsParent() = 0;
    virtual Settings& OptionsSettings() = 0;
    virtual Dialogs& OptionsDialogs() = 0;
    // Runs a handler as the window runs its commands: a failure is shown and ends it.
    virtual void RunOptionsCommand(const std::function<void()>& handler) = 0;
    // The colour chooser over `owner`; false when cancelled.
    virtual bool ChooseOptionsColour(QWidget* owner, const QString& prompt, std::int32_t& colour) = 0;
    // The window's layout pass, after a colour, a style or the colour mode changed.
    virtual void RepaintForOptions() = 0;
    // The grid follows a new message font.
    virtual void RefitGridForOptions() = 0;
    // OK: the settings are the dialog's now. When the home country or the international
    // numbers changed, the open collection takes them, and the user is told what changed.
    virtual void OptionsAccepted(bool numbersChanged) = 0;

protected:
    ~OptionsHost() = default;
};

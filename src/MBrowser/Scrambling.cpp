// SPDX-License-Identifier: GPL-3.0-or-later
// Scrambling the message texts on screen, and turning them back.
#include <QLineEdit>

#include "MBrowser/TMBForm.h"

void TMBForm::CryptMainMenuClick() {
    // An edit of the detail line belongs to the plain text: it is kept before scrambling.
    MessageLabelExit();
    ScrambleTexts(S, TextMask);
    ScreenScrambled = !ScreenScrambled;
    FormPaint();
    UpdateMenus();
    if (ScreenScrambled)
        Dlg.ShowInfo(QStringLiteral("Messages are crypted on screen only. Select \"Tools|Decrypt messages on "
                                    "screen\" again to revert this operation."));
}

// The contact colour commands of the colour menu.
#include "MBVars/ContactColors.h"
#include "MBrowser/TMBForm.h"

void TMBForm::ColorsAutomaticClick() {
    ReseedRandom();
    const std::int32_t assigned = ColorContactsAutomatically(S, Random);
    UpdateMessageView();
    FormPaint();
    if (assigned == 0 && S.MessageCount > 0)
        Dlg.ShowInfo(QStringLiteral("None of the colours were changed. Clear first some or all of the colours "
                                    "(\"Clear all contact colours\")."));
}

void TMBForm::ConnectColourCommands() {}

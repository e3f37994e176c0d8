// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options dialog. Colours, the colour mode, the row styles and the message font take
// effect at once in the main window behind it; the check boxes, the date-time format and
// the tooltip times, the home country and the international numbers on OK (the open
// collection takes the last two). Cancel, Esc and the close box put every setting back as
// it was when the dialog opened. It talks to the main window through OptionsHost.
#include <QDialog>

#include "MBVars/Defaults.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;
class OptionsHost;

class TOptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TOptionsDialog(OptionsHost& host);

    QGroupBox* GeneralBox = nullptr;
    QCheckBox* LastSavedReadCB = nullptr;
    QCheckBox* RemoveDupsCB = nullptr;
    QCheckBox* UseHistoryCB = nullptr;
    QLabel* HintWaitLabel = nullptr;
    QSpinBox* HintWaitSpin = nullptr;
    QLabel* HintHideWaitLabel = nullptr;
    QSpinBox* HintHideWaitSpin = nullptr;

    QGroupBox* ColorsBox = nullptr;
    QToolButton* MainColorSB = nullptr;
    QToolButton* SentColorSB = nullptr;
    QToolButton* ReceivedColorSB = nullptr;
    QToolButton* ToolTipColorSB = nullptr;
    QToolButton* FixedGridColorSB = nullptr;
    QGroupBox* ColorModeRB = nullptr;
    QButtonGroup* ColorModeItems = nullptr;

    QGroupBox* FontBox = nullptr;
    QGroupBox* SentFontRG = nullptr;
    QButtonGroup* SentFontItems = nullptr;
    QGroupBox* ReceivedFontRG = nullptr;
    QButtonGroup* ReceivedFontItems = nullptr;
    QToolButton* MessageFontSB = nullptr;
    QCheckBox* GridLinesCB = nullptr;
    QLabel* DateTimeFormatLabel = nullptr;
    QLineEdit* DateTimeEdit = nullptr;

    QLabel* HomeCountryLabel = nullptr;  // whose national numbers the messages hold
    QComboBox* HomeCountryBox = nullptr;
    QCheckBox* InternationalNumbersCB = nullptr;  // the suites' numbers in international form too

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void FormCreate();
    void FormPaint();
    void OKBtnClick();
    void CancelBtnClick();
    void MainColorSBClick();
    void SentColorSBClick();
    void ReceivedColorSBClick();
    void ToolTipColorSBClick();
    void FixedGridColorSBClick();
    void ColorModeRBClick();
    void SentFontRGClick();
    void ReceivedFontRGClick();
    void MessageFontSBClick();
    // The font button's caption and tooltip for the current message font.
    void ShowMessageFont();

    // Esc and the close box end the dialog as Cancel does.
    void reject() override;

private:
    void BuildControls();
    void EditColor(const QString& prompt, std::int32_t& setting);
    // The row height and every cell follow DefaultFont, then the layout pass.
    void ApplyGridFont();

    OptionsHost& Host;
    DefaultsType& D;
    FontData SavedFont;
    bool Restored = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The colour chooser: the 147 named colours, listed by name or by luminance, each drawn
// with its name in black and in white. It edits one colour value (0x00BBGGRR, 0 = none)
// that its caller hands in and takes back on OK.
#include <QDialog>
#include <cstdint>

#include "MBColors/NamedColors.h"

class QLabel;
class QListWidget;
class QPushButton;

class TColorDialog : public QDialog {
    Q_OBJECT

public:
    // selectedColor: the value being edited; OK leaves the choice in it, Cancel may leave
    // it cleared (Clear sets it at once), so the caller copies it out only on OK.
    // background: the program's DefaultColor.
    TColorDialog(QWidget* owner, std::int32_t& selectedColor, std::int32_t background);

    // The strip's colour and caption ("Select a colour and click OK" unless a prompt).
    void ShowEditedColor(std::int32_t color);
    void SetPrompt(const QString& prompt);

    // The list's rows in their current order, and whether that is the name order.
    NamedColorTable NamedColors{};
    bool SortByName = true;

    QLabel* CurrentColor = nullptr;
    QWidget* ListBoxPanel = nullptr;
    QListWidget* ColorListBox = nullptr;
    QPushButton* SortColorsSB = nullptr;
    QPushButton* ClearColorSB = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void FormCreate();
    void ColorListBoxClick();
    void SortColorsSBClick();
    void ClearColorSBClick();
    void OKBtnClick();

private:
    void FillList();

    std::int32_t& SelectedColor;
    const std::int32_t Background;
};

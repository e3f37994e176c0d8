// SPDX-License-Identifier: GPL-3.0-or-later
// The colour chooser's entry and the contact colour commands of the colour menu.
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "MBColors/TColorDialog.h"
#include "MBVars/ContactColors.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "Platform/Cp1252Text.h"

bool TMBForm::ColorSelect(QWidget* owner, bool clearVisible, const QString& prompt, std::int32_t& color) {
    SelectedColor = color;
    TColorDialog chooser(owner, SelectedColor, D.DefaultColor);
    chooser.ClearColorSB->setVisible(clearVisible);
    chooser.ShowEditedColor(color);
    chooser.SetPrompt(prompt);
    if (chooser.exec() != QDialog::Accepted) return false;
    color = SelectedColor;
    return true;
}

void TMBForm::ColorThisContactClick() {
    CurrentMessage = MessageModel->MessageAt(CurrentRow() - 1);
    if (CurrentMessage < 1) return;
    const XMsgRecType& current = S.Messages[static_cast<std::size_t>(CurrentMessage)];
    const QString prompt = QStringLiteral("Select the colour for \"%1\"").arg(ShownText(current.Name.view()));
    std::int32_t color = current.Color;
    if (ColorSelect(this, true, prompt, color)) ColorThisContact(S, D, CurrentMessage, color);
    MessageView->viewport()->update();
    FormPaint();
}

void TMBForm::ColorsAutomaticClick() {
    ReseedRandom();
    const std::int32_t assigned = ColorContactsAutomatically(S, Random);
    LayOutAndRefresh();
    if (assigned == 0 && S.MessageCount > 0)
        Dlg.ShowInfo(QStringLiteral("None of the colours were changed. Clear first some or all of the colours "
                                    "(\"Clear all contact colours\")."));
}

void TMBForm::RemoveAllColourMainMenuClick() {
    if (!Dlg.AskConfirm(QStringLiteral("you want to clear all colours from contacts"))) return;
    ClearAllColors(S);
    LayOutAndRefresh();
}

void TMBForm::OneColorMainMenuClick(int tag) {
    if (tag < 0 || tag > 2) return;
    D.ColorMode = static_cast<std::uint8_t>(tag);
    UpdateMessageView();
    UpdateMenus();
}

void TMBForm::ReColorSBClick() {
    // Below the Colours button, at its left edge: the arrow beside it opens the menu.
    PopupMenuColor->popup(ReColorSB->mapToGlobal(QPoint(0, ReColorSB->height())));
}

void TMBForm::ConnectColourCommands() {
    Wire(ReColorSB, &QToolButton::clicked, &TMBForm::ColorThisContactClick);
    Wire(ColourMenu, &QAction::triggered, &TMBForm::ColorThisContactClick);
    Wire(SelectColorMenu, &QAction::triggered, &TMBForm::ColorThisContactClick);
    Wire(ColorsAutomaticMenu, &QAction::triggered, &TMBForm::ColorsAutomaticClick);
    Wire(ClearColorsMenu, &QAction::triggered, &TMBForm::RemoveAllColourMainMenuClick);
    Wire(ColourMenuSB, &QToolButton::clicked, &TMBForm::ReColorSBClick);
    for (QAction* mode : {DefaultColorMenu, SentReceivedColorMenu, ContactColorsMenu})
        connect(mode, &QAction::triggered, this,
                [this, mode] { Safely([this, mode] { OneColorMainMenuClick(mode->data().toInt()); }); });
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file seen from the window: read once at start, written at every close
// request; the tooltip settings and the grid font applied to the desktop.
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <algorithm>
#include <cerrno>

#include "MBVars/SettingsFile.h"
#include "MBrowser/GridFont.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "Platform/ColorRef.h"
#include "Platform/TooltipSettings.h"

int GridRowHeight(const QFont& font) {
    // The whole line (ascent and descent), or the ink of accented capitals and descenders
    // where a font draws them beyond it, in the regular and the bold style the rows use;
    // then a pixel for the grid line and one each above and below for the focus frame.
    int text = 0;
    QFont bold = font;
    bold.setBold(true);
    for (const QFont& f : {font, bold}) {
        const QFontMetrics m(f);
        text = std::max({text, m.height(), m.tightBoundingRect(QStringLiteral("\u00C5\u00D6\u00C4\u00C9gjpqy")).height()});
    }
    return text + 3;
}

std::string TMBForm::SettingsPath() const { return Set.DefaultDir + "/" + SettingsFileName; }

QRect TMBForm::AvailableArea() const {
    if (Environment.AvailableArea.isValid()) return Environment.AvailableArea;
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    return shown ? shown->availableGeometry() : QRect(0, 0, 1067, 635);
}

void TMBForm::ReadSettings() {
    SizeRead = WindowSize{DesignedWidth, DesignedHeight};
    // A file that exists but cannot be read is said once; the close then leaves it alone.
    if (const int error = ReadSettingsFile(SettingsPath(), Set, SizeRead); error != 0 && error != ENOENT)
        ReportError(QString::fromStdString(FileErrorText("read", SettingsPath(), FileErrorReason(error)) +
                                           "\r\n\r\nThe settings file is left as it is: "
                                           "changes to the settings are not saved."));
}

void TMBForm::ApplySettings() {
    const WindowSize size = SizeRead;
    // A size the screen cannot hold would put the menu and tool bar out of reach (and a
    // huge one costs memory): the window fits the screen, but never below its minimum.
    // The frame (title bar, borders) must fit too; before the window is shown its size is
    // not known yet, and a generous guess serves.
    QSize frame = frameGeometry().size() - this->size();
    if (frame.width() <= 0 && frame.height() <= 0) frame = QSize(16, 40);
    const QSize room = AvailableArea().size() - frame;
    resize(std::max(MinFormWidth, std::min(size.Width, room.width())),
           std::max(MinFormHeight, std::min(size.Height, room.height())));
    UpdateMessageGrid();
    ApplyConversationSettings();
}

void TMBForm::WriteSettings() {
    // A failure is not reported: the window closes in any case. A file that could not be
    // read is not rewritten.
    WindowSize size{width(), height()};
    KeepConversationSettings(size);
    WriteSettingsFile(SettingsPath(), Set, size);
}

void TMBForm::ApplyHintSettings() {
    SetTooltipTiming(D.HintWait, D.HintHideWait);
    ApplyHintColor();
}

void TMBForm::ApplyHintColor() { SetTooltipColor(ToQColor(D.HintColor)); }

void TMBForm::UpdateMessageGrid() {
    const QFont font = ToQFont(*D.DefaultFont);
    MessageView->setFont(font);
    MessageModel->SetGridFont(font);
    const int rowHeight = GridRowHeight(font);
    MessageView->verticalHeader()->setDefaultSectionSize(rowHeight);
    MessageView->horizontalHeader()->setFixedHeight(rowHeight + 8);
}

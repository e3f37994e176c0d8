// The settings file seen from the window: read once at start, written at every close
// request; the tooltip settings and the grid font applied to the desktop.
#include <QHeaderView>
#include <cerrno>

#include "MBVars/SettingsFile.h"
#include "MBrowser/GridFont.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "Platform/ColorRef.h"
#include "Platform/TooltipSettings.h"

std::string TMBForm::SettingsPath() const { return Set.DefaultDir + "/" + SettingsFileName; }

void TMBForm::ReadSettings() {
    WindowSize size{width(), height()};
    // A file that exists but cannot be read is said once; the close then leaves it alone.
    if (const int error = ReadSettingsFile(SettingsPath(), Set, size); error != 0 && error != ENOENT)
        ReportError(QString::fromStdString(FileErrorText("read", SettingsPath(), FileErrorReason(error)) +
                                           "\r\n\r\nThe settings file is left as it is: "
                                           "changes to the settings are not saved."));
    resize(size.Width, size.Height);
    UpdateMessageGrid();
}

void TMBForm::WriteSettings() {
    // A failure is not reported: the window closes in any case. A file that could not be
    // read is not rewritten.
    WriteSettingsFile(SettingsPath(), Set, WindowSize{width(), height()});
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
    const int rowHeight = QFontMetrics(font).height() + 1;
    MessageView->verticalHeader()->setDefaultSectionSize(rowHeight);
    MessageView->horizontalHeader()->setFixedHeight(rowHeight + 8);
}

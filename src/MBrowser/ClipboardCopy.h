// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text a copy of grid cells puts on the clipboard.
#include <QString>

// Removes every tab that stands directly before a CR LF, however many follow one another,
// so that no line ends with a tab.
QString DropTabsBeforeLineBreaks(const QString& text);

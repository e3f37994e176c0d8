// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the grid's tooltip that do not need a window.
#include <QString>

// Copies text, and after every space that ends a line of at least lineLength characters
// adds CR LF (a text without spaces stays on one line).
QString WrapAtSpaces(const QString& text, int lineLength);

// How a tooltip text is handed to the desktop: CR LF as line breaks, and a text that
// would be taken for markup shown as written.
QString TooltipForDisplay(const QString& hint);

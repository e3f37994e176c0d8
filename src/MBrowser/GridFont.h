// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The grid's font is kept as plain data in the settings; these map it to a real font
// and back. A family the desktop lacks (Verdana, usually) is substituted by Qt when the
// font is drawn, while the stored name stays as it was.
#include <QFont>

#include "MBVars/Defaults.h"

QFont ToQFont(const FontData& data);
// Name, styles, size and height of `font`; the character set stays.
void ToFontData(const QFont& font, FontData& data);
// The grid's row height for `font`: room for the font's full line and the accents on its
// capitals, the grid line and the focus frame.
int GridRowHeight(const QFont& font);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text shaping where it is needed: the grid and the pages draw most texts without the
// font's optional shaping (ligatures, kerning by feature tables), which was most of their
// drawing's cost, and scripts that require it are shaped all the same; emoji sequences,
// which only the shaper composes, are drawn with it.
#include <QFont>
#include <QString>

// The font without the optional shaping.
QFont WithoutShaping(QFont font);
// Whether a text holds what only the shaper draws right: emoji outside the basic plane
// (flags of two regional indicators, skin tones, people joined into a family), joiners,
// variation selectors and the keycap.
bool NeedsShaping(const QString& text);
// The font to draw `text` in: without the optional shaping unless the text needs it.
QFont ShapedAsNeeded(QFont font, const QString& text);

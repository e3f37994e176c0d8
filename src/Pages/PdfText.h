// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's PDF writer maps the glyphs of its embedded fonts back to characters of the Basic
// Multilingual Plane only: the emoji beyond it (most of them, flags, skin tones) are drawn
// but missing from the PDF's text, for copying and searching. This adds them to each
// font's ToUnicode map.
#include <QByteArray>
#include <QStringList>

// The PDF with the glyphs of the characters beyond U+FFFF in its fonts' ToUnicode maps.
// `painted` are the texts drawn, in the order drawn; `families` the pages' font families
// in the order of fallback. A font whose glyphs cannot be matched with certainty (their
// count or widths differ from what the texts need), or a file not laid out as Qt writes
// it, is left as it is.
QByteArray WithTextBeyondBmp(const QByteArray& pdf, const QStringList& painted, const QStringList& families);

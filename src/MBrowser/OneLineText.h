// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing a grid cell's text on one line, clipped by the caller: what
// QPainter::drawText(rect, alignment | Qt::TextSingleLine, text) draws, pixel for pixel.
// That call lays the text out as a paragraph first, which costs about as much as drawing
// it; texts of Latin-1 characters in a font that has them all, centred vertically and
// placed left or right, are drawn straight at the same baseline and start instead.
// Fonts are drawn from the window's thread.
#include <QPainter>
#include <QRect>
#include <QString>

void DrawOneLine(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text);
// What DrawOneLine needs to know of a font, learnt at once rather than when the window is
// next idle after the font's first use (until then its texts go through the layout).
void LearnFont(const QFont& font);
// Whether DrawOneLine draws this text straight rather than through the paragraph layout.
bool DrawsStraight(const QFont& font, Qt::Alignment alignment, const QString& text);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Types any text into a widget, one key press per character, letters outside ASCII
// included (the test library's own typing accepts ASCII only).
#include <QTest>

inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_A, QString(c), Qt::NoModifier);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window in the user's window colour, with texts that stay readable on it whatever the
// desktop's theme is. Buttons keep the desktop's own colours.
#include <QPalette>
#include <QWidget>

inline void SetWindowColor(QWidget& widget, const QColor& background, bool alsoBase) {
    const QColor ink = background.lightness() >= 128 ? QColor(0x10, 0x18, 0x28) : QColor(Qt::white);
    QPalette p = widget.palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, ink);
    if (alsoBase) {  // lists and boxes take the colour too
        p.setColor(QPalette::Base, background);
        p.setColor(QPalette::Text, ink);
    }
    widget.setPalette(p);
    widget.setAutoFillBackground(true);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colours are kept the desktop-neutral way, 0x00BBGGRR (red in the low byte).
#include <QColor>
#include <cstdint>

inline QColor ToQColor(std::int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline std::int32_t FromQColor(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

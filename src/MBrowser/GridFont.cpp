// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/GridFont.h"

#include <QGuiApplication>
#include <cmath>

QFont ToQFont(const FontData& data) {
    QFont font = QGuiApplication::font();
    if (!data.Name.empty()) font.setFamilies({QString::fromStdString(data.Name)});
    // The point size decides when both are known; a negative height is a character height.
    if (data.Size > 0)
        font.setPointSize(data.Size);
    else if (data.Height != 0)
        font.setPixelSize(std::abs(data.Height));
    font.setBold(data.Bold);
    font.setItalic(data.Italic);
    font.setUnderline(data.Underline);
    font.setStrikeOut(data.StrikeOut);
    return font;
}

void ToFontData(const QFont& font, FontData& data) {
    data.Name = font.family().toStdString();
    data.Bold = font.bold();
    data.Italic = font.italic();
    data.Underline = font.underline();
    data.StrikeOut = font.strikeOut();
    if (font.pointSize() > 0) {
        data.Size = font.pointSize();
        data.Height = -static_cast<std::int32_t>(std::lround(font.pointSizeF() * 96.0 / 72.0));
    } else {
        data.Height = -font.pixelSize();
        data.Size = static_cast<std::int32_t>(std::lround(font.pixelSize() * 72.0 / 96.0));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pages/Shaping.h"

#include <algorithm>

QFont WithoutShaping(QFont font) {
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

bool NeedsShaping(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return c.isSurrogate() || u == 0x200C || u == 0x200D || (u >= 0xFE00 && u <= 0xFE0F) || u == 0x20E3;
    });
}

QFont ShapedAsNeeded(QFont font, const QString& text) {
    if (!NeedsShaping(text)) return WithoutShaping(font);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() & ~QFont::PreferNoShaping));
    return font;
}

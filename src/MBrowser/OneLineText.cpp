#include "MBrowser/OneLineText.h"

#include <QFontMetricsF>
#include <QRawFont>
#include <algorithm>
#include <vector>

namespace {

bool IsLineBreakOrTab(char16_t c) { return c == u'\t' || c == u'\r' || c == u'\n'; }
// Printable Latin-1 but the soft hyphen, which a paragraph layout treats apart.
bool IsPlainLatin1(char16_t c) { return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF && c != 0xAD); }

// What the straight drawing needs of a font, found once per font (the grid draws in a
// handful of them). Whether the font itself has every plain Latin-1 character: one drawn
// from a fallback font would lend the line that font's height in a paragraph layout.
struct FontFacts {
    QFont Font;
    bool HasLatin1 = false;
    qreal Ascent = 0, Descent = 0;
};

FontFacts FactsOf(const QFont& font) {
    static std::vector<FontFacts> known;
    for (const FontFacts& facts : known)
        if (facts.Font == font) return facts;
    const QRawFont raw = QRawFont::fromFont(font);
    bool has = raw.isValid();
    for (char16_t c = 0x20; has && c <= 0xFF; ++c)
        if (IsPlainLatin1(c)) has = raw.supportsCharacter(QChar(c));
    const QFontMetricsF metrics(font);
    if (known.size() >= 16) known.clear();
    return known.emplace_back(FontFacts{font, has, metrics.ascent(), metrics.descent()});
}

}  // namespace

bool DrawsStraight(const QFont& font, Qt::Alignment alignment, const QString& text) {
    const Qt::Alignment across = alignment & Qt::AlignHorizontal_Mask;
    if ((alignment & Qt::AlignVertical_Mask) != Qt::AlignVCenter || (across != Qt::AlignLeft && across != Qt::AlignRight) ||
        text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!IsLineBreakOrTab(c.unicode()) && !IsPlainLatin1(c.unicode())) return false;
    return FactsOf(font).HasLatin1;
}

void DrawOneLine(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text) {
    if (!DrawsStraight(painter.font(), alignment, text)) {
        painter.drawText(rect, int(alignment | Qt::TextSingleLine), text);
        return;
    }
    // On one line, line breaks and tabs are spaces.
    QString line = text;
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return IsLineBreakOrTab(c.unicode()); }))
        for (QChar& c : line)
            if (IsLineBreakOrTab(c.unicode())) c = u' ';
    const FontFacts font = FactsOf(painter.font());
    qreal x = rect.x();
    if ((alignment & Qt::AlignHorizontal_Mask) == Qt::AlignRight)
        x += rect.width() - QFontMetricsF(painter.font()).horizontalAdvance(line);
    const qreal height = font.Ascent + font.Descent;
    painter.drawText(QPointF(x, rect.y() + (rect.height() - height) / 2 + font.Ascent), line);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/OneLineText.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

bool IsLineBreakOrTab(char16_t c) { return c == u'\t' || c == u'\r' || c == u'\n'; }
// Printable Latin-1 but the soft hyphen, which a paragraph layout treats apart.
bool IsPlainLatin1(char16_t c) { return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF && c != 0xAD); }

// A text with a Latin letter is drawn in the font's Latin face; one without (digits,
// signs) in its face for common characters. The two differ for fonts without letters.
enum Face { CommonFace, LatinFace };
Face FaceFor(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.script() == QChar::Script_Latin; })
               ? LatinFace
               : CommonFace;
}

// What the straight drawing needs of a font, per face: whether one font draws all the
// face's plain Latin-1 characters (one drawn from a fallback font would lend the line that
// font's height in a paragraph layout), and that font's ascent and descent. Learnt once
// per font (the grid draws in a handful of them), when the window is next idle: learning
// costs the font's glyphs, which the first screen of a start should not wait for.
struct FontFacts {
    QFont Font;
    bool Learnt = false;
    bool OneFont[2] = {false, false};
    qreal Ascent[2] = {0, 0}, Descent[2] = {0, 0};
};

std::vector<FontFacts>& KnownFonts() {
    static std::vector<FontFacts> known;  // the window's thread draws
    return known;
}

FontFacts* Find(const QFont& font) {
    for (FontFacts& facts : KnownFonts())
        if (facts.Font == font) return &facts;
    return nullptr;
}

FontFacts Learn(const QFont& font) {
    FontFacts facts{font, true};
    QString characters[2];
    for (char16_t c = 0x20; c <= 0xFF; ++c)
        if (IsPlainLatin1(c)) characters[QChar(c).script() == QChar::Script_Latin ? LatinFace : CommonFace] += QChar(c);
    characters[LatinFace] += characters[CommonFace];  // among letters, the others are drawn as letters are
    for (const Face face : {CommonFace, LatinFace}) {
        // Laid out once, the characters show which fonts draw them: one glyph run, one font.
        QTextLayout layout(characters[face], font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        bool one = !runs.isEmpty();
        for (const QGlyphRun& run : runs) one = one && run.rawFont() == runs.front().rawFont();
        if (!one) continue;
        facts.OneFont[face] = true;
        facts.Ascent[face] = runs.front().rawFont().ascent();
        facts.Descent[face] = runs.front().rawFont().descent();
    }
    return facts;
}

FontFacts FactsOf(const QFont& font) {
    if (const FontFacts* facts = Find(font)) return *facts;
    if (KnownFonts().size() >= 16) KnownFonts().clear();
    KnownFonts().push_back(FontFacts{font});
    QTimer::singleShot(0, [font] { LearnFont(font); });
    return FontFacts{font};
}

}  // namespace

void LearnFont(const QFont& font) {
    FontFacts* facts = Find(font);
    if (facts && facts->Learnt) return;
    const FontFacts learnt = Learn(font);
    if ((facts = Find(font)))
        *facts = learnt;
    else
        KnownFonts().push_back(learnt);
}

namespace {
// The ascent and descent at which the text is drawn straight; none when it goes through the
// paragraph layout.
std::optional<std::pair<qreal, qreal>> StraightMetrics(const QFont& font, Qt::Alignment alignment, const QString& text) {
    const Qt::Alignment across = alignment & Qt::AlignHorizontal_Mask;
    if ((alignment & Qt::AlignVertical_Mask) != Qt::AlignVCenter || (across != Qt::AlignLeft && across != Qt::AlignRight) ||
        text.isEmpty())
        return std::nullopt;
    for (const QChar c : text)
        if (!IsLineBreakOrTab(c.unicode()) && !IsPlainLatin1(c.unicode())) return std::nullopt;
    const FontFacts facts = FactsOf(font);
    const Face face = FaceFor(text);
    if (!facts.Learnt || !facts.OneFont[face]) return std::nullopt;
    return std::make_pair(facts.Ascent[face], facts.Descent[face]);
}
}  // namespace

bool DrawsStraight(const QFont& font, Qt::Alignment alignment, const QString& text) {
    return StraightMetrics(font, alignment, text).has_value();
}

void DrawOneLine(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text) {
    const auto metrics = StraightMetrics(painter.font(), alignment, text);
    if (!metrics) {
        painter.drawText(rect, int(alignment | Qt::TextSingleLine), text);
        return;
    }
    const auto [ascent, descent] = *metrics;
    // On one line, line breaks and tabs are spaces.
    QString line = text;
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return IsLineBreakOrTab(c.unicode()); }))
        for (QChar& c : line)
            if (IsLineBreakOrTab(c.unicode())) c = u' ';
    qreal x = rect.x();
    if ((alignment & Qt::AlignHorizontal_Mask) == Qt::AlignRight)
        x += rect.width() - QFontMetricsF(painter.font()).horizontalAdvance(line);
    painter.drawText(QPointF(x, rect.y() + (rect.height() - (ascent + descent)) / 2 + ascent), line);
}

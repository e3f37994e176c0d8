// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include "MBrowser/MessageCellDelegate.h"
#include "MBrowser/OneLineText.h"

namespace {

QImage Drawn(const QFont& font, const QRect& rect, Qt::Alignment alignment, const QString& text, bool straight) {
    QImage image(rect.right() + 8, rect.bottom() + 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(QColor(0x10, 0x18, 0x28));
    p.setClipRect(rect);
    if (straight)
        DrawOneLine(p, rect, alignment, text);
    else
        p.drawText(rect, int(alignment | Qt::TextSingleLine), text);
    return image;
}

const QString LongText = QString::fromUtf16(u"Meet you at the station at 8, then lunch? ").repeated(8);

}  // namespace

// Every font and size the grid may use (a symbol font without letters among them), both placements, texts with line breaks, tabs,
// spaces at either end and Latin-1 letters: the same pixels as the paragraph layout.
TEST(OneLineText, DrawsTheSamePixelsAsTheParagraphLayout) {
    const QString texts[] = {QStringLiteral("Hello, world"), QStringLiteral("  spaces before"),
                             QStringLiteral("spaces after   "), QStringLiteral("Tabs\tand\r\nbreaks\n"),
                             QString::fromUtf16(u"Gr\u00FC\u00DFe \u00E0 \u00E9t\u00E9 \u00A3\u00A5\u00A9\u00B1 \u00BF\u00D8\u00FF"),
                             QStringLiteral("16380"), QStringLiteral("7"), QStringLiteral("Fish & chips &x"),
                             QStringLiteral("2026.12.07 21:45"), LongText};
    int straight = 0, compared = 0;
    for (const char* family : {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono", "Verdana", "Nimbus Sans", "Standard Symbols PS"})
        for (const int points : {6, 7, 8, 9, 10, 11, 13, 16, 20})
            for (int style = 0; style < 4; ++style) {
                QFont font(QString::fromLatin1(family), points);
                font.setBold(style & 1);
                font.setItalic(style & 2);
                if (points % 2) font = WithoutShaping(font);
                LearnFont(font);
                for (const Qt::Alignment across : {Qt::AlignLeft, Qt::AlignRight})
                    for (const QString& text : texts) {
                        const QRect rect(3 + points % 3, 2 + style, 40 + 30 * points, 12 + points + style);
                        const Qt::Alignment alignment = across | Qt::AlignVCenter;
                        SCOPED_TRACE(testing::Message() << family << " " << points << "pt style " << style << " "
                                                        << int(across) << " \"" << text.toStdString() << "\"");
                        straight += DrawsStraight(font, alignment, text);
                        ++compared;
                        const QImage image = Drawn(font, rect, alignment, text, true);
                        ASSERT_EQ(image, Drawn(font, rect, alignment, text, false));
                        QImage blank(image.size(), image.format());
                        blank.fill(Qt::white);
                        ASSERT_NE(image, blank);  // the text shows
                    }
            }
    EXPECT_GT(straight, compared * 5 / 6);
}

// Texts the straight drawing leaves to the layout, and what they look like through it.
TEST(OneLineText, LeavesOtherTextsAndPlacementsToTheParagraphLayout) {
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    // A font is learnt when the window is next idle after its first use.
    QFont later = font;
    later.setPointSize(23);
    EXPECT_FALSE(DrawsStraight(later, left, QStringLiteral("plain")));
    QCoreApplication::processEvents();
    EXPECT_TRUE(DrawsStraight(later, left, QStringLiteral("plain")));
    LearnFont(font);
    EXPECT_TRUE(DrawsStraight(font, left, QStringLiteral("plain")));
    EXPECT_FALSE(DrawsStraight(font, left, QString()));
    EXPECT_FALSE(DrawsStraight(font, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("centred")));
    EXPECT_FALSE(DrawsStraight(font, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("on top")));
    const QString others[] = {QString::fromUtf16(u"soft\u00ADhyphen"), QString::fromUtf16(u"euro \u20AC"), QString::fromUtf16(u"smile \U0001F600"),
                              QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD"), QString::fromUtf16(u"bell\u0007"), QString::fromUtf16(u"nel\u0085")};
    const QRect rect(0, 0, 240, 22);
    for (const QString& text : others) {
        EXPECT_FALSE(DrawsStraight(font, left, text)) << text.toStdString();
        EXPECT_EQ(Drawn(font, rect, left, text, true), Drawn(font, rect, left, text, false)) << text.toStdString();
    }
}

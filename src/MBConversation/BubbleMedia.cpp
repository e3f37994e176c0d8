// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBConversation/BubbleMedia.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <array>

#include "MBConversation/Thumbnails.h"

namespace {
constexpr std::array<std::string_view, 5> MediaWords = {"[image]", "[video]", "[audio]", "[contact]", "[file]"};

QString Caption(const MediaItem& item) { return QString::fromStdString(MediumCaption(item)); }

// A mark for the kind, drawn before the tile's caption.
QString Symbol(const MediaItem& item) {
    if (item.Damaged || item.File.empty()) return QStringLiteral("\u26A0");  // warning sign
    switch (KindOfMedium(item.ContentType)) {
        case MediumKind::Video: return QStringLiteral("\u25B6");  // play
        case MediumKind::Audio: return QStringLiteral("\u266A");  // note
        default: return QStringLiteral("\u25A4");                 // page
    }
}

void PaintTile(QPainter& p, const QRect& box, const QString& symbol, const QString& caption, const QColor& ground,
               const QFont& font) {
    p.save();
    p.setPen(ground.darker(140));
    p.setBrush(ground.darker(108));
    p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.setFont(font);
    p.setPen(ground.lightness() >= 128 ? QColor(0x10, 0x18, 0x28) : QColor(Qt::white));
    const QFontMetrics metrics(font);
    const int pad = metrics.height() / 2;
    const int symbolWidth = metrics.horizontalAdvance(symbol) + pad;
    const QRect inner = box.adjusted(pad, 0, -pad, 0);
    p.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, symbol);
    p.drawText(inner.adjusted(symbolWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(caption, Qt::ElideRight, inner.width() - symbolWidth));
    p.restore();
}
}  // namespace

bool ShownAsPicture(const MediaItem& item) {
    return !item.Damaged && !item.File.empty() && KindOfMedium(item.ContentType) == MediumKind::Picture;
}

int MediaHeight(const std::vector<MediaItem>& items, const BubbleMediaLook& look) {
    int height = 0;
    for (const MediaItem& item : items) height += look.Gap + (ShownAsPicture(item) ? look.PictureHeight : look.TileHeight);
    return height;
}

std::vector<QRect> MediaRects(const std::vector<MediaItem>& items, int left, int top, const BubbleMediaLook& look) {
    std::vector<QRect> rects;
    rects.reserve(items.size());
    for (const MediaItem& item : items) {
        const int height = ShownAsPicture(item) ? look.PictureHeight : look.TileHeight;
        rects.emplace_back(left, top, look.Width, height);
        top += height + look.Gap;
    }
    return rects;
}

std::string WithoutMediaWords(std::string_view shown) {
    std::string kept;
    kept.reserve(shown.size());
    std::size_t begin = 0;
    while (begin <= shown.size()) {
        std::size_t end = shown.find('\n', begin);
        if (end == std::string_view::npos) end = shown.size();
        std::string_view line = shown.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (std::find(MediaWords.begin(), MediaWords.end(), line) == MediaWords.end()) {
            if (!kept.empty()) kept += "\r\n";
            kept += line;
        }
        begin = end + 1;
    }
    return kept;
}

QString MediaSpoken(const QString& words, const std::vector<MediaItem>& items) {
    QStringList parts;
    if (!words.isEmpty()) parts << words;
    for (const MediaItem& item : items) parts << Caption(item);
    return parts.join(QStringLiteral(". "));
}

void PaintMedium(QPainter& p, const QRect& box, const MediaItem& item, const QString& path, Thumbnails& thumbnails,
                 qreal pixelRatio, const QColor& ground, const QFont& font) {
    if (!ShownAsPicture(item)) {
        PaintTile(p, box, Symbol(item), Caption(item), ground, font);
        return;
    }
    QImage picture;
    switch (thumbnails.Find(path, (QSizeF(box.size()) * pixelRatio).toSize(), picture)) {
        case Thumbnails::State::Ready: {
            const QSizeF shown = QSizeF(picture.size()) / pixelRatio;
            p.drawImage(QRectF(QPointF(box.left(), box.top() + (box.height() - shown.height()) / 2), shown), picture);
            break;
        }
        case Thumbnails::State::Waiting:
            p.fillRect(box, ground.darker(112));
            break;
        case Thumbnails::State::Unreadable:  // a picture of a kind no library here reads: it can still be opened
            PaintTile(p, box.adjusted(0, (box.height() - 2 * QFontMetrics(font).height()) / 2, 0,
                                      -(box.height() - 2 * QFontMetrics(font).height()) / 2),
                      QStringLiteral("\u25A8"), Caption(item), ground, font);
            break;
    }
}

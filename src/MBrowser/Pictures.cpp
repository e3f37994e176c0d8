// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/Pictures.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <utility>

namespace {

// Every picture is drawn on a 32 x 32 design grid and scaled to the pixmap's size.
constexpr int DesignSize = 32;

const QColor SentBlue(0x2F, 0x6F, 0xDE);
const QColor ReceivedGreen(0x2E, 0x9E, 0x4F);
const QColor Ink(0x3C, 0x46, 0x55);
const QColor Paper(0xFF, 0xFF, 0xFF);
const QColor PaperEdge(0x7A, 0x86, 0x98);
const QColor Amber(0xF2, 0xB1, 0x3A);
const QColor AmberDark(0xD0, 0x8E, 0x1C);

using Drawing = std::function<void(QPainter&)>;

QPixmap Render(const Drawing& draw, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(static_cast<double>(size) / DesignSize, static_cast<double>(size) / DesignSize);
    draw(p);
    return pixmap;
}

// An icon drawn when a size is first asked for, not at every size when it is made: a start
// draws each picture once, at the tool bar's size, instead of at five sizes.
class DrawnIcon : public QIconEngine {
public:
    explicit DrawnIcon(Drawing draw) : Draw(std::move(draw)) {}

    QIconEngine* clone() const override { return new DrawnIcon(*this); }
    QString key() const override { return QStringLiteral("DrawnIcon"); }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // One look per mode: the pictures have no on and off states.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        const int side = static_cast<int>(std::lround(std::min(size.width(), size.height()) * scale));
        if (side <= 0) return {};
        const auto cacheKey = std::make_pair(side, static_cast<int>(mode));
        if (const auto found = Drawn.find(cacheKey); found != Drawn.end()) return found->second;
        QPixmap picture = Render(Draw, side);
        // The disabled and selected looks are the style's, as for any icon.
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        picture.setDevicePixelRatio(scale);
        Drawn.emplace(cacheKey, picture);
        return picture;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }

private:
    Drawing Draw;
    std::map<std::pair<int, int>, QPixmap> Drawn;  // by side in pixels and mode
};

QIcon MakeIcon(const Drawing& draw) { return QIcon(new DrawnIcon(draw)); }

QPen Stroke(const QColor& c, double width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A disc with a white arrow; direction +1 points right, -1 left.
void ArrowDisc(QPainter& p, const QRectF& box, const QColor& ground, int direction) {
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawEllipse(box);
    const QPointF c = box.center();
    const double r = box.width() / 2;
    QPainterPath arrow;
    // Shaft and head, drawn pointing right and mirrored for the left arrow.
    const double d = direction;
    arrow.moveTo(c.x() - d * 0.50 * r, c.y() - 0.16 * r);
    arrow.lineTo(c.x() + d * 0.05 * r, c.y() - 0.16 * r);
    arrow.lineTo(c.x() + d * 0.05 * r, c.y() - 0.45 * r);
    arrow.lineTo(c.x() + d * 0.58 * r, c.y());
    arrow.lineTo(c.x() + d * 0.05 * r, c.y() + 0.45 * r);
    arrow.lineTo(c.x() + d * 0.05 * r, c.y() + 0.16 * r);
    arrow.lineTo(c.x() - d * 0.50 * r, c.y() + 0.16 * r);
    arrow.closeSubpath();
    p.setBrush(Paper);
    p.drawPath(arrow);
}

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, const QRectF& r) {
    const double fold = r.width() * 0.32;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(Stroke(PaperEdge, 1.4));
    p.setBrush(Paper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xE3, 0xE8, 0xEF));
    p.drawPath(corner);
}

// A round badge with a white plus.
void PlusBadge(QPainter& p, const QPointF& c, double r, const QColor& ground) {
    p.setPen(Stroke(Paper, 1.5));
    p.setBrush(ground);
    p.drawEllipse(c, r, r);
    p.setPen(Stroke(Paper, 2.2));
    p.drawLine(QPointF(c.x() - r * 0.5, c.y()), QPointF(c.x() + r * 0.5, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - r * 0.5), QPointF(c.x(), c.y() + r * 0.5));
}

void DrawNewFile(QPainter& p) {
    Sheet(p, QRectF(6, 3, 19, 25));
    PlusBadge(p, QPointF(23, 23), 6.5, ReceivedGreen);
}

void DrawImportFiles(QPainter& p) {
    Sheet(p, QRectF(5, 3, 19, 25));
    // Rows of a comma-separated table.
    p.setPen(Stroke(QColor(0xA9, 0xB4, 0xC2), 1.6));
    for (double y : {12.0, 16.5, 21.0}) p.drawLine(QPointF(9, y), QPointF(19, y));
    // An arrow coming in from the right.
    p.setPen(Stroke(SentBlue, 3.0));
    p.drawLine(QPointF(29, 20), QPointF(20, 20));
    p.drawLine(QPointF(23.5, 16.5), QPointF(20, 20));
    p.drawLine(QPointF(23.5, 23.5), QPointF(20, 20));
}

void DrawOpenFile(QPainter& p) {
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(14.5, 10.5);
    back.lineTo(27, 10.5);
    back.lineTo(27, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.setPen(Stroke(AmberDark, 1.3));
    p.setBrush(AmberDark);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(6.5, 14);
    front.lineTo(30, 14);
    front.lineTo(26.5, 26);
    front.lineTo(3, 26);
    front.closeSubpath();
    p.setBrush(Amber);
    p.drawPath(front);
}

void DrawSaveFile(QPainter& p) {
    QPainterPath disk;
    disk.moveTo(5, 4);
    disk.lineTo(23, 4);
    disk.lineTo(28, 9);
    disk.lineTo(28, 28);
    disk.lineTo(5, 28);
    disk.closeSubpath();
    p.setPen(Stroke(SentBlue.darker(130), 1.3));
    p.setBrush(SentBlue);
    p.drawPath(disk);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(9, 17, 15, 9), 1.2, 1.2);
    p.setBrush(QColor(0xC9, 0xD9, 0xF6));
    p.drawRect(QRectF(10, 4.7, 11, 7.5));
    p.setBrush(SentBlue.darker(130));
    p.drawRect(QRectF(17, 5.7, 2.6, 5.5));
}

void DrawOptions(QPainter& p) {
    const QPointF c(16, 16);
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a = i * 3.14159265358979 / teeth;
        const double r = (i % 2 == 0) ? 13.0 : 10.0;
        const double half = 0.22;
        const QPointF p1(c.x() + r * std::cos(a - half), c.y() + r * std::sin(a - half));
        const QPointF p2(c.x() + r * std::cos(a + half), c.y() + r * std::sin(a + half));
        if (i == 0) gear.moveTo(p1); else gear.lineTo(p1);
        gear.lineTo(p2);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 4.5, 4.5);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Stroke(Ink.darker(120), 1.0));
    p.setBrush(QColor(0x6B, 0x77, 0x88));
    p.drawPath(gear);
}

void DrawAll(QPainter& p) {
    // Two overlapping discs: one message each way.
    ArrowDisc(p, QRectF(2, 2, 18, 18), ReceivedGreen, -1);
    p.setPen(Stroke(Paper, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(12, 12, 18, 18));
    ArrowDisc(p, QRectF(12, 12, 18, 18), SentBlue, 1);
}

void Person(QPainter& p, const QPointF& head, double scale, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(head, 5.2 * scale, 5.2 * scale);
    QPainterPath body;
    const double w = 10.5 * scale, top = head.y() + 7.0 * scale, bottom = head.y() + 17.5 * scale;
    body.moveTo(head.x() - w, bottom);
    body.cubicTo(head.x() - w, top, head.x() + w, top, head.x() + w, bottom);
    body.closeSubpath();
    p.drawPath(body);
}

void DrawThisPerson(QPainter& p) {
    Person(p, QPointF(16, 9.5), 1.0, QColor(0x5B, 0x4F, 0xC4));
}

void DrawContacts(QPainter& p) {
    Person(p, QPointF(21, 10), 0.8, QColor(0xA7, 0xA1, 0xE3));
    Person(p, QPointF(13, 11.5), 0.95, QColor(0x5B, 0x4F, 0xC4));
}

void DrawColours(QPainter& p) {
    QPainterPath palette;
    palette.addEllipse(QRectF(3, 4, 26, 24));
    palette.addEllipse(QRectF(17.5, 17, 6, 6));
    palette.setFillRule(Qt::OddEvenFill);
    p.setPen(Stroke(QColor(0xB0, 0x8A, 0x5A), 1.2));
    p.setBrush(QColor(0xF4, 0xE3, 0xC6));
    p.drawPath(palette);
    p.setPen(Qt::NoPen);
    const std::pair<QPointF, QColor> blobs[] = {{{10, 11}, QColor(0xE5, 0x48, 0x4D)},
                                                {{17, 9}, QColor(0xF2, 0xB1, 0x3A)},
                                                {{23.5, 12}, ReceivedGreen},
                                                {{9, 19}, SentBlue}};
    for (const auto& [at, colour] : blobs) {
        p.setBrush(colour);
        p.drawEllipse(at, 2.9, 2.9);
    }
}

void DrawSearch(QPainter& p) {
    p.setPen(Stroke(Ink, 3.2));
    p.setBrush(QColor(0xE6, 0xF0, 0xFF));
    p.drawEllipse(QPointF(13.5, 13.5), 8.5, 8.5);
    p.setPen(Stroke(Ink, 4.2));
    p.drawLine(QPointF(20, 20), QPointF(27.5, 27.5));
}

void DrawWebLink(QPainter& p) {
    p.setPen(Stroke(SentBlue, 2.0));
    p.setBrush(QColor(0xE6, 0xF0, 0xFF));
    p.drawEllipse(QPointF(16, 16), 12, 12);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(16, 16), 5.5, 12);
    p.drawLine(QPointF(4, 16), QPointF(28, 16));
    p.drawLine(QPointF(16, 4), QPointF(16, 28));
    p.drawLine(QPointF(6, 10), QPointF(26, 10));
    p.drawLine(QPointF(6, 22), QPointF(26, 22));
}

void DrawProgram(QPainter& p) {
    // A speech bubble with the two arrows: the program's own picture.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(2, 3, 28, 21), 6, 6);
    QPainterPath tail;
    tail.moveTo(8, 22);
    tail.lineTo(6, 30);
    tail.lineTo(15, 23);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(Qt::NoPen);
    p.setBrush(SentBlue);
    p.drawPath(bubble);
    p.setPen(Stroke(Paper, 2.4));
    p.drawLine(QPointF(8, 10.5), QPointF(22, 10.5));
    p.drawLine(QPointF(19, 7.5), QPointF(22.5, 10.5));
    p.drawLine(QPointF(19, 13.5), QPointF(22.5, 10.5));
    p.drawLine(QPointF(24, 17), QPointF(10, 17));
    p.drawLine(QPointF(13, 14), QPointF(9.5, 17));
    p.drawLine(QPointF(13, 20), QPointF(9.5, 17));
}

void DrawConversation(QPainter& p) {
    // Two bubbles of a thread: one received on the left, one sent on the right.
    p.setPen(Stroke(PaperEdge, 1.2));
    p.setBrush(QColor(0xE3, 0xF1, 0xE6));
    p.drawRoundedRect(QRectF(2, 4, 19, 11), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(SentBlue);
    p.drawRoundedRect(QRectF(11, 17, 19, 11), 4, 4);
    p.setPen(Stroke(Paper, 1.6));
    p.drawLine(QPointF(15, 22.5), QPointF(26, 22.5));
    p.setPen(Stroke(ReceivedGreen, 1.6));
    p.drawLine(QPointF(6, 9.5), QPointF(17, 9.5));
}

Drawing DrawingOf(ToolPicture picture) {
    switch (picture) {
        case ToolPicture::NewFile: return DrawNewFile;
        case ToolPicture::ImportFiles: return DrawImportFiles;
        case ToolPicture::OpenFile: return DrawOpenFile;
        case ToolPicture::SaveFile: return DrawSaveFile;
        case ToolPicture::Options: return DrawOptions;
        case ToolPicture::Sent: return [](QPainter& p) { ArrowDisc(p, QRectF(3, 3, 26, 26), SentBlue, 1); };
        case ToolPicture::Received:
            return [](QPainter& p) { ArrowDisc(p, QRectF(3, 3, 26, 26), ReceivedGreen, -1); };
        case ToolPicture::All: return DrawAll;
        case ToolPicture::ThisPerson: return DrawThisPerson;
        case ToolPicture::Contacts: return DrawContacts;
        case ToolPicture::Colours: return DrawColours;
        case ToolPicture::Search: return DrawSearch;
        case ToolPicture::WebLink: return DrawWebLink;
        case ToolPicture::Program: return DrawProgram;
        case ToolPicture::Conversation: return DrawConversation;
    }
    return DrawProgram;
}

}  // namespace

const QPixmap& SentPicture() {
    static const QPixmap picture =
        Render([](QPainter& p) { ArrowDisc(p, QRectF(1, 1, 30, 30), SentBlue, 1); }, DesignSize);
    return picture;
}

const QPixmap& ReceivedPicture() {
    static const QPixmap picture =
        Render([](QPainter& p) { ArrowDisc(p, QRectF(1, 1, 30, 30), ReceivedGreen, -1); }, DesignSize);
    return picture;
}

QIcon ToolIcon(ToolPicture picture) { return MakeIcon(DrawingOf(picture)); }

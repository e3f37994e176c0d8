// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBConversation/ConversationView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDate>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <cstring>

#include "MBConversation/BubbleMedia.h"
#include "MBConversation/ConversationAccessible.h"
#include "MBConversation/Thumbnails.h"
#include "MBVars/Search.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/Links.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"

namespace {

constexpr int Margin = 10;      // between a bubble and the pane's side
constexpr int Pad = 7;          // inside a bubble
constexpr int Gap = 6;          // between bubbles
constexpr int TimeGap = 3;      // between a bubble's text and its time
constexpr double Share = 0.8;   // of the pane's width a bubble may take
constexpr std::size_t MostLaidOut = 400;  // laid-out texts kept at once
constexpr int PictureWidth = 240, PictureHeight = 180;  // a picture's box, at most
const QColor Paper(0xF6, 0xF7, 0xF9);
const QColor MarkBlue(0x1A, 0x5F, 0xC8);
const QColor MatchYellow(0xFF, 0xE0, 0x66);
const QColor SelectionTint(0xBF, 0xD8, 0xFA);  // the grid's selection colour
const QColor Ink(0x10, 0x18, 0x28);

// Shown on the right: sent, and not also marked received.
bool SentOnly(const XMsgRecType& m) { return (m.Flags & MsgSent) && !(m.Flags & MsgReceived); }

// UTF-16 units of a UTF-8 text: one per character, two for those beyond U+FFFF.
int Utf16Length(std::string_view utf8) {
    int units = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) units += b >= 0xF0 ? 2 : 1;
    }
    return units;
}

// The text as a bubble shows it: line breaks break the line, other control characters
// show as spaces; every character keeps its place, so that offsets stay valid.
QString BubbleText(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8);
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t c = text[k].unicode();
        if (c == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n')
            text[k] = QChar(0x200B);  // the pair breaks once
        else if (c == u'\n' || c == u'\r')
            text[k] = QChar::LineSeparator;
        else if (c < 32)
            text[k] = QLatin1Char(' ');
    }
    return text;
}

// The same on one line, for the clipboard.
QString OneLine(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : text)
        if (c.unicode() < 32) c = QLatin1Char(' ');
    return text;
}

QColor InkOn(const QColor& ground) { return ground.lightness() >= 128 ? Ink : QColor(Qt::white); }

}  // namespace

ConversationView::ConversationView(const MsgStore& store, const DefaultsType& defaults, QWidget* parent)
    : QAbstractScrollArea(parent), S(store), D(defaults) {
    setObjectName(QStringLiteral("ConversationView"));
    setAccessibleName(QStringLiteral("Conversation"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    Tops.assign(1, 0);
    Decoder = new Thumbnails(this);
    connect(Decoder, &Thumbnails::Decoded, viewport(), qOverload<>(&QWidget::update));
    // An interface made while the base classes were being built would be the scroll
    // area's: it goes, so that the next one asked for is the conversation's.
    InstallConversationAccessible();
    if (QAccessibleInterface* early = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(early));

    Menu = new QMenu(this);
    CopyItem = Menu->addAction(QStringLiteral("Copy"), this, [this] { CopySelection(); });
    CopyItem->setShortcut(QKeySequence::Copy);
    ExportItem = Menu->addAction(QStringLiteral("Export this conversation..."), this, [this] { emit ExportRequested(); });
    Menu->addSeparator();
    SelectAllItem = Menu->addAction(QStringLiteral("Select all"), this, [this] { SelectAll(); });
    SelectAllItem->setShortcut(QKeySequence::SelectAll);
    SetMessages({}, {}, font());
}

ConversationView::~ConversationView() = default;

const XMsgRecType* ConversationView::MessageOf(int index) const {
    const std::int32_t n = MessageAt(index);
    return n > 0 ? &S.Messages[static_cast<std::size_t>(n)] : nullptr;
}

const std::vector<MediaItem>* ConversationView::MediaOf(int index) const {
    const XMsgRecType* m = MessageOf(index);
    const std::vector<MediaItem>* items = m ? Media.Find(*m) : nullptr;
    return items && !items->empty() ? items : nullptr;
}

std::string ConversationView::BubbleShown(int index) const {
    const XMsgRecType* m = MessageOf(index);
    if (!m) return {};
    std::string shown = DisplayMessageUtf8(m->Text);
    return MediaOf(index) ? WithoutMediaWords(shown) : shown;
}

BubbleMediaLook ConversationView::MediaLook() const {
    return {std::min(PictureWidth, TextWidthLimit()), PictureHeight, 2 * LineHeight, Pad};
}

int ConversationView::RowHeight(const Row& r) const {
    return (r.NewDay ? DateHeight : 0) + Pad + r.TextHeight + r.MediaHeight + TimeGap + TimeHeight + Pad + Gap;
}

void ConversationView::SetMedia(MessageMedia media) {
    Media = std::move(media);
    RefreshMedia();
}

void ConversationView::RefreshMedia() {
    bool changed = false;
    for (int i = 0; i < Count(); ++i) {
        Row& r = Rows[static_cast<std::size_t>(i)];
        const std::vector<MediaItem>* items = MediaOf(i);
        const int height = items ? MediaHeight(*items, MediaLook()) : 0;
        if (height == r.MediaHeight) continue;
        Layouts.erase(i);  // the text without its media's words
        Guess(i);
        changed = true;
    }
    if (!changed) return;
    RebuildTops();
    UpdateScrollRange();
    viewport()->update();
}

std::int32_t ConversationView::MessageAt(int index) const {
    if (index < 0 || index >= Count()) return 0;
    const std::int32_t n = Rows[static_cast<std::size_t>(index)].Message;
    return n >= 1 && n <= S.MessageCount ? n : 0;
}

bool ConversationView::IsSelected(int index) const {
    return index >= 0 && index < Count() && Selected[static_cast<std::size_t>(index)];
}

void ConversationView::SetMessages(std::vector<std::int32_t> positions, const std::string& search, const QFont& font) {
    TextFont = font;
    TimeFont = font;
    TimeFont.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.85));
    const QFontMetrics text(TextFont), time(TimeFont);
    LineHeight = text.lineSpacing();
    TimeHeight = time.height();
    TimeWidth = time.horizontalAdvance(QStringLiteral("00:00"));
    DateHeight = time.height() + 2 * Pad;
    AverageChar = std::max(1, text.averageCharWidth());
    Search = search;
    ++Shown;
    ForgetLayouts();
    Rows.assign(positions.size(), Row{});
    std::string_view day;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        Row& r = Rows[i];
        r.Message = positions[i];
        const std::string_view today = S.Messages[static_cast<std::size_t>(r.Message)].Time.view().substr(0, 10);
        r.NewDay = i == 0 || today != day;
        day = today;
    }
    Selected.assign(Rows.size(), 0);
    Current = SelectionAnchor = AnchorRow = -1;
    MarkedMessage = 0;
    MeasuredWidth = viewport()->width();
    for (int i = 0; i < Count(); ++i) Guess(i);
    RebuildTops();
    UpdateScrollRange();
    viewport()->update();
    QAccessibleEvent changed(this, QAccessible::ObjectReorder);  // other bubbles
    QAccessible::updateAccessibility(&changed);
}

void ConversationView::Guess(int index) {
    // A height from the text's length, good enough for the scroll bar until it is shown.
    Row& r = Rows[static_cast<std::size_t>(index)];
    // A message gone from the store (a command still running) has no text until the pane follows.
    const XMsgRecType* m = MessageOf(index);
    const std::string_view text = m ? std::string_view(m->Text) : std::string_view();
    const int perLine = std::max(1, TextWidthLimit() / AverageChar);
    const int breaks = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    const int lines = 1 + breaks + static_cast<int>(text.size()) / perLine;
    r.Measured = false;
    const std::vector<MediaItem>* items = m ? MediaOf(index) : nullptr;
    r.MediaHeight = items ? MediaHeight(*items, MediaLook()) : 0;
    r.TextHeight = (items ? std::max(0, lines - static_cast<int>(items->size())) : lines) * LineHeight;  // a word for each medium goes
    r.Height = RowHeight(r);
}

ConversationView::Laid& ConversationView::LayoutOf(int index) {
    auto found = Layouts.find(index);
    if (found != Layouts.end()) return found->second;
    // Bubbles asked for off screen (a screen reader walking them all) are not all kept;
    // no caller holds a layout across another call.
    if (Layouts.size() >= 2 * MostLaidOut) ForgetLayouts();
    Laid& laid = Layouts[index];
    const std::string shown = BubbleShown(index);
    laid.Layout = std::make_unique<QTextLayout>(BubbleText(shown), TextFont);
    QList<QTextLayout::FormatRange> formats;
    for (const TextSpan& match : FindShownMatches(shown, Search)) {
        QTextLayout::FormatRange range;
        range.start = Utf16Length(std::string_view(shown).substr(0, match.Begin));
        range.length = Utf16Length(std::string_view(shown).substr(match.Begin, match.End - match.Begin));
        range.format.setBackground(MatchYellow);
        formats.push_back(range);
    }
    if (const LinkInText link = FindLinkInText(shown); !link.Url.empty()) {
        laid.Url = QString::fromStdString(link.Url);
        laid.LinkBegin = Utf16Length(std::string_view(shown).substr(0, link.Begin));
        laid.LinkEnd = laid.LinkBegin + Utf16Length(std::string_view(shown).substr(link.Begin, link.End - link.Begin));
        QTextLayout::FormatRange range;
        range.start = laid.LinkBegin;
        range.length = laid.LinkEnd - laid.LinkBegin;
        range.format.setForeground(MarkBlue);
        range.format.setFontUnderline(true);
        formats.push_back(range);
    }
    laid.Layout->setFormats(formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    laid.Layout->setTextOption(option);
    laid.Layout->setCacheEnabled(true);
    const int limit = TextWidthLimit();
    double height = 0, widest = 0;
    laid.Layout->beginLayout();
    for (QTextLine line = laid.Layout->createLine(); line.isValid(); line = laid.Layout->createLine()) {
        line.setLineWidth(limit);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    laid.Layout->endLayout();
    Row& r = Rows[static_cast<std::size_t>(index)];
    r.Measured = true;
    r.TextWidth = std::min(limit, static_cast<int>(std::ceil(widest)));
    const std::vector<MediaItem>* items = MediaOf(index);
    r.MediaHeight = items ? MediaHeight(*items, MediaLook()) : 0;
    // A picture without words has no empty line above it.
    r.TextHeight = items && shown.empty() ? 0 : std::max(LineHeight, static_cast<int>(std::ceil(height)));
    r.Height = RowHeight(r);
    return laid;
}

void ConversationView::ForgetLayouts() { Layouts.clear(); }

void ConversationView::RebuildTops() {
    Tops.resize(Rows.size() + 1);
    int y = Gap;
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        Tops[i] = y;
        y += Rows[i].Height;
    }
    Tops[Rows.size()] = y;
}

void ConversationView::UpdateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    const int page = viewport()->height();
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(std::max(1, LineHeight * 2));
    bar->setRange(0, std::max(0, Tops.back() - page));
}

int ConversationView::RowAt(int contentY) const {
    // The last row whose top is at or above y.
    const auto after = std::upper_bound(Tops.begin(), Tops.end() - 1, contentY);
    return std::max(0, static_cast<int>(after - Tops.begin()) - 1);
}

int ConversationView::TextWidthLimit() const {
    return std::max(80, static_cast<int>((viewport()->width() - 2 * Margin) * Share) - 2 * Pad);
}

int ConversationView::BubbleWidth(const Row& row) const {
    return std::max({row.TextWidth, TimeWidth, row.MediaHeight > 0 ? MediaLook().Width : 0}) + 2 * Pad;
}

QRect ConversationView::BubbleRect(int index) const {
    const Row& r = Rows[static_cast<std::size_t>(index)];
    const int top = Tops[static_cast<std::size_t>(index)] + (r.NewDay ? DateHeight : 0);
    const int width = BubbleWidth(r);
    const XMsgRecType* m = MessageOf(index);
    const bool sent = m && SentOnly(*m);
    const int left = sent ? viewport()->width() - Margin - width : Margin;
    return {left, top, width, r.Height - (r.NewDay ? DateHeight : 0) - Gap};
}

bool ConversationView::MeasureVisible() {
    const int top = verticalScrollBar()->value(), bottom = top + viewport()->height();
    bool changed = false;
    int i = RowAt(top);
    for (int y = Tops[static_cast<std::size_t>(i)]; i < Count() && y < bottom; ++i) {
        Row& r = Rows[static_cast<std::size_t>(i)];
        if (!r.Measured) {
            const int before = r.Height;
            LayoutOf(i);
            changed = changed || r.Height != before;
        }
        y += r.Height;
    }
    if (changed) {
        RebuildTops();
        UpdateScrollRange();
    }
    return changed;
}

void ConversationView::AnchorAt(int index, int y) {
    AnchorRow = index;
    AnchorY = y;
}

void ConversationView::Settle() {
    if (Settling || Count() == 0) return;
    Settling = true;
    if (Layouts.size() > MostLaidOut) ForgetLayouts();
    if (viewport()->width() != MeasuredWidth) {
        // Every height belongs to a width: the row at the top stays where it was.
        const int top = verticalScrollBar()->value();
        const int first = RowAt(top);
        if (AnchorRow < 0) AnchorAt(first, Tops[static_cast<std::size_t>(first)] - top);
        MeasuredWidth = viewport()->width();
        ForgetLayouts();
        for (int i = 0; i < Count(); ++i) Guess(i);
        RebuildTops();
        UpdateScrollRange();
    }
    if (CentrePending && Current >= 0 && viewport()->height() > LineHeight) {
        CentrePending = false;
        LayoutOf(Current);
        RebuildTops();
        AnchorAt(Current, (viewport()->height() - Rows[static_cast<std::size_t>(Current)].Height) / 2);
    }
    for (int round = 0; round < 8; ++round) {
        if (AnchorRow >= 0) {
            if (!Rows[static_cast<std::size_t>(AnchorRow)].Measured) {
                LayoutOf(AnchorRow);
                RebuildTops();
                UpdateScrollRange();
            }
            verticalScrollBar()->setValue(Tops[static_cast<std::size_t>(AnchorRow)] - AnchorY);
        }
        if (!MeasureVisible()) break;
    }
    AnchorRow = -1;
    Settling = false;
}

void ConversationView::EnsureVisible(int index) {
    if (index < 0 || index >= Count()) return;
    if (!Rows[static_cast<std::size_t>(index)].Measured) {
        LayoutOf(index);
        RebuildTops();
        UpdateScrollRange();
    }
    const int top = verticalScrollBar()->value(), page = viewport()->height();
    const int y = Tops[static_cast<std::size_t>(index)], height = Rows[static_cast<std::size_t>(index)].Height;
    if (y < top || height > page)
        AnchorAt(index, 0);
    else if (y + height > top + page)
        AnchorAt(index, page - height);
    Settle();
    viewport()->update();
}

void ConversationView::SetMarked(std::int32_t position) {
    // Only the bubbles whose look changes are painted again.
    auto indexOf = [this](std::int32_t n) {
        const auto found = std::find_if(Rows.begin(), Rows.end(), [n](const Row& r) { return r.Message == n; });
        return found == Rows.end() ? -1 : static_cast<int>(found - Rows.begin());
    };
    const int before = MarkedMessage != 0 ? indexOf(MarkedMessage) : -1;
    const int index = indexOf(position);
    for (const int i : {before, Current, index})
        if (i >= 0 && Rows[static_cast<std::size_t>(i)].Measured)
            viewport()->update(ItemRect(i).adjusted(-4, -4, 4, 4));
    MarkedMessage = position;
    if (index < 0 || index == Current) return;  // a bubble clicked here is already current
    const bool wider = std::count(Selected.begin(), Selected.end(), 1) > 1;  // a selection ends
    Current = SelectionAnchor = index;
    std::fill(Selected.begin(), Selected.end(), 0);
    Selected[static_cast<std::size_t>(index)] = 1;
    const int top = verticalScrollBar()->value(), page = viewport()->height();
    const int y = Tops[static_cast<std::size_t>(index)];
    const bool shown = Rows[static_cast<std::size_t>(index)].Measured && y >= top &&
                       y + Rows[static_cast<std::size_t>(index)].Height <= top + page;
    if (!shown) CentrePending = true;
    if (!shown || wider) viewport()->update();
    Settle();
}

QRect ConversationView::ItemRect(int index) {
    if (index < 0 || index >= Count()) return {};
    if (!Rows[static_cast<std::size_t>(index)].Measured) {
        LayoutOf(index);
        RebuildTops();
        UpdateScrollRange();
    }
    return BubbleRect(index).translated(0, -verticalScrollBar()->value());
}

QString ConversationView::ItemName(int index) const {
    const XMsgRecType* m = MessageOf(index);
    if (!m) return {};
    const bool sent = SentOnly(*m);
    return (sent ? QStringLiteral("Sent ") : QStringLiteral("Received ")) + ::ShownText(m->Time.view()) +
           QStringLiteral(": ") + (MediaOf(index) ? MediaSpoken(ShownText(index), *MediaOf(index)) : ShownText(index));
}

QString ConversationView::ShownText(int index) const { return QString::fromUtf8(BubbleShown(index)); }

std::vector<QRect> ConversationView::MediaRectsOf(int index) {
    const std::vector<MediaItem>* items = MediaOf(index);
    if (!items) return {};
    const QRect bubble = ItemRect(index);
    const BubbleMediaLook look = MediaLook();
    const int textHeight = Rows[static_cast<std::size_t>(index)].TextHeight;
    return MediaRects(*items, bubble.x() + Pad, bubble.y() + Pad + textHeight + look.Gap, look);
}

QString ConversationView::MediumAt(const QPoint& at) {
    const int index = IndexAt(at);
    const std::vector<MediaItem>* items = MediaOf(index);
    if (!items) return {};
    const std::vector<QRect> rects = MediaRectsOf(index);
    for (std::size_t k = 0; k < rects.size() && k < items->size(); ++k)
        if (rects[k].contains(at) && !(*items)[k].File.empty()) return QString::fromStdString(Media.PathOf((*items)[k]));
    return {};
}

std::vector<std::pair<int, int>> ConversationView::HighlightedRanges(int index) {
    std::vector<std::pair<int, int>> ranges;
    if (!MessageOf(index)) return ranges;
    for (const QTextLayout::FormatRange& f : LayoutOf(index).Layout->formats())
        if (f.format.hasProperty(QTextFormat::BackgroundBrush)) ranges.emplace_back(f.start, f.length);
    return ranges;
}

QString ConversationView::LinkOf(int index) { return MessageOf(index) ? LayoutOf(index).Url : QString(); }

QString ConversationView::SelectedText() const {
    QStringList lines;
    for (int i = 0; i < Count(); ++i) {
        const XMsgRecType* m = MessageOf(i);
        if (!m || !Selected[static_cast<std::size_t>(i)]) continue;
        const bool sent = SentOnly(*m);
        QString name = sent ? QStringLiteral("Me") : ::ShownText(m->Name.view());
        if (name.isEmpty()) name = ::ShownText(m->Phone.view());
        lines << ::ShownText(m->Time.view()) + QStringLiteral(", ") + name + QStringLiteral(": ") +
                     OneLine(DisplayMessageUtf8(m->Text));
    }
    return lines.join(QStringLiteral("\r\n"));
}

void ConversationView::CopySelection() const {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void ConversationView::SelectAll() {
    std::fill(Selected.begin(), Selected.end(), 1);
    viewport()->update();
}

void ConversationView::MoveTo(int index, bool extend) {
    if (index < 0 || index >= Count()) return;
    Current = index;
    if (!extend || SelectionAnchor < 0) SelectionAnchor = index;
    std::fill(Selected.begin(), Selected.end(), 0);
    for (int i = std::min(SelectionAnchor, index); i <= std::max(SelectionAnchor, index); ++i)
        Selected[static_cast<std::size_t>(i)] = 1;
    EnsureVisible(index);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(index);
        QAccessible::updateAccessibility(&focus);
    }
    emit MessageChosen(Rows[static_cast<std::size_t>(index)].Message);
}

int ConversationView::IndexAt(const QPoint& at) const {
    const int y = at.y() + verticalScrollBar()->value();
    const int index = RowAt(y);
    if (index >= Count() || !MessageOf(index) || !Rows[static_cast<std::size_t>(index)].Measured) return -1;
    return BubbleRect(index).contains(at.x(), y) ? index : -1;
}

int ConversationView::LinkAt(const QPoint& at, QString& url) {
    const int index = IndexAt(at);
    if (index < 0) return -1;
    const QRect bubble = BubbleRect(index);
    const int y = at.y() + verticalScrollBar()->value();
    Laid& laid = LayoutOf(index);
    if (laid.Url.isEmpty()) return index;
    const QPointF inText(at.x() - bubble.x() - Pad, y - bubble.y() - Pad);
    for (int k = 0; k < laid.Layout->lineCount(); ++k) {
        const QTextLine line = laid.Layout->lineAt(k);
        if (inText.y() < line.y() || inText.y() >= line.y() + line.height()) continue;
        if (inText.x() < 0 || inText.x() > line.naturalTextWidth()) break;
        const int cursor = line.xToCursor(inText.x(), QTextLine::CursorOnCharacter);
        if (cursor >= laid.LinkBegin && cursor < laid.LinkEnd) url = laid.Url;
        break;
    }
    return index;
}

void ConversationView::paintEvent(QPaintEvent*) {
    Settle();
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Paper);
    p.setRenderHint(QPainter::Antialiasing);
    const int top = verticalScrollBar()->value(), bottom = top + viewport()->height();
    const QFontMetrics timeMetrics(TimeFont);
    const QColor highlight = SelectionTint;
    for (int i = Count() == 0 ? 0 : RowAt(top); i < Count() && Tops[static_cast<std::size_t>(i)] < bottom; ++i) {
        const XMsgRecType* m = MessageOf(i);
        if (!m) continue;
        const Row& r = Rows[static_cast<std::size_t>(i)];
        Laid& laid = LayoutOf(i);
        if (r.NewDay) {
            const int y = Tops[static_cast<std::size_t>(i)] - top;
            const QDate date = QDate::fromString(::ShownText(m->Time.view().substr(0, 10)), QStringLiteral("yyyy.MM.dd"));
            const QString caption = date.isValid() ? QLocale().toString(date, QLocale::LongFormat)
                                                   : ::ShownText(m->Time.view().substr(0, 10));
            const QRect band(0, y, viewport()->width(), DateHeight);
            const int captionWidth = timeMetrics.horizontalAdvance(caption) + 2 * Pad;
            p.setPen(QColor(0xC8, 0xCE, 0xD6));
            const int middle = band.center().y();
            p.drawLine(Margin, middle, (band.width() - captionWidth) / 2, middle);
            p.drawLine((band.width() + captionWidth) / 2, middle, band.width() - Margin, middle);
            p.setPen(QColor(0x5A, 0x64, 0x73));
            p.setFont(TimeFont);
            p.drawText(band, Qt::AlignCenter, caption);
        }
        const bool sent = SentOnly(*m);
        QColor ground = ToQColor(sent ? D.SentColor : D.ReceivedColor);
        if (D.ColorMode == 2 && m->Color != 0) ground = ToQColor(m->Color);
        if (Selected[static_cast<std::size_t>(i)])
            ground = QColor((ground.red() + highlight.red()) / 2, (ground.green() + highlight.green()) / 2,
                            (ground.blue() + highlight.blue()) / 2);
        const QRectF bubble = QRectF(BubbleRect(i).translated(0, -top)).adjusted(0.5, 0.5, -0.5, -0.5);
        const bool marked = r.Message == MarkedMessage;
        p.setPen(marked ? QPen(MarkBlue, 2) : QPen(ground.darker(125), 1));
        p.setBrush(ground);
        p.drawRoundedRect(bubble, 9, 9);
        const QColor ink = InkOn(ground);
        p.setPen(ink);
        laid.Layout->draw(&p, QPointF(bubble.x() + Pad, bubble.y() + Pad));
        if (r.MediaHeight > 0)
            if (const std::vector<MediaItem>* items = MediaOf(i)) {
                const BubbleMediaLook look = MediaLook();
                const std::vector<QRect> boxes =
                    MediaRects(*items, static_cast<int>(bubble.x()) + Pad, static_cast<int>(bubble.y()) + Pad + r.TextHeight + look.Gap, look);
                for (std::size_t k = 0; k < boxes.size(); ++k) {
                    const MediaItem& item = (*items)[k];
                    PaintMedium(p, boxes[k], item, QString::fromStdString(Media.PathOf(item)), *Decoder,
                                viewport()->devicePixelRatioF(), ground, TimeFont);
                }
                p.setPen(ink);
            }
        p.setFont(TimeFont);
        p.setPen(ink == Ink ? QColor(0x5A, 0x64, 0x73) : ink);
        p.drawText(QRectF(bubble.x() + Pad, bubble.bottom() - Pad - TimeHeight, bubble.width() - 2 * Pad, TimeHeight),
                   Qt::AlignRight | Qt::AlignVCenter, ::ShownText(m->Time.view().substr(11, 5)));
        if (i == Current && hasFocus()) {
            p.setPen(QPen(Ink, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(bubble.adjusted(-3, -3, 3, 3), 11, 11);
        }
    }
}

void ConversationView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
    Settle();
}

void ConversationView::scrollContentsBy(int, int) { viewport()->update(); }

void ConversationView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QString url;
    const int index = LinkAt(event->position().toPoint(), url);
    if (index < 0) return;
    if (event->button() == Qt::RightButton) {
        if (!IsSelected(index)) MoveTo(index);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (event->modifiers() & Qt::ControlModifier) {
        Selected[static_cast<std::size_t>(index)] = !Selected[static_cast<std::size_t>(index)];
        Current = SelectionAnchor = index;
        viewport()->update();
        return;
    }
    const QString medium = MediumAt(event->position().toPoint());
    MoveTo(index, event->modifiers() & Qt::ShiftModifier);
    if (!url.isEmpty()) emit LinkActivated(url);
    if (!medium.isEmpty()) emit FileActivated(medium);
}

void ConversationView::mouseMoveEvent(QMouseEvent* event) {
    QString url;
    LinkAt(event->position().toPoint(), url);
    const bool opens = !url.isEmpty() || !MediumAt(event->position().toPoint()).isEmpty();
    viewport()->setCursor(opens ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ConversationView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->key() == Qt::Key_Up) {
        MoveTo(Current < 0 ? Count() - 1 : std::max(0, Current - 1), shift);
    } else if (event->key() == Qt::Key_Down) {
        MoveTo(Current < 0 ? 0 : std::min(Count() - 1, Current + 1), shift);
    } else if (event->key() == Qt::Key_Home) {
        MoveTo(0, shift);
    } else if (event->key() == Qt::Key_End) {
        MoveTo(Count() - 1, shift);
    } else if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        verticalScrollBar()->triggerAction(event->key() == Qt::Key_PageUp ? QAbstractSlider::SliderPageStepSub
                                                                          : QAbstractSlider::SliderPageStepAdd);
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The keyboard's way to a bubble's link, or else to its first medium.
        if (const QString url = LinkOf(Current); !url.isEmpty()) {
            emit LinkActivated(url);
        } else if (const std::vector<MediaItem>* items = MediaOf(Current)) {
            const auto opened = std::find_if(items->begin(), items->end(), [](const MediaItem& item) { return !item.File.empty(); });
            if (opened != items->end()) emit FileActivated(QString::fromStdString(Media.PathOf(*opened)));
        }
    } else if (event->key() == Qt::Key_Delete) {
        // Nothing: the window's Delete acts on the grid's rows, which are not in sight here.
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool ConversationView::event(QEvent* event) {
    // The pane's own keys are not the window's shortcuts while it has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll) || key->key() == Qt::Key_Delete) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void ConversationView::contextMenuEvent(QContextMenuEvent* event) {
    CopyItem->setEnabled(std::find(Selected.begin(), Selected.end(), 1) != Selected.end());
    ExportItem->setEnabled(Count() > 0);
    SelectAllItem->setEnabled(Count() > 0);
    Menu->popup(event->globalPos());
}

void ConversationView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (Current < 0 && Count() > 0) Current = Count() - 1;
    viewport()->update();
}

void ConversationView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

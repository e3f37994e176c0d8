// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/MessageGridModel.h"

#include "MBrowser/MessageCellDelegate.h"

#include <QColor>
#include <QPixmap>
#include <algorithm>

#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"
#include "MBrowser/Pictures.h"
#include "OFuncs/TextOps.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"

namespace {

// Phone and name cells hold at most this many characters, the leading space included.
constexpr qsizetype ContactCellLength = 31;

QString Cut(QString text, qsizetype length) {
    if (text.size() > length) text.truncate(length);
    return text;
}

// No cell is wider than this many characters: longer texts are cut once converted (the
// whole text decides whether it reads as UTF-8), so the cell never lays out the rest.
constexpr qsizetype MostShownChars = 2048;

QString ShownStart(QString text) {
    if (text.size() <= MostShownChars) return text;
    text.truncate(MostShownChars);
    if (text.back().isHighSurrogate()) text.chop(1);  // no half of an emoji
    return text;
}

// A cell shows one line: line breaks and tabs inside a text show as spaces.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 32) c = QLatin1Char(' ');
    return text;
}

// The stored time text, or the time through the chosen format (names come as UTF-8).
QString TimeCellText(const XMsgRecType& m, const DefaultsType& D, const LocaleInfo& locale) {
    if (D.DateTimeFormat.empty()) return QStringLiteral(" ") + ShownText(m.Time.view());
    return QString::fromStdString(FormatDateTime(D.DateTimeFormat, TimeValue(m.Time.view()), locale));
}

}  // namespace

MessageGridModel::MessageGridModel(const MsgStore& store, const DefaultsType& defaults, const LocaleInfo& locale,
                                   QObject* parent)
    : QAbstractTableModel(parent), S(store), D(defaults), Locale(locale) {}

void MessageGridModel::Refresh() {
    const int rows = std::max(S.ViewCount, 1);
    if (rows > Rows) {
        beginInsertRows({}, Rows, rows - 1);
        Rows = rows;
        endInsertRows();
    } else if (rows < Rows) {
        beginRemoveRows({}, rows, Rows - 1);
        Rows = rows;
        endRemoveRows();
    }
    emit dataChanged(index(0, 0), index(Rows - 1, GridColumnCount - 1));
    emit headerDataChanged(Qt::Horizontal, 0, GridColumnCount - 1);
    emit headerDataChanged(Qt::Vertical, 0, Rows - 1);
}

void MessageGridModel::SetGridFont(const QFont& font) {
    Font = font;
    for (int style = 0; style < 4; ++style) {
        QFont& styled = StyledFonts[static_cast<std::size_t>(style)];
        styled = WithoutShaping(font);
        styled.setItalic(style & 1);
        styled.setBold(style & 2);
        styled.setUnderline(false);
        styled.setStrikeOut(false);
    }
    Refresh();
}

std::int32_t MessageGridModel::MessageAt(int row) const {
    if (row < 0 || row >= S.ViewCount) return 0;
    const std::int32_t n = S.ViewIndex[static_cast<std::size_t>(row) + 1];
    return n >= 1 && n <= S.MessageCount ? n : 0;
}

int MessageGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Rows; }

int MessageGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridColumnCount;
}

QString MessageGridModel::HeaderText(int column) const {
    // The Type column is too narrow for a word: its title is its tooltip.
    static const char* const titles[GridColumnCount] = {"", " Time", " To/From", " Name", "", " Message", " Size"};
    QString text;
    if (column == NumberColumn) {
        text = QString::number(S.ViewCount) + QLatin1Char(' ');
    } else if (column == PhoneColumn && D.ViewMode == 1) {
        text = QStringLiteral(" To");
    } else if (column == PhoneColumn && D.ViewMode == 2) {
        text = QStringLiteral(" From");
    } else if (column > 0 && column < GridColumnCount) {
        text = QString::fromLatin1(titles[column]);
    }
    if (D.SortColumn > 0 && column == D.SortColumn)
        text += D.SortAscending[static_cast<std::size_t>(column)] ? QStringLiteral(" ^") : QStringLiteral(" v");
    return text;
}

QString MessageGridModel::CellText(int row, int column) const {
    // Only rows that show a message carry a number: an empty view's single row stays blank.
    if (row < 0 || row >= S.ViewCount) return {};
    if (column == NumberColumn) return QString::number(row + 1) + QLatin1Char(' ');
    const std::int32_t n = MessageAt(row);
    if (n == 0) return {};
    const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
    switch (column) {
        case TimeColumn: return TimeCellText(m, D, Locale);
        case PhoneColumn: return Cut(QStringLiteral(" ") + ShownText(m.Phone.view()), ContactCellLength);
        case NameColumn: return Cut(QStringLiteral(" ") + ShownText(m.Name.view()), ContactCellLength);
        case MessageColumn: return QStringLiteral(" ") + OneLine(ShownStart(ShownMessageText(m.Text)));
        case SizeColumn: return QStringLiteral(" %1 ").arg(m.Text.size());
        default: return {};
    }
}

QVariant MessageGridModel::CellBackground(int row, int column) const {
    if (column == NumberColumn) return ToQColor(D.GridFixedColor);
    const std::int32_t n = MessageAt(row);
    if (n == 0) return {};
    const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
    switch (D.ColorMode) {
        case 0: return ToQColor(D.DefaultColor);
        case 1: return ToQColor((m.Flags & MsgSent) ? D.SentColor : D.ReceivedColor);
        case 2: return m.Color != 0 ? QVariant(ToQColor(m.Color)) : QVariant();
        default: return {};
    }
}

QFont MessageGridModel::CellFont(int row, int column) const {
    const std::int32_t n = MessageAt(row);
    if (column == NumberColumn || n == 0) return Font;
    const std::uint16_t flags = S.Messages[static_cast<std::size_t>(n)].Flags;
    int style = 0;  // 0 regular, 1 italic, 2 bold, 3 bold italic; received wins
    if (flags & MsgSent) style = D.SentFont;
    if (flags & MsgReceived) style = D.ReceivedFont;
    return StyledFonts[static_cast<std::size_t>(style & 3)];
}

QVariant MessageGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row(), column = index.column();
    switch (role) {
        case Qt::DisplayRole: return CellText(row, column);
        case Qt::BackgroundRole: return CellBackground(row, column);
        case Qt::FontRole: return CellFont(row, column);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignVCenter |
                       (column == NumberColumn || column == SizeColumn ? Qt::AlignRight : Qt::AlignLeft));
        case Qt::DecorationRole: {
            if (column != TypeColumn) return {};
            const std::int32_t n = MessageAt(row);
            if (n == 0) return {};
            const std::uint16_t flags = S.Messages[static_cast<std::size_t>(n)].Flags;
            if (flags & MsgReceived) return ReceivedPicture();
            if (flags & MsgSent) return SentPicture();
            return {};
        }
        default: return {};
    }
}

QVariant MessageGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        switch (role) {
            case Qt::DisplayRole: return CellText(section, NumberColumn);
            case Qt::TextAlignmentRole: return int(Qt::AlignVCenter | Qt::AlignRight);
            case Qt::FontRole: return Font;
            case Qt::BackgroundRole: return ToQColor(D.GridFixedColor);
            default: return {};
        }
    }
    switch (role) {
        case Qt::DisplayRole: return HeaderText(section);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignVCenter | (section == NumberColumn ? Qt::AlignRight : Qt::AlignLeft));
        case Qt::FontRole: {
            QFont font = Font;
            if (D.SortColumn > 0 && section == D.SortColumn) font.setBold(true);
            return font;
        }
        case Qt::BackgroundRole: return ToQColor(D.GridFixedColor);
        case Qt::ToolTipRole: return section == TypeColumn ? QVariant(QStringLiteral("Type")) : QVariant();
        default: return {};
    }
}

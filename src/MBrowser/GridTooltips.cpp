// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's tooltip: what a click on each column of a message tells about it.
#include "MBrowser/GridTooltips.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"
#include "MBVars/Contacts.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/TextOps.h"
#include "Platform/Cp1252Text.h"
#include "Platform/TooltipSettings.h"

namespace {

const QString LineBreak = QStringLiteral("\r\n");

QString DirectionPrefix(std::uint16_t flags) {
    QString prefix;
    if (flags & MsgSent) prefix = QStringLiteral("Sent to ");
    if (flags & MsgReceived) prefix = QStringLiteral("Received from ");
    return prefix;
}

// Shows a cell's hint, made when a tooltip is asked for over one of the grid's widgets;
// a fixed text is the widgets' own tooltip and is shown as any other.
class CellHintWatcher : public QObject {
public:
    CellHintWatcher(QObject* parent, std::function<QString()> cellHint) : QObject(parent), CellHint(std::move(cellHint)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->toolTip().isEmpty()) return false;
        const QString hint = CellHint();
        if (hint.isEmpty()) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), TooltipForDisplay(hint), widget, QRect(),
                           TooltipDisplayTime());
        return true;
    }

private:
    std::function<QString()> CellHint;
};

}  // namespace

QString WrapAtSpaces(const QString& text, int lineLength) {
    QString out;
    out.reserve(text.size() + text.size() / std::max(1, lineLength) * 2 + 2);
    int count = 0;
    for (const QChar c : text) {
        out += c;
        ++count;
        if (count >= lineLength && c == QLatin1Char(' ')) {
            out += LineBreak;
            count = 0;
        }
    }
    return out;
}

QString TooltipForDisplay(const QString& hint) {
    QString text = hint;
    text.replace(LineBreak, QStringLiteral("\n"));
    if (!Qt::mightBeRichText(text)) return text;
    // A message such as "<b>hi</b>" is shown as its letters, line breaks kept.
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

QString TMBForm::LongDateText(double dateTime) const {
    return QString::fromStdString(FormatDateTime("dddd, ddddd t", dateTime, Locale));
}

std::vector<QWidget*> TMBForm::GridTooltipWidgets() const {
    // One text for the whole grid: cells, both headers and the count cell.
    std::vector<QWidget*> widgets{MessageView->viewport(), MessageView->horizontalHeader()->viewport(),
                                  MessageView->verticalHeader()->viewport()};
    if (QWidget* corner = MessageView->CornerCell()) widgets.push_back(corner);
    return widgets;
}

void TMBForm::SetGridHint(const QString& hint) {
    GridHintMessage = 0;
    if (hint == GridHint) return;
    GridHint = hint;
    const QString shown = TooltipForDisplay(hint);
    for (QWidget* w : GridTooltipWidgets()) w->setToolTip(shown);
}

void TMBForm::SetGridHintToCell(std::int32_t n, int column) {
    SetGridHint({});
    GridHintMessage = n;
    GridHintColumn = column;
}

QString TMBForm::GridHintText() const {
    if (GridHintMessage > 0 && GridHintMessage <= S.MessageCount) return CellHint(GridHintMessage, GridHintColumn);
    return GridHint;
}

void TMBForm::WatchGridTooltips() {
    auto* watcher = new CellHintWatcher(this, [this] { return GridHintText(); });
    for (QWidget* w : GridTooltipWidgets()) w->installEventFilter(watcher);
}

QString TMBForm::CellHint(std::int32_t n, int column) const {
    const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
    const QString prefix = DirectionPrefix(m.Flags);
    switch (column) {
        case TimeColumn: return LongDateText(TimeValue(m.Time.view()));
        case PhoneColumn:
        case NameColumn: {
            if (m.Name.empty()) return ShownText(m.Phone.view());
            if (m.Phone.empty() || m.Name == m.Phone) return ShownText(m.Name.view());
            ActivityTotals totals;
            ComputeActivity(S, m.Name.view(), totals);
            return prefix + ShownText(m.Name.view()) + LineBreak + ShownText(m.Phone.view()) + LineBreak +
                   QString::asprintf("(Sent %d, received %d messages)", totals.Slot[ActivitySentSlot].Count,
                                     totals.Slot[ActivityReceivedSlot].Count);
        }
        case TypeColumn: {
            QString type;
            if (m.Flags & MsgSent) type = QStringLiteral("Sent message");
            if (m.Flags & MsgReceived) type = QStringLiteral("Received message");
            return type;
        }
        case MessageColumn: {
            const double time = TimeValue(m.Time.view());
            const QString header = prefix + QLatin1Char('"') + ShownText(m.Name.view()) + QStringLiteral("\" (on ") +
                                   LongDateText(time) + QStringLiteral("):") + LineBreak;
            QString hint = header + QStringLiteral("--- \"") +
                           WrapAtSpaces(ShownMessageText(m.Text), static_cast<int>(header.size())) +
                           QStringLiteral("\".");
            const double previous = PreviousReplyTime(S, n);
            if (previous > 0) {
                const auto minutes = static_cast<int>(std::trunc((time - previous) * 1440 + 0.5));
                hint = QStringLiteral("Reply to message on ") + LongDateText(previous) +
                       QString::asprintf(", in %d minutes.", minutes) + LineBreak + hint;
            }
            return hint;
        }
        case SizeColumn: return QString::asprintf("%d word(s)", CountWords(NormaliseText(m.Text)));
        default: return {};
    }
}

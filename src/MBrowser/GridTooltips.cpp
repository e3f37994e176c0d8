// The grid's tooltip: what a click on each column of a message tells about it.
#include "MBrowser/GridTooltips.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QTextDocument>
#include <cmath>

#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"
#include "MBVars/Contacts.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/TextOps.h"
#include "Platform/Cp1252Text.h"

namespace {

const QString LineBreak = QStringLiteral("\r\n");

QString DirectionPrefix(std::uint16_t flags) {
    QString prefix;
    if (flags & MsgSent) prefix = QStringLiteral("Sent to ");
    if (flags & MsgReceived) prefix = QStringLiteral("Received from ");
    return prefix;
}

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

void TMBForm::SetGridHint(const QString& hint) {
    if (hint == GridHint) return;
    GridHint = hint;
    // One text for the whole grid: cells, both headers and the count cell.
    const QString shown = TooltipForDisplay(hint);
    MessageView->viewport()->setToolTip(shown);
    MessageView->horizontalHeader()->viewport()->setToolTip(shown);
    MessageView->verticalHeader()->viewport()->setToolTip(shown);
    if (QWidget* corner = MessageView->CornerCell()) corner->setToolTip(shown);
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

// Copying the selected cells of the grid onto the clipboard, ready for a spreadsheet.
#include "MBrowser/ClipboardCopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>

#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "Platform/Cp1252Text.h"

QString DropTabsBeforeLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            while (!out.isEmpty() && out.back() == QLatin1Char('\t')) out.chop(1);
        }
        out += c;
    }
    return out;
}

QString TMBForm::SelectedCellsText() const {
    // The selected rectangle; with nothing selected, the current cell.
    int top = -1, bottom = -1, left = -1, right = -1;
    for (const QItemSelectionRange& range : MessageView->selectionModel()->selection()) {
        top = top < 0 ? range.top() : std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
        left = left < 0 ? range.left() : std::min(left, range.left());
        right = std::max(right, range.right());
    }
    if (top < 0) {
        const QModelIndex current = MessageView->currentIndex();
        if (!current.isValid()) return {};
        top = bottom = current.row();
        left = right = current.column();
    }
    left = std::max(left, static_cast<int>(TimeColumn));
    right = std::min(right, static_cast<int>(SizeColumn));
    bottom = std::min(bottom, MessageModel->rowCount() - 1);

    const QChar tab = QLatin1Char('\t');
    QString out;
    for (int row = top; row <= bottom; ++row) {
        if (const std::int32_t n = MessageModel->MessageAt(row); n > 0) {
            const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            for (int column = left; column <= right; ++column) {
                switch (column) {
                    case TimeColumn: out += ShownText(m.Time.view()) + tab; break;
                    case PhoneColumn: out += ShownText(m.Phone.view()) + tab; break;
                    case NameColumn: out += ShownText(m.Name.view()) + tab; break;
                    case MessageColumn: out += ShownMessageText(m.Text) + tab; break;
                    case SizeColumn: out += QString::number(m.Text.size()) + tab; break;
                    default: break;  // the Type column copies nothing, not even a tab
                }
            }
        }
        out += QStringLiteral("\r\n");
    }
    return DropTabsBeforeLineBreaks(out);
}

void TMBForm::CopyToClipMenuClick() { QGuiApplication::clipboard()->setText(SelectedCellsText()); }

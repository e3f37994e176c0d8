// SPDX-License-Identifier: GPL-3.0-or-later
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
    const QString tabBreak = QStringLiteral("\t\r\n");
    QString out;
    out.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype hit = text.indexOf(tabBreak); hit >= 0; hit = text.indexOf(tabBreak, hit + 3)) {
        // The hit is the last tab of its run; the whole run goes, back to the chunk's start.
        qsizetype end = hit;
        while (end > start && text.at(end - 1) == QLatin1Char('\t')) --end;
        out.append(text.constData() + start, end - start);
        start = hit + 1;
    }
    out.append(text.constData() + start, text.size() - start);
    return out;
}

namespace {

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Stored bytes as shown. Plain ASCII reads the same in every form the bytes may have
// (and holds no letter for the display form to map), so it is taken over as it is.
void AppendShown(QString& out, std::string_view bytes, bool message) {
    if (IsAscii(bytes))
        out.append(QLatin1String(bytes.data(), static_cast<qsizetype>(bytes.size())));
    else
        out.append(message ? ShownMessageText(bytes) : ShownText(bytes));
}

}  // namespace

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
    out.reserve(static_cast<qsizetype>(bottom - top + 1) * (right - left + 1) * 40);
    // The line ends of the copy itself lose their tabs as they are written; only a line
    // break inside a field needs the pass over the whole text.
    bool breakInField = false;
    auto field = [&](std::string_view bytes, bool message) {
        breakInField = breakInField || bytes.find('\r') != std::string_view::npos;
        AppendShown(out, bytes, message);
        out.append(tab);
    };
    for (int row = top; row <= bottom; ++row) {
        if (const std::int32_t n = MessageModel->MessageAt(row); n > 0) {
            const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            for (int column = left; column <= right; ++column) {
                switch (column) {
                    case TimeColumn: field(m.Time.view(), false); break;
                    case PhoneColumn: field(m.Phone.view(), false); break;
                    case NameColumn: field(m.Name.view(), false); break;
                    case MessageColumn: field(m.Text, true); break;
                    case SizeColumn: out.append(QString::number(m.Text.size())).append(tab); break;
                    default: break;  // the Type column copies nothing, not even a tab
                }
            }
        }
        while (!out.isEmpty() && out.back() == tab) out.chop(1);
        out.append(QStringLiteral("\r\n"));
    }
    return breakInField ? DropTabsBeforeLineBreaks(out) : out;
}

void TMBForm::CopyToClipMenuClick() { QGuiApplication::clipboard()->setText(SelectedCellsText()); }

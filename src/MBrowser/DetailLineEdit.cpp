// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/DetailLineEdit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <algorithm>

namespace {
// A message text is one line: line breaks typed or pasted become spaces.
QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    return text;
}
}  // namespace

DetailLineEdit::DetailLineEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTabChangesFocus(true);
    // Files dropped on it go to the window, which imports or opens them.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    document()->setDocumentMargin(1);
    // The height of the shown lines with the editing frame, so that the frame coming and
    // going moves nothing.
    setFrameShape(QFrame::StyledPanel);
    FrameSize = frameWidth();
    setFixedHeight(ShownLines * fontMetrics().lineSpacing() + 2 * (FrameSize + 1) + 2);
    ShowEditing(false);
}

void DetailLineEdit::setText(const QString& text) {
    Given = text;
    setPlainText(text);
    setModified(false);
}

void DetailLineEdit::setCursorPosition(int position) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(position, 0, static_cast<int>(document()->characterCount()) - 1));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void DetailLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !isReadOnly()) {
        // Back to the stored text: nothing of the edit is kept.
        setText(Given);
        setCursorPosition(0);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();  // no line break in a message
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DetailLineEdit::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    ShowEditing(!isReadOnly());
}

void DetailLineEdit::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    ShowEditing(false);
}

void DetailLineEdit::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) return;
    insertPlainText(OneLine(source->text()));
}

void DetailLineEdit::ShowEditing(bool editing) {
    // Without the focus it reads as a label; with it, a framed box with the caret.
    setFrameShape(editing ? QFrame::StyledPanel : QFrame::NoFrame);
    const int margin = editing ? 0 : FrameSize;
    setViewportMargins(margin, margin, margin, margin);
}

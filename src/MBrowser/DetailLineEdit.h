// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The detail line under the grid: a message's text, wrapped over a few lines and scrolled
// beyond them, editable in place. It shows when it is being edited (a frame and the caret
// appear with the focus), Escape puts back the text it was given, and a line break can
// neither be typed nor pasted into it: a message text is one line.
#include <QPlainTextEdit>

class DetailLineEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    // Lines shown before the text scrolls.
    static constexpr int ShownLines = 3;

    explicit DetailLineEdit(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    // Shows `text` as the program's, not as an edit: Escape comes back to it.
    void setText(const QString& text);
    // Whether the user changed the text since the program set it.
    bool isModified() const { return document()->isModified(); }
    void setModified(bool modified) { document()->setModified(modified); }
    void setCursorPosition(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void ShowEditing(bool editing);
    QString Given;      // the text as the program set it
    int FrameSize = 0;  // of the editing frame
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bubbles of one conversation, drawn by the view itself: received on the left, sent on
// the right, a date line whenever the day changes. A contact may have thousands of
// messages, so only the bubbles on screen are laid out; the others take a height guessed
// from their length until they are first shown, and every height measured is kept until
// the width or the texts change.
#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Formats/MessageMedia.h"
#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

class QAction;
class QMenu;
class QTextLayout;
class Thumbnails;
struct BubbleMediaLook;

class ConversationView : public QAbstractScrollArea {
    Q_OBJECT

public:
    ConversationView(const MsgStore& store, const DefaultsType& defaults, QWidget* parent = nullptr);
    ~ConversationView() override;

    // The messages to show (store positions, oldest first), the search whose matches are
    // highlighted (stored form; empty: none) and the font. Everything measured is dropped.
    void SetMessages(std::vector<std::int32_t> positions, const std::string& search, const QFont& font);
    // Marks the grid's current message (0: none), makes it the pane's current bubble and
    // scrolls it into view.
    void SetMarked(std::int32_t position);
    // Where the messages' media are found; without it the bubbles show only texts.
    void SetMedia(MessageMedia media);
    // The media of the messages shown may have changed (an import, a save): measured anew.
    void RefreshMedia();
    Thumbnails& Pictures() { return *Decoder; }
    std::int32_t Marked() const { return MarkedMessage; }

    int Count() const { return static_cast<int>(Rows.size()); }
    // Counts the SetMessages calls: a screen reader's bubbles belong to one of them.
    std::uint64_t Generation() const { return Shown; }
    std::int32_t MessageAt(int index) const;
    int CurrentIndex() const { return Current; }
    bool IsSelected(int index) const;
    // The accessible name of a bubble: direction, time and text.
    QString ItemName(int index) const;
    // The bubble's rectangle in the viewport (laid out first when it was not).
    QRect ItemRect(int index);
    // The bubble at a point of the viewport; -1 outside every bubble.
    int IndexAt(const QPoint& at) const;
    // The selected bubbles as "time, name: text" lines (CR LF after each but the last).
    QString SelectedText() const;
    // What a bubble's text shows, its highlighted search matches and its link, in
    // characters of that text (for the tests and screen readers).
    QString ShownText(int index) const;
    std::vector<std::pair<int, int>> HighlightedRanges(int index);
    QString LinkOf(int index);
    // The rectangles of a bubble's media in the viewport, in the order of its parts.
    std::vector<QRect> MediaRectsOf(int index);

    // Makes bubble `index` current and selected alone (with `extend`, the selection runs
    // from the anchor to it), scrolls it into view and tells the window.
    void MoveTo(int index, bool extend = false);
    void SelectAll();
    void CopySelection() const;

    // The pane's context menu.
    QMenu* Menu = nullptr;
    QAction* CopyItem = nullptr;
    QAction* ExportItem = nullptr;
    QAction* SelectAllItem = nullptr;

signals:
    void MessageChosen(std::int32_t position);
    void LinkActivated(const QString& url);
    // A picture, video or other medium was clicked (or Enter pressed on its bubble): its file.
    void FileActivated(const QString& path);
    void ExportRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Row {
        std::int32_t Message = 0;
        int Height = 0;     // the whole row: date line, bubble and the gap below
        int TextWidth = 0;  // the wrapped text's widest line, once measured
        int TextHeight = 0;
        bool Measured = false;
        bool NewDay = false;
        int MediaHeight = 0;  // the media under the text, their gaps included
    };
    // A bubble's laid-out text, made when it is first shown and kept while it may be again.
    struct Laid {
        std::unique_ptr<QTextLayout> Layout;
        QString Url;
        int LinkBegin = 0, LinkEnd = 0;
    };

    const XMsgRecType* MessageOf(int index) const;
    const std::vector<MediaItem>* MediaOf(int index) const;
    // The text a bubble shows (without the words that stood for its media).
    std::string BubbleShown(int index) const;
    BubbleMediaLook MediaLook() const;
    // The file of the medium at a point of the viewport; empty when none (or damaged).
    QString MediumAt(const QPoint& viewportPoint);
    int RowHeight(const Row& r) const;
    void Guess(int index);
    Laid& LayoutOf(int index);
    // Measures the bubbles from the top of the view down to its bottom; true when a height changed.
    bool MeasureVisible();
    void RebuildTops();
    void UpdateScrollRange();
    // Lays out what is on screen; a pending anchor keeps its bubble where it was asked to be.
    void Settle();
    // Keeps bubble `index` at viewport height `y` through the next Settle.
    void AnchorAt(int index, int y);
    void EnsureVisible(int index);
    int RowAt(int contentY) const;
    int TextWidthLimit() const;
    int BubbleWidth(const Row& row) const;
    QRect BubbleRect(int index) const;  // in content coordinates
    int LinkAt(const QPoint& viewportPoint, QString& url);
    void ForgetLayouts();

    const MsgStore& S;
    const DefaultsType& D;
    MessageMedia Media;
    Thumbnails* Decoder = nullptr;
    std::vector<Row> Rows;
    std::vector<int> Tops;  // Tops[i]: content y of row i; Tops[Count()]: the whole height
    std::vector<char> Selected;
    std::unordered_map<int, Laid> Layouts;
    std::string Search;
    std::int32_t MarkedMessage = 0;
    int Current = -1, SelectionAnchor = -1;
    int AnchorRow = -1, AnchorY = 0;
    int MeasuredWidth = 0;
    QFont TextFont, TimeFont;
    int LineHeight = 0, TimeHeight = 0, TimeWidth = 0, DateHeight = 0, AverageChar = 0;
    bool Settling = false;
    std::uint64_t Shown = 0;
    bool CentrePending = false;  // the marked bubble is centred once the view has a size
};

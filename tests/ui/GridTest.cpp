// SPDX-License-Identifier: GPL-3.0-or-later
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QPalette>
#include <QPixmap>
#include <QTest>

#include "FormFixture.h"
#include "MBVars/Ordering.h"
#include "MBrowser/GridFont.h"
#include "MBrowser/MessageCellDelegate.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/Pictures.h"
#include "Platform/ColorRef.h"

namespace {

QColor Background(const MessageGridModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::BackgroundRole).value<QColor>();
}

}  // namespace

TEST_F(FormTest, HeadersShowTheViewCountAndTheSortMark) {
    TMBForm& form = OpenCollection();
    const MessageGridModel& model = *form.MessageModel;
    EXPECT_EQ(model.HeaderText(NumberColumn), "6 ");
    EXPECT_EQ(model.HeaderText(TimeColumn), " Time v");
    EXPECT_EQ(model.HeaderText(PhoneColumn), " To/From");
    EXPECT_EQ(model.HeaderText(NameColumn), " Name");
    // The narrow Type column names itself in its tooltip rather than as a cut word.
    EXPECT_EQ(model.HeaderText(TypeColumn), "");
    EXPECT_EQ(model.headerData(TypeColumn, Qt::Horizontal, Qt::ToolTipRole).toString(), "Type");
    EXPECT_FALSE(model.headerData(NameColumn, Qt::Horizontal, Qt::ToolTipRole).isValid());
    EXPECT_EQ(model.HeaderText(MessageColumn), " Message");
    EXPECT_EQ(model.HeaderText(SizeColumn), " Size");
    EXPECT_TRUE(model.headerData(TimeColumn, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());

    Config.Defaults.SortColumn = NameColumn;
    Config.Defaults.SortAscending[NameColumn] = true;
    EXPECT_EQ(model.HeaderText(NameColumn), " Name ^");
    EXPECT_EQ(model.HeaderText(TimeColumn), " Time");
    Config.Defaults.SortColumn = 0;
    EXPECT_EQ(model.HeaderText(NumberColumn), "6 ");

    form.DispSentSBClick();
    EXPECT_EQ(model.HeaderText(NumberColumn), "3 ");
    EXPECT_EQ(model.headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), "1 ");
}

TEST_F(FormTest, CellsShowTheirMessage) {
    TMBForm& form = OpenCollection();
    const MessageGridModel& model = *form.MessageModel;
    // Row 1 is the newest message: sent to Anna Berg.
    EXPECT_EQ(model.CellText(0, NumberColumn), "1 ");
    EXPECT_EQ(model.CellText(0, TimeColumn), "2007.03.05 21:40");
    EXPECT_EQ(model.CellText(0, PhoneColumn), " +15555550100");
    EXPECT_EQ(model.CellText(0, NameColumn), " Anna Berg");
    EXPECT_EQ(model.CellText(0, MessageColumn), " Good night");
    EXPECT_EQ(model.CellText(0, SizeColumn), " 10 ");
    EXPECT_EQ(model.CellText(0, TypeColumn), "");
    const QPixmap sent = model.data(model.index(0, TypeColumn), Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(sent.cacheKey(), SentPicture().cacheKey());
    const QPixmap received = model.data(model.index(1, TypeColumn), Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(received.cacheKey(), ReceivedPicture().cacheKey());
    EXPECT_EQ(model.data(model.index(0, SizeColumn), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(model.data(model.index(0, MessageColumn), Qt::TextAlignmentRole).toInt() & Qt::AlignLeft, Qt::AlignLeft);

    Config.Defaults.DateTimeFormat.clear();
    EXPECT_EQ(model.CellText(0, TimeColumn), " 2007.03.05 21:40");
    Config.Defaults.DateTimeFormat = "dd/mm/yy hh:nn";
    EXPECT_EQ(model.CellText(0, TimeColumn).size(), 14);
}

TEST_F(FormTest, TextsShowInTheirDisplayFormAsWindows1252) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550100", "Sm\xc3\xa5 \x80 bl\xe5\r\nnext", MsgSms | MsgReceived,
               "J\xf6rg");
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    const MessageGridModel& model = *form.MessageModel;
    EXPECT_EQ(model.CellText(0, MessageColumn), QString::fromUtf8(" Sm\u00e5 \u20ac bl\u00e5  next"));
    EXPECT_EQ(model.CellText(0, NameColumn), QString::fromUtf8(" J\u00f6rg"));
    EXPECT_EQ(model.CellText(0, SizeColumn), " 16 ");  // the stored bytes
}

TEST_F(FormTest, PhoneAndNameCellsHoldAtMost31Characters) {
    AddMessage(Store, "2007.01.01 10:00", std::string(30, '5'), "x", MsgSms | MsgSent, std::string(30, 'N'));
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    EXPECT_EQ(form.MessageModel->CellText(0, PhoneColumn).size(), 31);
    EXPECT_EQ(form.MessageModel->CellText(0, NameColumn).size(), 31);
}

// The number column holds the widest number whole, whatever width the settings gave it;
// a name cut by its column ends in an ellipsis.
TEST_F(FormTest, TheNumberColumnFitsTheWidestNumberAndCutNamesShowIt) {
    const std::string widest = "+4917098765432";
    AddMessage(Store, "2007.01.01 10:00", widest, "x", MsgSms | MsgSent, "Wilhelmina Zuckerbergstein");
    AddMessage(Store, "2007.01.02 10:00", "+15555550100", "y", MsgSms | MsgReceived);
    BuildView(Store, ViewEverything);
    Config.Defaults.ColumnWidth[PhoneColumn] = 40;
    Config.Defaults.ColumnWidth[NameColumn] = 60;
    TMBForm& form = Open();
    QFont bold = form.MessageModel->GridFont();
    bold.setBold(true);
    EXPECT_GE(form.MessageView->columnWidth(PhoneColumn), QFontMetrics(bold).horizontalAdvance(QString::fromStdString(" " + widest)));
    EXPECT_EQ(form.MessageView->columnWidth(NameColumn), 60);

    // The name cell as drawn against the same cell drawn with an ellipsis at its end.
    QStyleOptionViewItem option;
    option.initFrom(form.MessageView);
    option.widget = form.MessageView;
    const QModelIndex cell = form.MessageModel->index(1, NameColumn);  // not the current row
    option.rect = QRect(QPoint(0, 0), form.MessageView->visualRect(cell).size());
    QImage drawn(option.rect.size(), QImage::Format_RGB32), elided = drawn;
    {
        QPainter p(&drawn);
        form.MessageView->itemDelegate()->paint(&p, option, cell);
    }
    {
        QPainter p(&elided);
        p.fillRect(option.rect, drawn.pixel(0, 0));
        p.setFont(ShapedAsNeeded(cell.data(Qt::FontRole).value<QFont>(), cell.data().toString()));
        p.setPen(option.palette.color(QPalette::Active, QPalette::Text));
        p.drawText(option.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(cell.data().toString(), Qt::ElideRight, option.rect.width()));
    }
    EXPECT_EQ(drawn, elided);
}

// Emoji sequences go through the shaper, as in the conversation pane; other texts skip it.
TEST(GridTexts, EmojiSequencesAreShaped) {
    const struct {
        const char* Text;
        bool Shaped;
    } cases[] = {
        {"ok \U0001F44D", true},                                   // thumbs up
        {"\U0001F1E9\U0001F1EA", true},                           // a flag: two regional indicators
        {"\U0001F44B\U0001F3FD", true},                           // a hand with a skin tone
        {"\U0001F468\u200D\U0001F469\u200D\U0001F467", true},  // a family
        {"\u2764\uFE0F", true},                                   // a red heart: a selector
        {"Grüße, Ελένη", false},
        {"", false},
    };
    const QFont font(QStringLiteral("DejaVu Sans"));
    for (const auto& c : cases) {
        const QFont drawn = ShapedAsNeeded(font, QString::fromUtf8(c.Text));
        EXPECT_EQ(!(drawn.styleStrategy() & QFont::PreferNoShaping), c.Shaped) << c.Text;
        EXPECT_EQ(drawn.family(), font.family());
    }
}

TEST_F(FormTest, ColourModesChooseTheCellBackground) {
    AddMessage(Store, "2007.01.02 10:00", "+15555550100", "sent", MsgSms | MsgSent, "A", 0x0000FF);
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", "received", MsgSms | MsgReceived, "B", 0);
    BuildView(Store, ViewEverything);
    DefaultsType& D = Config.Defaults;
    TMBForm& form = Open();
    D.DefaultColor = 0x00EEDDCC;
    D.SentColor = 0x00112233;
    D.ReceivedColor = 0x00445566;
    D.GridFixedColor = 0x00778899;
    const MessageGridModel& model = *form.MessageModel;

    D.ColorMode = 0;
    EXPECT_EQ(Background(model, 0, MessageColumn), ToQColor(0x00EEDDCC));
    EXPECT_EQ(Background(model, 1, TimeColumn), ToQColor(0x00EEDDCC));
    D.ColorMode = 1;
    EXPECT_EQ(Background(model, 0, SizeColumn), ToQColor(0x00112233));
    EXPECT_EQ(Background(model, 1, NameColumn), ToQColor(0x00445566));
    D.ColorMode = 2;
    EXPECT_EQ(Background(model, 0, PhoneColumn), QColor(255, 0, 0));  // 0x0000FF is red
    EXPECT_FALSE(model.data(model.index(1, PhoneColumn), Qt::BackgroundRole).isValid());
    // The number column always has the header colour.
    for (int mode = 0; mode < 3; ++mode) {
        D.ColorMode = static_cast<std::uint8_t>(mode);
        EXPECT_EQ(Background(model, 0, NumberColumn), ToQColor(0x00778899));
    }

}

// What a Delete would remove must be plain to see: the selection colour over every cell of
// the range, whatever the colour mode and column (the current cell included).
TEST_F(FormTest, ASelectedRangeStandsOutInEveryColourModeAndColumn) {
    TMBForm& form = OpenCollection();
    QTableView& grid = *form.MessageView;
    const MessageGridModel& model = *form.MessageModel;
    const auto cellRect = [&](int row, int column) { return grid.visualRect(model.index(row, column)); };
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellRect(0, TimeColumn).center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, cellRect(2, SizeColumn).center());
    const QColor highlight = grid.palette().color(QPalette::Active, QPalette::Highlight);
    for (int mode = 0; mode < 3; ++mode) {
        Config.Defaults.ColorMode = static_cast<std::uint8_t>(mode);
        form.MessageModel->Refresh();
        const QImage shown = grid.viewport()->grab().toImage();
        for (int column = TimeColumn; column <= SizeColumn; ++column) {
            // A corner of the cell, clear of text, picture and grid lines.
            const QPoint inside = cellRect(1, column).topLeft() + QPoint(1, 1);
            const QPoint current = cellRect(0, column).topLeft() + QPoint(1, 1);
            const QPoint outside = cellRect(3, column).topLeft() + QPoint(1, 1);
            EXPECT_EQ(QColor(shown.pixel(inside)), highlight) << mode << " " << column;
            EXPECT_EQ(QColor(shown.pixel(current)), highlight) << mode << " " << column;
            EXPECT_NE(QColor(shown.pixel(outside)), highlight) << mode << " " << column;
        }
    }
    // A range down one column fills its whole rows: they are what a Delete removes.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellRect(0, MessageColumn).center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, cellRect(2, MessageColumn).center());
    const QImage rows = grid.viewport()->grab().toImage();
    for (int column = TimeColumn; column <= SizeColumn; ++column) {
        for (int row : {0, 1, 2}) EXPECT_EQ(QColor(rows.pixel(cellRect(row, column).topLeft() + QPoint(1, 1))), highlight);
        EXPECT_NE(QColor(rows.pixel(cellRect(3, column).topLeft() + QPoint(1, 1))), highlight) << column;
    }
    // Without a range, the current cell alone shows its own ground.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellRect(4, NameColumn).center());
    const QImage shown = grid.viewport()->grab().toImage();
    EXPECT_NE(QColor(shown.pixel(cellRect(4, NameColumn).topLeft() + QPoint(1, 1))), highlight);
}

TEST_F(FormTest, RowStylesFollowTheSentAndReceivedFonts) {
    AddMessage(Store, "2007.01.02 10:00", "+15555550100", "sent", MsgSms | MsgSent);
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", "received", MsgSms | MsgReceived);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    Config.Defaults.SentFont = 1;      // italic
    Config.Defaults.ReceivedFont = 3;  // bold italic
    const MessageGridModel& model = *form.MessageModel;
    const QFont sent = model.CellFont(0, MessageColumn);
    EXPECT_TRUE(sent.italic());
    EXPECT_FALSE(sent.bold());
    const QFont received = model.CellFont(1, TimeColumn);
    EXPECT_TRUE(received.italic());
    EXPECT_TRUE(received.bold());
    Config.Defaults.ReceivedFont = 0;
    EXPECT_FALSE(model.CellFont(1, TimeColumn).bold());
    // The number column keeps the grid font (bold by default).
    EXPECT_TRUE(model.CellFont(1, NumberColumn).bold());
}

TEST_F(FormTest, TheMessageColumnTakesTheRestOfTheWidth) {
    TMBForm& form = OpenCollection();
    MessageGrid& grid = *form.MessageView;
    auto sumOthers = [&] {
        int sum = 0;
        for (int c : {TimeColumn, PhoneColumn, NameColumn, TypeColumn, SizeColumn}) sum += grid.columnWidth(c);
        return sum;
    };
    EXPECT_EQ(grid.columnWidth(TimeColumn), 130);
    EXPECT_EQ(grid.columnWidth(TypeColumn), 20);
    EXPECT_EQ(grid.columnWidth(SizeColumn), 50);
    EXPECT_EQ(grid.columnWidth(MessageColumn) + sumOthers(), grid.viewport()->width());
    EXPECT_EQ(Config.Defaults.ColumnWidth[MessageColumn], grid.columnWidth(MessageColumn));
    EXPECT_GE(grid.verticalHeader()->width(), 50);

    // Dragging a column wider: it keeps the width, Message gives way.
    const int message = grid.columnWidth(MessageColumn);
    grid.horizontalHeader()->resizeSection(NameColumn, 150);
    EXPECT_EQ(Config.Defaults.ColumnWidth[NameColumn], 150);
    EXPECT_EQ(grid.columnWidth(MessageColumn), message - 40);

    form.resize(form.width() + 100, form.height());
    EXPECT_EQ(grid.columnWidth(MessageColumn) + sumOthers(), grid.viewport()->width());

    // Others wider than the window: Message keeps a small width, nothing fails.
    grid.horizontalHeader()->resizeSection(NameColumn, 3000);
    EXPECT_GT(grid.columnWidth(MessageColumn), 0);
}

TEST_F(FormTest, RowHeightFollowsTheFontAndGridLinesTheSetting) {
    TMBForm& form = OpenCollection();
    MessageGrid& grid = *form.MessageView;
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), GridRowHeight(form.MessageModel->GridFont()));
    EXPECT_FALSE(grid.showGrid());
    Config.Defaults.GridLines = true;
    form.UpdateMessageView();
    EXPECT_TRUE(grid.showGrid());
    Config.Defaults.DefaultFont->Size = 20;
    form.UpdateMessageGrid();
    EXPECT_GT(grid.verticalHeader()->defaultSectionSize(), 20);
}

TEST_F(FormTest, RowsAndColumnsCanBeResizedAndCellsRangeSelected) {
    TMBForm& form = OpenCollection();
    MessageGrid& grid = *form.MessageView;
    EXPECT_EQ(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(NameColumn), QHeaderView::Interactive);
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(TypeColumn), QHeaderView::Fixed);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectItems);
}

TEST_F(FormTest, AnEmptyViewKeepsOneBlankRow) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", "received", MsgSms | MsgReceived);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    form.DispSentSBClick();
    EXPECT_EQ(Store.ViewCount, 0);
    EXPECT_EQ(form.MessageModel->rowCount(), 1);
    EXPECT_EQ(form.MessageModel->CellText(0, MessageColumn), "");
    // The blank row has no number either: the header says the view holds nothing.
    EXPECT_EQ(form.MessageModel->CellText(0, NumberColumn), "");
    EXPECT_EQ(form.MessageModel->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), "");
    EXPECT_EQ(form.MessageModel->MessageAt(0), 0);
    EXPECT_EQ(form.CurrentMessage, 0);
}

namespace {

// Counts the cells painted.
class CountingDelegate : public MessageCellDelegate {
public:
    using MessageCellDelegate::MessageCellDelegate;
    mutable int Painted = 0;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++Painted;
        MessageCellDelegate::paint(painter, option, index);
    }
};

}  // namespace

TEST_F(FormTest, OnAFullStoreOnlyTheVisibleRowsArePainted) {
    FillRandomStore(Store, {.Messages = MaxMessages, .Phones = 1000}, 5);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    auto* counter = new CountingDelegate(form.MessageView);
    form.MessageView->setItemDelegate(counter);
    const int visibleRows = form.MessageView->viewport()->height() / form.MessageView->rowHeight(0) + 2;
    const int mostCells = visibleRows * (GridColumnCount - 1);

    form.MessageView->viewport()->repaint();
    EXPECT_GT(counter->Painted, 0);
    EXPECT_LE(counter->Painted, mostCells);
    counter->Painted = 0;
    form.MessageView->scrollTo(form.MessageModel->index(12000, TimeColumn));
    form.MessageView->viewport()->repaint();
    EXPECT_LE(counter->Painted, mostCells);
    counter->Painted = 0;
    form.DispSentSBClick();
    form.MessageView->viewport()->repaint();
    EXPECT_LE(counter->Painted, 2 * mostCells);
}

TEST(GridRowHeight, HoldsTheWholeLineAndTheAccentsOfCapitalsBesideFrameAndGridLine) {
    for (const char* family : {"Verdana", "DejaVu Sans", "Liberation Serif"})
        for (int points : {7, 8, 9, 12, 20, 36}) {
            QFont font(QString::fromLatin1(family));
            font.setPointSize(points);
            SCOPED_TRACE(testing::Message() << family << " " << points);
            const int row = GridRowHeight(font);
            const QFontMetrics m(font);
            EXPECT_GE(row, m.ascent() + m.descent() + 3);
            // The ink of an accented capital with a descender beside it, as drawn centred
            // in the cell, stays clear of the top and bottom pixel the focus frame takes.
            const QRect ink = m.tightBoundingRect(QStringLiteral("\u00C5\u00D6gy"));
            EXPECT_LE(ink.height(), row - 3);
            QFont bold = font;
            bold.setBold(true);
            EXPECT_GE(row, QFontMetrics(bold).height() + 3);
        }
}

namespace {

struct PaintCount : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

}  // namespace

// A refresh that changes the number of rows lays the rows out before it paints, so the
// grid is painted once per command rather than once more when the view's deferred layout
// catches up (on a full collection each paint is a good part of the frame).
TEST_F(FormTest, ARefreshPaintsTheGridOnce) {
    TMBForm& form = OpenCollection();
    PaintCount count;
    form.MessageView->viewport()->installEventFilter(&count);
    // Commands that lay the window out end with the refresh: they paint once too.
    Answers.YesNoAnswers.push_back(true);
    for (auto command : {&TMBForm::DispSentSBClick, &TMBForm::DispReceivedSBClick, &TMBForm::DispAllSBClick,
                         &TMBForm::ColorsAutomaticClick, &TMBForm::RemoveAllColourMainMenuClick}) {
        count.Paints = 0;
        (form.*command)();
        QApplication::processEvents();
        EXPECT_EQ(count.Paints, 1);
    }
    EXPECT_TRUE(Answers.YesNoAnswers.empty());
    form.MessageView->viewport()->removeEventFilter(&count);
}

// The grid appearing (a collection opened into an empty window) lays out the window, the
// scroll bars and the columns before its first paint.
TEST_F(FormTest, AGridThatAppearsIsPaintedOnce) {
    const std::string path = WriteCollection();
    TMBForm& form = Open();
    ASSERT_FALSE(form.MessageView->isVisible());
    PaintCount count;
    form.MessageView->viewport()->installEventFilter(&count);
    Answers.FileAnswers.push_back({QString::fromStdString(path)});
    form.OpenMainMenuClick();
    QApplication::processEvents();
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_EQ(count.Paints, 1);
    form.MessageView->viewport()->removeEventFilter(&count);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls: tool bar, search bar, grid area and bottom bar.
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "MBrowser/DetailLineEdit.h"
#include "MBrowser/MessageCellDelegate.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/Pictures.h"
#include "MBrowser/TMBForm.h"

namespace {

constexpr int ButtonSize = 36;
constexpr int PictureSize = 26;
constexpr int CaptionButtonWidth = 100;

QToolButton* PictureButton(QWidget* parent, ToolPicture picture, const QString& tooltip) {
    auto* b = new QToolButton(parent);
    b->setIcon(ToolIcon(picture));
    b->setIconSize(QSize(PictureSize, PictureSize));
    b->setFixedSize(ButtonSize, ButtonSize);
    b->setAutoRaise(true);
    b->setToolTip(tooltip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A flat button with a small picture and a caption (the search bar's command buttons).
QToolButton* CaptionButton(QWidget* parent, ToolPicture picture, const QString& caption, const QString& tooltip,
                           int width) {
    auto* b = PictureButton(parent, picture, tooltip);
    b->setText(caption);
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setFixedSize(width, ButtonSize);
    return b;
}

// The narrow button beside a caption button that opens its menu.
QToolButton* MenuArrowButton(QWidget* parent, const QString& tooltip) {
    auto* b = new QToolButton(parent);
    b->setArrowType(Qt::DownArrow);
    b->setAutoRaise(true);
    b->setFixedSize(15, ButtonSize);
    b->setToolTip(tooltip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A box that keeps its chosen width while the tool bar has room and gives some of it up,
// down to its minimum, before the tool bar's controls would run into one another.
template <class Box>
class RoomyBox : public Box {
public:
    RoomyBox(QWidget* parent, int width, int minimumWidth) : Box(parent), Width(width) {
        this->setMinimumWidth(minimumWidth);
        this->setMaximumWidth(width);
        this->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {Width, Box::sizeHint().height()}; }

private:
    const int Width;
};

QFrame* Rule(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, QColor(0xD8, 0xDD, 0xE4));
    line->setPalette(p);
    return line;
}

}  // namespace

void TMBForm::CreateToolBar() {
    TopPanel = new QWidget(this);
    TopPanel->setObjectName(QStringLiteral("TopPanel"));
    auto* row = new QHBoxLayout(TopPanel);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(1);

    NewFileSB = PictureButton(TopPanel, ToolPicture::NewFile, QStringLiteral("New file"));
    ImportFilesSB = PictureButton(TopPanel, ToolPicture::ImportFiles, QStringLiteral("Add phone backups, exports and address books"));
    OpenFileSB = PictureButton(TopPanel, ToolPicture::OpenFile, QStringLiteral("Open Kestro file"));
    SaveFileSB = PictureButton(TopPanel, ToolPicture::SaveFile, QStringLiteral("Save Kestro file"));
    OptionsSB = PictureButton(TopPanel, ToolPicture::Options, QStringLiteral("Options"));
    DispSentSB = PictureButton(TopPanel, ToolPicture::Sent, QStringLiteral("Sent messages"));
    DispReceivedSB = PictureButton(TopPanel, ToolPicture::Received, QStringLiteral("Received messages"));
    DispAllSB = PictureButton(TopPanel, ToolPicture::All, QStringLiteral("All messages"));
    ThisPersonSB = PictureButton(TopPanel, ToolPicture::ThisPerson, QStringLiteral("Messages with this contact"));
    for (QToolButton* b : {DispSentSB, DispReceivedSB, DispAllSB, ThisPersonSB}) b->setCheckable(true);

    for (QToolButton* b : {NewFileSB, ImportFilesSB, OpenFileSB, SaveFileSB}) row->addWidget(b);
    row->addSpacing(8);
    row->addWidget(OptionsSB);
    row->addSpacing(8);
    for (QToolButton* b : {DispSentSB, DispReceivedSB, DispAllSB, ThisPersonSB}) row->addWidget(b);
    row->addSpacing(8);

    NameBox = new RoomyBox<QComboBox>(TopPanel, 170, 110);
    NameBox->setEditable(true);
    NameBox->setInsertPolicy(QComboBox::NoInsert);
    NameBox->setMaxVisibleItems(24);
    NameBox->hide();
    row->addWidget(NameBox);
    row->addStretch(1);

    CreateSearchBar();
    row->addWidget(SearchPanel);
    TopPanel->installEventFilter(this);  // narrower, or a box shown: FitToolBar
}

void TMBForm::CreateSearchBar() {
    SearchPanel = new QWidget(TopPanel);
    SearchPanel->setToolTip(QStringLiteral("Search text"));
    auto* row = new QHBoxLayout(SearchPanel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    ContactSB = CaptionButton(SearchPanel, ToolPicture::Contacts, QStringLiteral("Contacts"),
                              QStringLiteral("Rename this contact"), CaptionButtonWidth);
    ContactMenuSB = MenuArrowButton(SearchPanel, QStringLiteral("Open contacts menu"));
    ReColorSB = CaptionButton(SearchPanel, ToolPicture::Colours, QStringLiteral("Colours"),
                              QStringLiteral("Change colour"), CaptionButtonWidth);
    ColourMenuSB = MenuArrowButton(SearchPanel, QStringLiteral("Open colour menu"));
    SearchSB = PictureButton(SearchPanel, ToolPicture::Search, QStringLiteral("Search for specific messages"));

    SearchEdit = new RoomyBox<QLineEdit>(SearchPanel, 180, 90);
    SearchEdit->setPlaceholderText(QStringLiteral("Search"));

    ClearSearchSB = new QToolButton(SearchPanel);
    ClearSearchSB->setText(QStringLiteral("X"));
    ClearSearchSB->setToolTip(QStringLiteral("Clear search"));
    ClearSearchSB->setAutoRaise(true);
    ClearSearchSB->setFixedSize(ButtonSize - 4, ButtonSize);
    ClearSearchSB->setFocusPolicy(Qt::NoFocus);
    QFont cross(QStringLiteral("Verdana"), 12);
    cross.setBold(true);
    ClearSearchSB->setFont(cross);
    QPalette maroon = ClearSearchSB->palette();
    maroon.setColor(QPalette::ButtonText, QColor(0x80, 0x00, 0x00));
    ClearSearchSB->setPalette(maroon);

    row->addWidget(ContactSB);
    row->addWidget(ContactMenuSB);
    row->addSpacing(4);
    row->addWidget(ReColorSB);
    row->addWidget(ColourMenuSB);
    row->addSpacing(8);
    row->addWidget(SearchSB);
    row->addSpacing(2);
    row->addWidget(SearchEdit);
    row->addWidget(ClearSearchSB);
    SearchPanel->hide();
}

void TMBForm::FitToolBar() {
    // The boxes have already given up what they may (RoomyBox). Then the two caption
    // buttons of the search bar show their pictures only, which keeps every control apart
    // down to the window's minimum width.
    FitConversationButton();
    if (SearchPanel->isHidden()) return;
    const bool compact = ContactSB->toolButtonStyle() == Qt::ToolButtonIconOnly;
    const int gained = 2 * (CaptionButtonWidth - ButtonSize);
    const int needed = TopPanel->layout()->minimumSize().width() + (compact ? gained : 0);
    const bool wantCompact = needed > TopPanel->width();
    if (wantCompact == compact) return;
    for (QToolButton* b : {ContactSB, ReColorSB}) {
        b->setToolButtonStyle(wantCompact ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
        b->setFixedWidth(wantCompact ? ButtonSize : CaptionButtonWidth);
    }
}

void TMBForm::FitConversationButton() {
    // Last of all the conversation button goes (the View menu and F9 stay): only when the
    // tool bar would not fit even with the captions given way.
    const bool compact = ContactSB->toolButtonStyle() == Qt::ToolButtonIconOnly;
    const int captions = SearchPanel->isHidden() || compact ? 0 : 2 * (CaptionButtonWidth - ButtonSize);
    const int button = ConversationSB->isHidden() ? ButtonSize + TopPanel->layout()->spacing() : 0;
    ConversationSB->setVisible(TopPanel->layout()->minimumSize().width() - captions + button <= TopPanel->width());
}

void TMBForm::CreateGridArea() {
    GridPanel = new QWidget(this);
    GridPanel->setObjectName(QStringLiteral("GridPanel"));
    GridPanel->installEventFilter(this);
    auto* box = new QVBoxLayout(GridPanel);
    box->setContentsMargins(0, 0, 0, 0);

    MessageModel = new MessageGridModel(S, D, Locale, this);
    MessageView = new MessageGrid(GridPanel);
    MessageView->setModel(MessageModel);
    MessageView->setItemDelegate(new MessageCellDelegate(MessageView));
    MessageView->setColumnHidden(NumberColumn, true);  // the vertical header shows it
    MessageView->horizontalHeader()->setSectionResizeMode(TypeColumn, QHeaderView::Fixed);
    MessageView->horizontalHeader()->setSectionResizeMode(MessageColumn, QHeaderView::Fixed);
    QPalette grid = MessageView->palette();
    grid.setColor(QPalette::Base, Qt::white);
    grid.setColor(QPalette::Highlight, QColor(0xBF, 0xD8, 0xFA));
    grid.setColor(QPalette::HighlightedText, QColor(0x10, 0x18, 0x28));
    grid.setColor(QPalette::Text, QColor(0x10, 0x18, 0x28));
    MessageView->setPalette(grid);
    MessageView->hide();
    box->addWidget(MessageView);
}

void TMBForm::CreateBottomBar() {
    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    auto* column = new QVBoxLayout(BottomPanel);
    column->setContentsMargins(8, 2, 8, 2);
    column->setSpacing(1);

    // A few lines of a long message, then it scrolls.
    MessageLabel = new DetailLineEdit(BottomPanel);
    MessageLabel->setToolTip(QStringLiteral("Click [Ctrl+C] to copy selected text onto the Clipboard"));
    MessageLabel->setAutoFillBackground(false);

    WebSB = new QToolButton(BottomPanel);
    WebSB->setIcon(ToolIcon(ToolPicture::WebLink));
    WebSB->setIconSize(QSize(16, 16));
    WebSB->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    WebSB->setAutoRaise(true);
    WebSB->setFixedHeight(25);
    WebSB->setToolTip(QStringLiteral("Go to this web page"));
    QFont underlined = WebSB->font();
    underlined.setUnderline(true);
    WebSB->setFont(underlined);
    QPalette link = WebSB->palette();
    link.setColor(QPalette::ButtonText, QColor(0x1A, 0x5F, 0xC8));
    WebSB->setPalette(link);
    WebSB->hide();
    BottomPanel->setFixedHeight(MessageLabel->height() + WebSB->height() + 2 + 2 + 1);

    column->addWidget(MessageLabel);
    auto* linkRow = new QHBoxLayout;
    linkRow->setContentsMargins(0, 0, 0, 0);
    linkRow->addWidget(WebSB);
    linkRow->addStretch(1);
    column->addLayout(linkRow);
    column->addStretch(1);
}

void TMBForm::BuildControls() {
    CreateToolBar();
    CreateGridArea();
    CreateBottomBar();
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(TopPanel);
    column->addWidget(Rule(central));
    column->addWidget(CreateConversationPane(), 1);
    column->addWidget(Rule(central));
    column->addWidget(BottomPanel);
    setCentralWidget(central);
}

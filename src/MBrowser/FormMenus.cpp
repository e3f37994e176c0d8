// SPDX-License-Identifier: GPL-3.0-or-later
// The main menu, the four pop-up menus, and where every command is wired.
#include <QActionGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "MBrowser/MessageGrid.h"
#include "MBrowser/TMBForm.h"

namespace {

QAction* Item(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(caption);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

QAction* RadioItem(QMenu* menu, QActionGroup* group, const QString& caption) {
    QAction* a = Item(menu, caption);
    a->setCheckable(true);
    group->addAction(a);
    return a;
}

}  // namespace

void TMBForm::CreateMainMenu() {
    QMenuBar* bar = menuBar();

    FileMenu = bar->addMenu(QStringLiteral("&File"));
    NewMainMenu = Item(FileMenu, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
    OpenMainMenu = Item(FileMenu, QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    FileMenu->addSeparator();
    SaveMainMenu = Item(FileMenu, QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAsMainMenu = Item(FileMenu, QStringLiteral("Save as..."));
    ExportMainMenu = Item(FileMenu, QStringLiteral("Export..."));
    PrintMainMenu = Item(FileMenu, QStringLiteral("Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    PrintPreviewMainMenu = Item(FileMenu, QStringLiteral("Print preview..."));
    FileMenu->addSeparator();
    ImportMainMenu = Item(FileMenu, QStringLiteral("Add files ..."));
    ImportFolderMainMenu = Item(FileMenu, QStringLiteral("Add folder..."));
    MergeBackupsMainMenu = Item(FileMenu, QStringLiteral("Merge phone backups..."));
    CreateSampleMainMenu = Item(FileMenu, QStringLiteral("Create sample files"));
    FileMenu->addSeparator();
    ExitMainMenu = Item(FileMenu, QStringLiteral("E&xit"));

    EditMenu = bar->addMenu(QStringLiteral("&Edit"));
    UndoMainMenu = Item(EditMenu, QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    UndoMainMenu->setEnabled(false);
    EditMenu->addSeparator();
    CopyMainMenu = Item(EditMenu, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    DeleteMainMenu = Item(EditMenu, QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete));
    EditMenu->addSeparator();
    SelectAllMainMenu = Item(EditMenu, QStringLiteral("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    EditMenu->addSeparator();
    RenameMainMenu = Item(EditMenu, QStringLiteral("Rename this contact"));
    RemoveContactMainMenu = Item(EditMenu, QStringLiteral("Remove all messages of this contact"));
    BlockMainMenu = Item(EditMenu, QStringLiteral("Block messages from selected contacts"));

    ViewMenu = bar->addMenu(QStringLiteral("&View"));
    auto* views = new QActionGroup(this);
    SentMainMenu = RadioItem(ViewMenu, views, QStringLiteral("Sent messages"));
    ReceivedMainMenu = RadioItem(ViewMenu, views, QStringLiteral("Received messages"));
    AllMainMenu = RadioItem(ViewMenu, views, QStringLiteral("All messages"));
    AllMainMenu->setChecked(true);
    ThisPersonMainMenu = Item(ViewMenu, QStringLiteral("Messages with this contact"));
    ThisPersonMainMenu->setCheckable(true);
    ConversationMainMenu = Item(ViewMenu, QStringLiteral("Conversation"), QKeySequence(Qt::Key_F9));
    ConversationMainMenu->setCheckable(true);
    ViewMenu->addSeparator();
    SummaryMainMenu = Item(ViewMenu, QStringLiteral("Activity summary"));
    StatisticsMainMenu = Item(ViewMenu, QStringLiteral("Activity statistics"));
    ActivityChartMainMenu = Item(ViewMenu, QStringLiteral("Activity chart"));

    ToolsMenu = bar->addMenu(QStringLiteral("&Tools"));
    CryptMainMenu = Item(ToolsMenu, QStringLiteral("Crypt messages on screen"));
    RemoveHistoryMainMenu = Item(ToolsMenu, QStringLiteral("Remove contacts history"));
    RemoveDupsMainMenu = Item(ToolsMenu, QStringLiteral("Remove duplicate messages"));
    ToolsMenu->addSeparator();
    OptionsMainMenu = Item(ToolsMenu, QStringLiteral("Options"));

    HelpMenu = bar->addMenu(QStringLiteral("&Help"));
    KestroMainMenu = Item(HelpMenu, QStringLiteral("Kestro homepage"));
    GetStartedMainMenu = Item(HelpMenu, QStringLiteral("Kestro help"), QKeySequence(Qt::Key_F1));
    AboutMainMenu = Item(HelpMenu, QStringLiteral("About"));
}

void TMBForm::CreatePopupMenus() {
    PopupMenuMsgGrid = new QMenu(this);
    CopyMenu = Item(PopupMenuMsgGrid, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    RenameMenu = Item(PopupMenuMsgGrid, QStringLiteral("&Rename"));
    ColourMenu = Item(PopupMenuMsgGrid, QStringLiteral("C&olour"));
    DeleteMenu = Item(PopupMenuMsgGrid, QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
    PopupMenuMsgGrid->addSeparator();
    SummaryMenu = Item(PopupMenuMsgGrid, QStringLiteral("Activity summary"));
    StatisticsMenu = Item(PopupMenuMsgGrid, QStringLiteral("Activity statistics"));
    PopupMenuMsgGrid->addSeparator();
    OptionsMenu = Item(PopupMenuMsgGrid, QStringLiteral("O&ptions"));

    PopupMenuSearch = new QMenu(this);
    WebPagesMenu = Item(PopupMenuSearch, QStringLiteral("Messages with web page links"));
    EmailsMenu = Item(PopupMenuSearch, QStringLiteral("Messages with email addresses"));
    PopupMenuSearch->addSeparator();
    ShowAllMenu = Item(PopupMenuSearch, QStringLiteral("Show all messages"));

    PopupMenuColor = new QMenu(this);
    SelectColorMenu = Item(PopupMenuColor, QStringLiteral("Select colour for this contact"));
    ColorsAutomaticMenu = Item(PopupMenuColor, QStringLiteral("Set contact colours automatically"));
    ClearColorsMenu = Item(PopupMenuColor, QStringLiteral("Clear all contact colours"));
    PopupMenuColor->addSeparator();
    auto* modes = new QActionGroup(this);
    DefaultColorMenu = RadioItem(PopupMenuColor, modes, QStringLiteral("Use default colour"));
    SentReceivedColorMenu = RadioItem(PopupMenuColor, modes, QStringLiteral("Use sent and received colours"));
    ContactColorsMenu = RadioItem(PopupMenuColor, modes, QStringLiteral("Use contact colours"));
    DefaultColorMenu->setData(0);
    SentReceivedColorMenu->setData(1);
    ContactColorsMenu->setData(2);

    PopupMenuContact = new QMenu(this);
    RenameContactMenu = Item(PopupMenuContact, QStringLiteral("Rename this contact"));
    RemoveContactMenu = Item(PopupMenuContact, QStringLiteral("Remove all messages of this contact"));
    BlockContactMenu = Item(PopupMenuContact, QStringLiteral("Block messages from selected contacts"));
}

void TMBForm::PopupBelow(QToolButton* button, QMenu* menu) {
    connect(button, &QToolButton::clicked, this,
            [button, menu] { menu->popup(button->mapToGlobal(QPoint(0, button->height()))); });
}

void TMBForm::ConnectCommands() {
    auto wire = [this](auto* sender, auto signal, void (TMBForm::*handler)()) { Wire(sender, signal, handler); };
    auto popupBelow = [this](QToolButton* button, QMenu* menu) { PopupBelow(button, menu); };

    wire(NewMainMenu, &QAction::triggered, &TMBForm::NewMainMenuClick);
    wire(OpenMainMenu, &QAction::triggered, &TMBForm::OpenMainMenuClick);
    wire(SaveMainMenu, &QAction::triggered, &TMBForm::SaveMainMenuClick);
    wire(SaveAsMainMenu, &QAction::triggered, &TMBForm::SaveAsMainMenuClick);
    wire(ExportMainMenu, &QAction::triggered, &TMBForm::ExportMainMenuClick);
    wire(PrintMainMenu, &QAction::triggered, &TMBForm::PrintMainMenuClick);
    wire(PrintPreviewMainMenu, &QAction::triggered, &TMBForm::PrintPreviewMainMenuClick);
    wire(ImportMainMenu, &QAction::triggered, &TMBForm::ImportMainMenuClick);
    wire(ImportFolderMainMenu, &QAction::triggered, &TMBForm::ImportFolderMainMenuClick);
    wire(MergeBackupsMainMenu, &QAction::triggered, &TMBForm::MergeBackupsMainMenuClick);
    wire(CreateSampleMainMenu, &QAction::triggered, &TMBForm::CreateSampleFilesClick);
    wire(ExitMainMenu, &QAction::triggered, &TMBForm::ExitMainMenuClick);
    wire(NewFileSB, &QToolButton::clicked, &TMBForm::NewMainMenuClick);
    wire(ImportFilesSB, &QToolButton::clicked, &TMBForm::ImportMainMenuClick);
    wire(OpenFileSB, &QToolButton::clicked, &TMBForm::OpenMainMenuClick);
    wire(SaveFileSB, &QToolButton::clicked, &TMBForm::SaveMainMenuClick);

    wire(SentMainMenu, &QAction::triggered, &TMBForm::DispSentSBClick);
    wire(ReceivedMainMenu, &QAction::triggered, &TMBForm::DispReceivedSBClick);
    wire(AllMainMenu, &QAction::triggered, &TMBForm::DispAllSBClick);
    wire(ThisPersonMainMenu, &QAction::triggered, &TMBForm::ThisPersonMainMenuClick);
    wire(ShowAllMenu, &QAction::triggered, &TMBForm::DispAllSBClick);
    wire(ClearSearchSB, &QToolButton::clicked, &TMBForm::DispAllSBClick);
    // The sticky group: a button pressed down releases the others, and all may be up.
    for (QToolButton* b : {DispSentSB, DispReceivedSB, DispAllSB, ThisPersonSB})
        connect(b, &QToolButton::toggled, this, [this, b](bool down) { if (down) PressViewButton(b); });
    wire(DispSentSB, &QToolButton::clicked, &TMBForm::DispSentSBClick);
    wire(DispReceivedSB, &QToolButton::clicked, &TMBForm::DispReceivedSBClick);
    wire(DispAllSB, &QToolButton::clicked, &TMBForm::DispAllSBClick);
    wire(ThisPersonSB, &QToolButton::clicked, &TMBForm::ThisPersonSBClick);
    connect(NameBox, &QComboBox::textActivated, this, [this](const QString& text) {
        // Two stored names may show alike (UTF-8 and Windows-1252): the chosen entry counts.
        const int current = NameBox->currentIndex();
        const int entry = current >= 0 && NameBox->itemText(current) == text
                              ? current
                              : NameBox->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        Safely([this, entry] { NameBoxChange(entry); });
    });
    connect(NameBox, &QComboBox::editTextChanged, this, [this] { Safely([this] { NameBoxChange(-1); }); });

    wire(WebSB, &QToolButton::clicked, &TMBForm::WebSBClick);
    wire(KestroMainMenu, &QAction::triggered, &TMBForm::KestroMainMenuClick);
    wire(GetStartedMainMenu, &QAction::triggered, &TMBForm::GetStartedMainMenuClick);
    wire(AboutMainMenu, &QAction::triggered, &TMBForm::AboutMainMenuClick);

    popupBelow(SearchSB, PopupMenuSearch);
    connect(MessageView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenuMsgGrid->popup(MessageView->viewport()->mapToGlobal(at)); });

    connect(MessageView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Safely([this] { MessageViewClick(); }); });
    connect(MessageView, &MessageGrid::ViewportResized, this, [this] { FitGridColumns(); });
    connect(MessageView->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { GridColumnResized(column, width); });

    // Each concern wires its own commands beside its handlers.
    ConnectBrowsingCommands();
    ConnectEditingCommands();
    ConnectColourCommands();
    ConnectOptionsCommands();
    ConnectConversation();
}

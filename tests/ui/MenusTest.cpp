// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/TAboutBox.h"

namespace {

// Captions in order, with the shortcut after a tab and "-" for a separator.
QStringList Items(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            items << "-";
            continue;
        }
        QString item = a->text();
        if (!a->shortcut().isEmpty()) item += "\t" + a->shortcut().toString();
        items << item;
    }
    return items;
}

}  // namespace

TEST_F(FormTest, MainMenuCaptionsAndShortcuts) {
    TMBForm& form = Open();
    EXPECT_EQ(form.FileMenu->title(), "&File");
    EXPECT_EQ(Items(form.FileMenu), QStringList({"&New\tCtrl+N", "&Open\tCtrl+O", "-", "Save\tCtrl+S", "Save as...",
                                                 "Export...", "Print...\tCtrl+P", "Print preview...", "-",
                                                 "Add files ...", "Add folder...", "Merge phone backups...", "Create sample files", "-", "E&xit"}));
    EXPECT_EQ(form.EditMenu->title(), "&Edit");
    EXPECT_EQ(Items(form.EditMenu),
              QStringList({"&Undo\tCtrl+Z", "-", "&Copy\tCtrl+C", "Delete\tDel", "-", "Select &All\tCtrl+A", "-", "Rename this contact",
                           "Remove all messages of this contact", "Block messages from selected contacts"}));
    EXPECT_EQ(form.ViewMenu->title(), "&View");
    EXPECT_EQ(Items(form.ViewMenu), QStringList({"Sent messages", "Received messages", "All messages",
                                                 "Messages with this contact", "Conversation\tF9", "-", "Activity summary",
                                                 "Activity statistics", "Activity chart"}));
    EXPECT_TRUE(form.AllMainMenu->isChecked());
    EXPECT_TRUE(form.ThisPersonMainMenu->isCheckable());
    EXPECT_EQ(form.ToolsMenu->title(), "&Tools");
    EXPECT_EQ(Items(form.ToolsMenu), QStringList({"Crypt messages on screen", "Remove contacts history",
                                                  "Remove duplicate messages", "-", "Options"}));
    EXPECT_EQ(form.HelpMenu->title(), "&Help");
    EXPECT_EQ(Items(form.HelpMenu), QStringList({"Kestro homepage", "Kestro help\tF1", "About"}));
}

TEST_F(FormTest, PopupMenuCaptions) {
    TMBForm& form = Open();
    EXPECT_EQ(Items(form.PopupMenuMsgGrid),
              QStringList({"&Copy\tCtrl+C", "&Rename", "C&olour", "&Delete\tDel", "-", "Activity summary",
                           "Activity statistics", "-", "O&ptions"}));
    EXPECT_EQ(Items(form.PopupMenuSearch), QStringList({"Messages with web page links", "Messages with email addresses",
                                                        "-", "Show all messages"}));
    EXPECT_EQ(Items(form.PopupMenuColor),
              QStringList({"Select colour for this contact", "Set contact colours automatically",
                           "Clear all contact colours", "-", "Use default colour", "Use sent and received colours",
                           "Use contact colours"}));
    EXPECT_EQ(form.DefaultColorMenu->data().toInt(), 0);
    EXPECT_EQ(form.SentReceivedColorMenu->data().toInt(), 1);
    EXPECT_EQ(form.ContactColorsMenu->data().toInt(), 2);
    EXPECT_EQ(Items(form.PopupMenuContact), QStringList({"Rename this contact", "Remove all messages of this contact",
                                                         "Block messages from selected contacts"}));
}

TEST_F(FormTest, ToolTipsAndCaptions) {
    TMBForm& form = Open();
    const std::pair<QWidget*, const char*> tips[] = {
        {form.NewFileSB, "New file"},
        {form.ImportFilesSB, "Add phone backups, exports and address books"},
        {form.OpenFileSB, "Open Kestro file"},
        {form.SaveFileSB, "Save Kestro file"},
        {form.OptionsSB, "Options"},
        {form.DispSentSB, "Sent messages"},
        {form.DispReceivedSB, "Received messages"},
        {form.DispAllSB, "All messages"},
        {form.ThisPersonSB, "Messages with this contact"},
        {form.SearchPanel, "Search text"},
        {form.ContactSB, "Rename this contact"},
        {form.ContactMenuSB, "Open contacts menu"},
        {form.ReColorSB, "Change colour"},
        {form.ColourMenuSB, "Open colour menu"},
        {form.SearchSB, "Search for specific messages"},
        {form.ClearSearchSB, "Clear search"},
        {form.MessageLabel, "Click [Ctrl+C] to copy selected text onto the Clipboard"},
        {form.WebSB, "Go to this web page"},
    };
    for (const auto& [widget, tip] : tips) EXPECT_EQ(widget->toolTip(), tip);
    EXPECT_EQ(form.ContactSB->text(), "Contacts");
    EXPECT_EQ(form.ReColorSB->text(), "Colours");
    EXPECT_EQ(form.ClearSearchSB->text(), "X");
    for (QToolButton* b : {form.DispSentSB, form.DispReceivedSB, form.DispAllSB, form.ThisPersonSB})
        EXPECT_TRUE(b->isCheckable());
    EXPECT_FALSE(form.NewFileSB->icon().isNull());
}

TEST_F(FormTest, TheAboutWindow) {
    TAboutBox about(nullptr, Qt::white);
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.TitleLabel->text(), "Kestro");
    EXPECT_EQ(about.VersionLabel->text(), "Version 1.1");
    const auto buttons = about.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "Close");
}

TEST_F(FormTest, AFailingCommandIsReportedNotFatal) {
    TMBForm& form = Open();
    form.Safely([] { throw IoError::DiskFull(); });
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "Disk full");
}

TEST_F(FormTest, ShortcutsReachTheMainMenuOnlyWhileItIsEnabled) {
    TMBForm& form = OpenCollection();
    form.activateWindow();
    form.MessageView->setFocus();
    QApplication::processEvents();
    int copies = 0, popupCopies = 0;
    QObject::connect(form.CopyMainMenu, &QAction::triggered, [&] { ++copies; });
    QObject::connect(form.CopyMenu, &QAction::triggered, [&] { ++popupCopies; });
    QTest::keyClick(form.MessageView, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(popupCopies, 0);

    Store.MessageCount = 0;  // an empty collection disables the Edit menu
    form.FormPaint();
    form.setFocus();
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies, 1);
}

namespace {

// The darkest (or, on a dark ground, the lightest) ink of a menu title as the bar draws it,
// as its distance from the window colour.
int TitleContrast(QMenuBar* bar, QMenu* menu, const QColor& ground) {
    const QImage image = bar->grab().toImage();
    const QRect r = bar->actionGeometry(menu->menuAction()).intersected(image.rect());
    int best = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            best = std::max(best, std::abs(QColor(image.pixel(x, y)).lightness() - ground.lightness()));
    return best;
}

}  // namespace

TEST_F(FormTest, DisabledMenusLookDisabledOnAnyWindowColour) {
    for (std::int32_t colour : {0x00FFFFFF, 0x00E6D8AD, 0x00401010}) {  // white, light blue, dark blue
        SCOPED_TRACE(colour);
        WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.DefaultColor = colour; });
        Form.reset();
        TMBForm& form = Open();
        ASSERT_FALSE(form.EditMenu->menuAction()->isEnabled());
        const QColor ground = form.palette().color(QPalette::Window);
        const int enabled = TitleContrast(form.menuBar(), form.FileMenu, ground);
        for (QMenu* disabled : {form.EditMenu, form.ViewMenu}) {
            const int faded = TitleContrast(form.menuBar(), disabled, ground);
            EXPECT_GT(faded, 20) << disabled->title().toStdString();  // still readable
            EXPECT_LT(faded, enabled * 2 / 3) << disabled->title().toStdString();
        }
    }
}

TEST_F(FormTest, ToolBarControlsNeverOverlapFromTheMinimumWidthUp) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);
    form.ThisPersonMainMenu->trigger();  // the name box is shown too
    ASSERT_TRUE(form.NameBox->isVisible());
    for (int width : {768, 800, 880, 950, 1067, 1400}) {
        SCOPED_TRACE(width);
        form.resize(width, 600);
        QApplication::processEvents();
        QApplication::processEvents();
        ASSERT_EQ(form.width(), width);
        std::vector<QWidget*> controls;
        for (QWidget* w : form.TopPanel->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QToolButton*>(w) || qobject_cast<QComboBox*>(w) ||
                                   (qobject_cast<QLineEdit*>(w) && w != form.NameBox->lineEdit())))
                controls.push_back(w);
        ASSERT_GE(controls.size(), 16u);
        std::vector<QRect> rects;
        for (QWidget* w : controls) {
            const QRect r(w->mapTo(form.TopPanel, QPoint(0, 0)), w->size());
            EXPECT_TRUE(form.TopPanel->rect().contains(r)) << w->toolTip().toStdString();
            for (std::size_t i = 0; i < rects.size(); ++i)
                EXPECT_FALSE(rects[i].intersects(r)) << controls[i]->toolTip().toStdString() << " and "
                                                     << w->toolTip().toStdString();
            rects.push_back(r);
        }
        EXPECT_GE(form.NameBox->width(), form.NameBox->minimumWidth());
        EXPECT_GE(form.SearchEdit->width(), 90);
        // Captions give way only when needed; the buttons keep their names either way.
        if (width == 768) {
            EXPECT_EQ(form.ContactSB->toolButtonStyle(), Qt::ToolButtonIconOnly);
        } else if (width >= 1067) {
            EXPECT_EQ(form.ContactSB->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        }
        EXPECT_EQ(form.ContactSB->text(), "Contacts");
    }
}

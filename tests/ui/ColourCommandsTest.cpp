// SPDX-License-Identifier: GPL-3.0-or-later
// The colour menu's commands on a small collection: a contact's colour, automatic colours,
// clearing them all, and the three colour modes.
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <map>
#include <set>

#include "FormFixture.h"
#include "MBColors/TColorDialog.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "ModalScript.h"

namespace {

constexpr std::int32_t PlatformRed = 0x0000FF;

void Choose(TColorDialog& chooser, const QString& name) {
    const QList<QListWidgetItem*> found = chooser.ColorListBox->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    chooser.ColorListBox->setCurrentItem(found.front());
}

// Colours of the stored messages, in store order.
std::vector<std::int32_t> Colours(const MsgStore& S) {
    std::vector<std::int32_t> colours;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) colours.push_back(S.Messages[static_cast<std::size_t>(n)].Color);
    return colours;
}

}  // namespace

class ColourCommandsTest : public FormTest {
protected:
    // The collection with Anna Berg's newest message in the current row, in default-colour
    // mode, unmodified.
    TMBForm& OpenOnAnna() {
        TMBForm& form = OpenCollection();
        form.D.ColorMode = 0;
        form.SetCurrentRow(1);
        EXPECT_EQ(Store.Messages[static_cast<std::size_t>(form.CurrentMessage)].Name.str(), "Anna Berg");
        Store.Modified = false;
        return form;
    }

    std::int32_t ColourOf(const std::string& name) const {
        for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
            if (Store.Messages[static_cast<std::size_t>(n)].Name.str() == name)
                return Store.Messages[static_cast<std::size_t>(n)].Color;
        return -1;
    }
};

TEST_F(ColourCommandsTest, AContactsColourReachesEveryMessageOfItsNameOrPhone) {
    TMBForm& form = OpenOnAnna();
    // A message of Anna's phone under another name, and one of another phone under her name.
    Store.Messages[2].Name = "Anna B.";
    Store.Messages[2].Phone = "+15555550100";
    Store.Messages[5].Phone = "+15555550199";
    Store.Messages[5].Name = "Anna Berg";
    form.SetCurrentRow(1);
    ASSERT_NE(form.CurrentMessage, 2);
    ASSERT_NE(form.CurrentMessage, 5);
    QString prompt;
    bool clearShown = false;
    ModalScript<TColorDialog> user([&](TColorDialog& c) {
        prompt = c.CurrentColor->text();
        clearShown = c.ClearColorSB->isVisible();
        Choose(c, "Red");
        c.OKBtn->click();
    });
    form.ReColorSB->click();
    EXPECT_EQ(user.Runs, 1);
    EXPECT_EQ(prompt, "Select the colour for \"Anna Berg\"");
    EXPECT_TRUE(clearShown);
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) {
        const XMsgRecType& m = Store.Messages[static_cast<std::size_t>(n)];
        const bool annas = m.Name.str() == "Anna Berg" || m.Phone.str() == "+15555550100";
        EXPECT_EQ(m.Color, annas ? PlatformRed : 0) << n;
    }
    EXPECT_EQ(form.D.ColorMode, 2);
    EXPECT_TRUE(form.ContactColorsMenu->isChecked());
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(form.MessageModel->CellBackground(0, MessageColumn).value<QColor>(), QColor(Qt::red));
}

TEST_F(ColourCommandsTest, ClearDownGivesNoColourAndStillSwitchesTheMode) {
    TMBForm& form = OpenOnAnna();
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) Store.Messages[static_cast<std::size_t>(n)].Color = 0x345678;
    ModalScript<TColorDialog> user([](TColorDialog& c) {
        EXPECT_EQ(c.CurrentColor->palette().color(QPalette::Window), QColor(0x78, 0x56, 0x34));
        Choose(c, "Red");
        c.ClearColorSB->click();
        c.OKBtn->click();
    });
    form.SelectColorMenu->trigger();
    EXPECT_EQ(user.Runs, 1);
    EXPECT_EQ(ColourOf("Anna Berg"), 0);
    EXPECT_EQ(ColourOf("Tom Hale"), 0x345678);
    EXPECT_EQ(form.D.ColorMode, 2);
    EXPECT_TRUE(Store.Modified);
}

TEST_F(ColourCommandsTest, CancelOrTheCloseBoxChangeNoColourAndNoMode) {
    TMBForm& form = OpenOnAnna();
    const std::vector<std::int32_t> before = Colours(Store);
    for (int way = 0; way < 2; ++way) {
        ModalScript<TColorDialog> user([way](TColorDialog& c) {
            Choose(c, "Red");
            c.ClearColorSB->click();
            if (way == 0)
                c.CancelBtn->click();
            else
                c.close();
        });
        form.ColourMenu->trigger();  // the grid's pop-up "C&olour"
        EXPECT_EQ(user.Runs, 1);
    }
    EXPECT_EQ(Colours(Store), before);
    EXPECT_EQ(form.D.ColorMode, 0);
    EXPECT_FALSE(Store.Modified);
}

TEST_F(ColourCommandsTest, WithoutAMessageTheChooserDoesNotOpen) {
    TMBForm& form = Open();  // empty collection
    ModalScript<TColorDialog> user([](TColorDialog& c) { c.CancelBtn->click(); });
    form.ColorThisContactClick();
    QApplication::processEvents();
    EXPECT_EQ(user.Runs, 0);
    EXPECT_EQ(form.D.ColorMode, 2);
}

TEST_F(ColourCommandsTest, ClearingAllThenColouringAutomatically) {
    TMBForm& form = OpenOnAnna();
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) Store.Messages[static_cast<std::size_t>(n)].Color = 0x102030;

    // No keeps every colour.
    Answers.YesNoAnswers = {false};
    form.ClearColorsMenu->trigger();
    ASSERT_EQ(Answers.AskedOf("AskConfirm").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("AskConfirm")[0].Text, "Are you sure you want to clear all colours from contacts?");
    EXPECT_EQ(ColourOf("Mia Chen"), 0x102030);
    EXPECT_FALSE(Store.Modified);

    Answers.YesNoAnswers = {true};
    form.ClearColorsMenu->trigger();
    EXPECT_EQ(Colours(Store), std::vector<std::int32_t>(6, 0));
    EXPECT_TRUE(Store.Modified);

    form.ColorsAutomaticMenu->trigger();
    std::map<std::string, std::set<std::int32_t>> byPhone;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) {
        const XMsgRecType& m = Store.Messages[static_cast<std::size_t>(n)];
        byPhone[m.Phone.str()].insert(m.Color);
        for (int shift : {0, 8, 16}) EXPECT_GE((m.Color >> shift) & 0xFF, 128) << n;
        EXPECT_EQ(m.Color >> 24, 0);
    }
    EXPECT_EQ(byPhone.size(), 3u);
    for (const auto& [phone, colours] : byPhone) EXPECT_EQ(colours.size(), 1u) << phone;
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").empty());
    EXPECT_EQ(form.D.ColorMode, 0) << "automatic colours leave the mode";

    // Again: nothing left to colour, and the user is told how to start over.
    form.ColorsAutomaticMenu->trigger();
    ASSERT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("ShowInfo")[0].Text,
              "None of the colours were changed. Clear first some or all of the colours (\"Clear all contact colours\").");
}

TEST_F(ColourCommandsTest, TheModeItemsMoveTheRadioMarkWithoutModifying) {
    TMBForm& form = OpenOnAnna();
    const std::pair<QAction*, int> items[] = {
        {form.SentReceivedColorMenu, 1}, {form.ContactColorsMenu, 2}, {form.DefaultColorMenu, 0}};
    for (const auto& [item, mode] : items) {
        item->trigger();
        EXPECT_EQ(form.D.ColorMode, mode);
        EXPECT_TRUE(item->isChecked());
        for (QAction* other : {form.DefaultColorMenu, form.SentReceivedColorMenu, form.ContactColorsMenu})
            if (other != item) {
                EXPECT_FALSE(other->isChecked());
            }
    }
    form.SentReceivedColorMenu->trigger();
    // Row 1 is Anna's sent "Good night": the sent colour.
    EXPECT_EQ(form.MessageModel->CellBackground(0, TimeColumn).value<QColor>(), QColor(166, 202, 240));
    EXPECT_FALSE(Store.Modified);
}

TEST_F(ColourCommandsTest, TheArrowOpensTheColourMenuBelowTheColoursButton) {
    TMBForm& form = OpenOnAnna();
    // Room on the screen for the whole menu, so that it need not be moved to fit.
    form.move(form.pos() - QPoint(form.ReColorSB->mapToGlobal(QPoint(0, 0)).x() - 10, 0));
    QApplication::processEvents();
    form.ColourMenuSB->click();
    QApplication::processEvents();
    ASSERT_TRUE(form.PopupMenuColor->isVisible());
    const QPoint below = form.ReColorSB->mapToGlobal(QPoint(0, form.ReColorSB->height()));
    EXPECT_EQ(form.PopupMenuColor->pos(), below);
    form.PopupMenuColor->hide();
}

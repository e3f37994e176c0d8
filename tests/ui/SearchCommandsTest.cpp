// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "FormFixture.h"
#include "Typing.h"
#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

namespace {

std::vector<std::string> ViewTexts(const MsgStore& S) {
    std::vector<std::string> texts;
    for (std::int32_t r = 1; r <= S.ViewCount; ++r) texts.push_back(S.Messages[S.ViewIndex[static_cast<std::size_t>(r)]].Text);
    return texts;
}

class SearchTest : public FormTest {
protected:
    TMBForm& OpenTexts() {
        AddMessage(Store, "2007.04.01 10:00", "+15555550100", "Sm\xF6rg\xE5sbord at noon", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(Store, "2007.04.01 11:00", "+15555550101", "SM\xC3\xB6RG\xC3\xA5SBORD AGAIN", MsgSms | MsgSent, "Tom Hale");
        AddMessage(Store, "2007.04.01 12:00", "+15555550102", "see ://nowhere and www", MsgSms | MsgReceived, "Mia Chen");
        AddMessage(Store, "2007.04.01 13:00", "+15555550102", "mail bob@localhost please", MsgSms | MsgReceived, "Mia Chen");
        AddMessage(Store, "2007.04.01 14:00", "+15555550100", "nothing special", MsgSms | MsgSent, "Anna Berg");
        Renumber(Store);
        BuildView(Store, ViewEverything);
        return Open();
    }
};

}  // namespace

TEST_F(SearchTest, TypingNarrowsTheGridInAnyLetterCase) {
    TMBForm& form = OpenTexts();
    TypeText(form.SearchEdit, QString::fromUtf8("sMöRgÅ"));
    EXPECT_EQ(form.SearchText, "sM\xF6Rg\xC5");
    EXPECT_EQ(ViewTexts(Store), (std::vector<std::string>{Store.Messages[1].Text, Store.Messages[2].Text}));
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_EQ(form.MessageModel->HeaderText(NumberColumn), "2 ");
    EXPECT_FALSE(Store.Modified);  // marking is not a change
}

TEST_F(SearchTest, NoMatchHidesTheGridUntilTheTextChanges) {
    TMBForm& form = OpenTexts();
    QTest::keyClicks(form.SearchEdit, "smx");
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_TRUE(form.SearchPanel->isVisible());
    EXPECT_EQ(form.DetailLine(), "No matches found. Sorry.");
    QTest::keyClick(form.SearchEdit, Qt::Key_Backspace);
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_EQ(Store.ViewCount, 2);
    EXPECT_NE(form.DetailLine(), "No matches found. Sorry.");
    // Emptying the box shows every message again.
    form.SearchEdit->clear();
    EXPECT_EQ(Store.ViewCount, 5);
    EXPECT_TRUE(form.DispAllSB->isChecked());
    EXPECT_EQ(Config.Defaults.ViewMode, 3);
}

TEST_F(SearchTest, TypingEndsTheContactView) {
    TMBForm& form = OpenTexts();
    form.SetCurrentRow(1);
    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    ASSERT_TRUE(form.NameBox->isVisible());
    ASSERT_EQ(Store.ViewCount, 2);
    QTest::keyClicks(form.SearchEdit, "no");
    EXPECT_FALSE(form.ThisPersonSB->isChecked());
    EXPECT_FALSE(form.ThisPersonMainMenu->isChecked());
    EXPECT_FALSE(form.NameBox->isVisible());
    // "noon", "nowhere" and "nothing", whoever wrote them.
    EXPECT_EQ(Store.ViewCount, 3);
    EXPECT_EQ(form.SearchText, "no");
}

TEST_F(SearchTest, TheMenuFiltersFindWhatTheFindersReject) {
    TMBForm& form = OpenTexts();
    form.WebPagesMenu->trigger();
    EXPECT_EQ(ViewTexts(Store), std::vector<std::string>{"see ://nowhere and www"});
    EXPECT_EQ(form.CurrentLink, "http://nowhere");
    form.EmailsMenu->trigger();
    EXPECT_EQ(ViewTexts(Store), std::vector<std::string>{"mail bob@localhost please"});
    // No "." after the "@": no address to offer.
    EXPECT_FALSE(form.WebSB->isVisible());
    EXPECT_TRUE(form.SearchEdit->text().isEmpty());
    form.ShowAllMenu->trigger();
    EXPECT_EQ(Store.ViewCount, 5);
}

TEST_F(SearchTest, AMenuFilterEmptiesTheSearchBoxItReplaces) {
    TMBForm& form = OpenTexts();
    for (QAction* filter : {form.WebPagesMenu, form.EmailsMenu}) {
        QTest::keyClicks(form.SearchEdit, "noon");
        ASSERT_EQ(Store.ViewCount, 1);
        filter->trigger();
        EXPECT_TRUE(form.SearchEdit->text().isEmpty()) << filter->text().toStdString();
        EXPECT_EQ(Store.ViewCount, 1);  // the filter's result, not all messages
        EXPECT_EQ(ViewTexts(Store).front().find("noon"), std::string::npos);
    }
}

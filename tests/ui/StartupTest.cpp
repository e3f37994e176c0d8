#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"

TEST_F(FormTest, StartWithoutFileShowsTheEmptyWindow) {
    TMBForm& form = Open();
    EXPECT_EQ(form.windowTitle(), "Kestro 1.1");
    EXPECT_TRUE(std::filesystem::is_directory(ProgramFolder()));
    EXPECT_EQ(Config.DefaultDir, ProgramFolder());
    EXPECT_EQ(Config.ImportDir, ProgramFolder());
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_FALSE(form.SearchPanel->isVisible());
    EXPECT_FALSE(form.EditMenu->menuAction()->isEnabled());
    EXPECT_FALSE(form.ViewMenu->menuAction()->isEnabled());
    EXPECT_FALSE(form.ToolsMenu->menuAction()->isEnabled());
    EXPECT_TRUE(form.FileMenu->menuAction()->isEnabled());
    EXPECT_TRUE(form.HelpMenu->menuAction()->isEnabled());
    EXPECT_FALSE(form.SaveFileSB->isEnabled());
    EXPECT_FALSE(form.SaveMainMenu->isEnabled());
    EXPECT_FALSE(form.DispAllSB->isEnabled());
    EXPECT_TRUE(form.NewFileSB->isEnabled());
}

TEST_F(FormTest, ClickOnTheEmptyAreaAsksTheWelcomeQuestion) {
    TMBForm& form = Open();
    Answers.YesNoAnswers.push_back(false);
    QTest::mouseClick(form.GridPanel, Qt::LeftButton);
    const auto asked = Answers.AskedOf("AskYesNo");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Title, "Confirm");
    EXPECT_EQ(asked[0].Text, "Welcome to Kestro 1.1!\r\n\r\nDo you want to create a sample database?");
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_EQ(Answers.Asked.size(), 1u);
}

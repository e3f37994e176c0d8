// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "FormFixture.h"
#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "Platform/TooltipSettings.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_F(FormTest, StartWithoutFileShowsTheEmptyWindow) {
    TMBForm& form = Open();
    EXPECT_EQ(form.windowTitle(), "Kestro 1.1");
    EXPECT_TRUE(std::filesystem::is_directory(ProgramFolder()));
    EXPECT_EQ(Config.DefaultDir, ProgramFolder());
    EXPECT_EQ(Config.ImportDir, ProgramFolder());
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_FALSE(form.SearchPanel->isVisible());
    for (QMenu* disabled : {form.EditMenu, form.ViewMenu})
        EXPECT_FALSE(disabled->menuAction()->isEnabled()) << disabled->title().toStdString();
    // The options do not depend on messages: only the tools that work on them wait.
    for (QMenu* enabled : {form.FileMenu, form.ToolsMenu, form.HelpMenu})
        EXPECT_TRUE(enabled->menuAction()->isEnabled()) << enabled->title().toStdString();
    EXPECT_TRUE(form.OptionsSB->isEnabled());
    EXPECT_TRUE(form.OptionsMainMenu->isEnabled());
    for (QAction* a : {form.CryptMainMenu, form.RemoveHistoryMainMenu, form.RemoveDupsMainMenu})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QToolButton* b : {form.SaveFileSB, form.DispSentSB, form.DispReceivedSB, form.DispAllSB, form.ThisPersonSB})
        EXPECT_FALSE(b->isEnabled()) << b->toolTip().toStdString();
    EXPECT_FALSE(form.SaveMainMenu->isEnabled());
    EXPECT_FALSE(form.SaveAsMainMenu->isEnabled());
    EXPECT_TRUE(form.NewFileSB->isEnabled());
    EXPECT_TRUE(form.OpenFileSB->isEnabled());
    EXPECT_TRUE(form.ImportFilesSB->isEnabled());
    EXPECT_TRUE(form.CurrentFile.empty());
    EXPECT_TRUE(Answers.Asked.empty());
}

TEST_F(FormTest, ClickOnTheEmptyAreaOffersABackupFirstThenTheSamples) {
    TMBForm& form = Open();
    // Cancel changes nothing; the first choice asks for files to add, the second makes samples.
    Answers.ChoiceAnswers = {2, 0};
    QTest::mouseClick(form.GridPanel, Qt::LeftButton);
    const auto asked = Answers.AskedOf("AskChoice");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].Text.startsWith("Welcome to Kestro 1.1!\r\n\r\nKestro reads the backups that Android backup "
                                         "apps write of a phone's messages (XML)"));
    EXPECT_TRUE(asked[0].Text.contains("address books (vCard)"));
    EXPECT_EQ(asked[0].Buttons, QStringList({"Import a phone backup...", "Create sample files", "Cancel"}));
    EXPECT_EQ(Answers.Asked.size(), 1u);
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_FALSE(Store.Modified);

    QTest::mouseClick(form.GridPanel, Qt::LeftButton);
    ASSERT_EQ(Answers.AskedOf("OpenFiles").size(), 1u);
    EXPECT_TRUE(Answers.AskedOf("OpenFiles")[0].File.Filter.contains("*.xml"));
    EXPECT_EQ(Store.MessageCount, 0);  // the file dialog was cancelled
}

TEST_F(FormTest, OnlyALeftClickOnTheEmptyAreaAsksTheWelcomeQuestion) {
    TMBForm& form = Open();
    QTest::mouseClick(form.GridPanel, Qt::RightButton);
    QTest::mouseClick(form.GridPanel, Qt::MiddleButton);
    EXPECT_TRUE(Answers.Asked.empty());
}

TEST_F(FormTest, ReopensTheLastSavedFileNewestFirst) {
    const std::string path = WriteCollection();
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
    TMBForm& form = Open();

    ASSERT_EQ(Store.MessageCount, 6);
    EXPECT_EQ(form.windowTitle(), QString::fromStdString("Kestro 1.1 - " + path));
    EXPECT_EQ(form.CurrentFile, path);
    EXPECT_FALSE(Store.Modified);
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_TRUE(form.SearchPanel->isVisible());
    EXPECT_TRUE(form.ViewMenu->menuAction()->isEnabled());
    EXPECT_TRUE(form.SaveFileSB->isEnabled());
    EXPECT_EQ(form.MessageModel->HeaderText(TimeColumn), " Time v");
    EXPECT_EQ(form.MessageModel->rowCount(), 6);
    for (int row = 0; row + 1 < 6; ++row)
        EXPECT_GE(form.MessageModel->CellText(row, TimeColumn), form.MessageModel->CellText(row + 1, TimeColumn));
    EXPECT_EQ(form.MessageModel->CellText(0, TimeColumn), "2007.03.05 21:40");
    // Serials were given in store order after the sort: 1 is the newest.
    EXPECT_EQ(Store.Messages[static_cast<std::size_t>(form.MessageModel->MessageAt(0))].Serial, 1);
    EXPECT_EQ(form.CurrentRow(), 1);
    EXPECT_EQ(form.DetailLine(), "Good night");
}

TEST_F(FormTest, LastSavedReadOffStartsEmpty) {
    const std::string path = WriteCollection();
    WriteConfig([&](Settings& s, WindowSize&) {
        s.Defaults.LastSavedFile = path;
        s.Defaults.LastSavedRead = false;
    });
    TMBForm& form = Open();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_EQ(form.windowTitle(), "Kestro 1.1");
}

TEST_F(FormTest, AMissingLastSavedFileIsSkippedSilently) {
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = ProgramFolder() + "/gone.kst"; });
    TMBForm& form = Open();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_TRUE(form.CurrentFile.empty());
    EXPECT_TRUE(Answers.Asked.empty());
}

TEST_F(FormTest, ATruncatedDataFileIsReportedAndTheStartGoesOn) {
    const std::string path = WriteCollection();
    const std::string whole = ReadAll(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 7);
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
    TMBForm& form = Open();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot open \"" + path + "\": Read beyond end of file"));
    EXPECT_EQ(errors[0].Title, "Error");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.MessageModel->rowCount(), std::max(Store.ViewCount, 1));
}

TEST_F(FormTest, AHostileHistoryFileDoesNotStopTheStart) {
    std::filesystem::create_directories(ProgramFolder());
    std::ofstream(ProgramFolder() + "/Kestro.hst", std::ios::binary) << std::string(100, '\xff');
    TMBForm& form = Open();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Store.MessageCount, 0);
}

TEST_F(FormTest, TheLayoutPassKeepsTheWindowAtLeast768By256) {
    TMBForm& form = Open();
    form.setMinimumSize(0, 0);  // as a window manager might ignore the minimum
    form.resize(500, 100);
    QApplication::processEvents();
    form.FormPaint();
    EXPECT_GE(form.width(), 768);
    EXPECT_GE(form.height(), 256);
    form.resize(900, 400);
    form.FormPaint();
    EXPECT_EQ(form.width(), 900);
    EXPECT_EQ(form.height(), 400);
}

TEST_F(FormTest, ClosingWritesAllFourSectionsAndTheNextStartReadsThem) {
    {
        TMBForm& form = Open();
        form.resize(1000, 600);
        Config.Defaults.GridLines = true;
        Config.Defaults.ColorMode = 1;
        EXPECT_TRUE(form.close());
    }
    const std::string text = ReadAll(ConfigPath());
    for (const char* section : {"[General]", "[Colors]", "[Fonts]", "[DefaultFont]"})
        EXPECT_NE(text.find(section), std::string::npos) << section;
    EXPECT_NE(text.find("Width=1000"), std::string::npos);
    EXPECT_NE(text.find("Height=600"), std::string::npos);
    EXPECT_NE(text.find("GridLines=1"), std::string::npos);
    EXPECT_NE(text.find("Name=Verdana"), std::string::npos);

    Settings fresh;
    Config = fresh;
    Form.reset();
    TMBForm& again = Open();
    EXPECT_EQ(again.width(), 1000);
    EXPECT_EQ(again.height(), 600);
    EXPECT_TRUE(Config.Defaults.GridLines);
    EXPECT_EQ(Config.Defaults.ColorMode, 1);
}

TEST_F(FormTest, SettingsAreWrittenWhenTheCloseIsCancelled) {
    TMBForm& form = OpenCollection();
    Store.Modified = true;
    Answers.SaveAnswers.push_back(SaveAnswer::Cancel);
    std::filesystem::remove(ConfigPath());
    form.close();
    EXPECT_TRUE(std::filesystem::exists(ConfigPath()));
    if (!Answers.AskedOf("AskYesNoCancel").empty()) {
        EXPECT_TRUE(form.isVisible());
    }
}

TEST_F(FormTest, TooltipSettingsApplyAtEveryStart) {
    WriteConfig([&](Settings& s, WindowSize&) {
        s.Defaults.HintWait = 321;
        s.Defaults.HintHideWait = 4321;
        s.Defaults.HintColor = 0x00C0FFEE;
    });
    Open();
    EXPECT_EQ(TooltipWakeUpDelay(), 321);
    EXPECT_EQ(TooltipDisplayTime(), 4321);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 321);
}

TEST_F(FormTest, TheGridFontKeepsItsStoredNameWhenTheDesktopLacksIt) {
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.DefaultFont->Name = "No Such Font Family"; });
    TMBForm& form = Open();
    EXPECT_EQ(form.MessageModel->GridFont().family(), "No Such Font Family");
    form.close();
    EXPECT_NE(ReadAll(ConfigPath()).find("Name=No Such Font Family"), std::string::npos);
}

TEST_F(FormTest, ANonWritableDocumentsFolderLeavesTheProgramFolderEmpty) {
    // A file where the documents folder should be: the program folder cannot be made.
    const std::string blocker = Documents.path().toStdString() + "/blocker";
    std::ofstream(blocker) << "x";
    Form = std::make_unique<TMBForm>(Store, Config, Answers, FormEnvironment{QString::fromStdString(blocker), {}, Desktop});
    EXPECT_TRUE(Config.DefaultDir.empty());
    EXPECT_EQ(Form->SettingsPath(), "/Kestro.cfg");
}

TEST_F(FormTest, ALastSavedFileThatIsNotADataFileIsRefusedAndNeverAdopted) {
    std::filesystem::create_directories(ProgramFolder());
    const std::string path = ProgramFolder() + "/renamed.kst";
    const std::string bytes = "\"sms\",\"submit\",\"+15555550100\",\"\",\"\",\"2007.03.01 08:00\",\"\",\"Hi\"\r\n";
    std::ofstream(path, std::ios::binary) << bytes;
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
    TMBForm& form = Open();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text.toStdString(), "Cannot open \"" + path + "\": Not a Kestro data file");
    EXPECT_TRUE(form.CurrentFile.empty());
    EXPECT_EQ(form.windowTitle(), "Kestro 1.1");
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_FALSE(Store.Modified);
    EXPECT_EQ(ReadAll(path), bytes);
}

TEST_F(FormTest, TheWindowFitsTheDesktopWhateverSizeTheSettingsGive) {
    Desktop = QRect(0, 0, 1400, 900);
    struct Case {
        int width, height, expectedWidth, expectedHeight;
    };
    // The frame must fit as well: the largest window leaves room for it.
    for (const Case c : {Case{100000, 99999, 1384, 860}, Case{3000, 2000, 1384, 860}, Case{-5, -300, 1067, 635},
                         Case{0, 0, 1067, 635}, Case{900, 500, 900, 500}, Case{200, 100, 768, 256}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        WriteConfig([&](Settings&, WindowSize& size) {
            size.Width = c.width;
            size.Height = c.height;
        });
        Form.reset();
        TMBForm& form = Open();
        EXPECT_EQ(form.width(), c.expectedWidth);
        EXPECT_EQ(form.height(), c.expectedHeight);
        EXPECT_TRUE(Desktop.contains(form.frameGeometry())) << form.frameGeometry().x() << "," << form.frameGeometry().y();
        // What is written back is the window's real size.
        EXPECT_TRUE(form.close());
        const std::string text = ReadAll(ConfigPath());
        EXPECT_NE(text.find("Width=" + std::to_string(c.expectedWidth) + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Height=" + std::to_string(c.expectedHeight) + "\n"), std::string::npos);
    }
}

TEST_F(FormTest, StartErrorsOfTheHistoryAndTheCollectionComeInTheOrderOfReading) {
    const std::string path = WriteCollection();
    const std::string whole = ReadAll(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 7);
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
    const std::string history = ProgramFolder() + "/Kestro.hst";
    std::ofstream(history, std::ios::binary) << std::string("\x02\0\0\0", 4);  // shorter than its header
    TMBForm& form = Open();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot read \"" + history + "\": Read beyond end of file"));
    EXPECT_EQ(errors[1].Text, QString::fromStdString("Cannot open \"" + path + "\": Read beyond end of file"));
    EXPECT_GT(Store.MessageCount, 0);  // what was read is shown
    EXPECT_EQ(form.CurrentFile, path);
    EXPECT_TRUE(Store.HistoryIncomplete);  // the next import keeps the file aside
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <cstring>
#include <set>
#include <filesystem>
#include <fstream>

#include "FileRequests.h"
#include "FormFixture.h"
#include "MBVars/DataFile.h"
#include "MBVars/LoadSequences.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "support/StoreBuilder.h"

namespace {

const QString SaveQuestion = QStringLiteral("You have modified your data. Do you want to save it on disk?");

class DocumentTest : public FormTest {
protected:
    std::string DocumentsFolder() const { return Documents.path().toStdString(); }

    // A data file of four messages, stored oldest first with serials 1..4.
    std::string WriteDataFileOfFour(const std::string& name) {
        MsgStore source;
        AddMessage(source, "2009.05.01 10:00", "+15555550100", "first", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(source, "2009.05.02 10:00", "+15555550101", "second", MsgSms | MsgSent, "Tom Hale");
        AddMessage(source, "2009.05.03 10:00", "+15555550100", "third", MsgSms | MsgSent, "Anna Berg");
        AddMessage(source, "2009.05.04 10:00", "+15555550102", "fourth", MsgSms | MsgReceived, "Mia Chen");
        Renumber(source);
        const std::string path = DocumentsFolder() + "/" + name;
        EXPECT_EQ(WriteDataFile(source, path), 0);
        return path;
    }

    // The window showing a collection of two messages that has unsaved changes.
    TMBForm& OpenModified() {
        TMBForm& form = Open();
        AddMessage(Store, "2009.06.01 08:00", "+15555550103", "unsaved one");
        AddMessage(Store, "2009.06.02 08:00", "+15555550103", "unsaved two", MsgSms | MsgSent);
        Store.Modified = true;
        form.FormPaint();
        return form;
    }

    std::size_t SaveQuestions() const { return Answers.AskedOf("AskYesNoCancel").size(); }
};

TEST_F(DocumentTest, NewOnAnUnchangedCollectionAsksNothing) {
    TMBForm& form = Open();
    form.NewMainMenuClick();
    EXPECT_TRUE(Answers.Asked.empty());
    EXPECT_EQ(form.CurrentFile, ProgramFolder() + "/untitled.kst");
    EXPECT_EQ(form.windowTitle().toStdString(), "Kestro 1.1 - " + ProgramFolder() + "/untitled.kst");
    EXPECT_FALSE(std::filesystem::exists(form.CurrentFile));
}

TEST_F(DocumentTest, NewOnAModifiedCollectionCancelKeepsNoDiscards) {
    TMBForm& form = OpenModified();
    Answers.SaveAnswers = {SaveAnswer::Cancel};
    form.NewMainMenuClick();
    ASSERT_EQ(SaveQuestions(), 1u);
    EXPECT_EQ(Answers.AskedOf("AskYesNoCancel")[0].Text, SaveQuestion);
    EXPECT_EQ(Answers.AskedOf("AskYesNoCancel")[0].Title, "Warning");
    EXPECT_EQ(Store.MessageCount, 2);
    EXPECT_TRUE(Store.Modified);
    EXPECT_TRUE(form.CurrentFile.empty());

    Answers.SaveAnswers = {SaveAnswer::No};
    form.NewMainMenuClick();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_FALSE(Store.Modified);
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_TRUE(Answers.AskedOf("SaveFile").empty());
}

TEST_F(DocumentTest, YesSavesThroughSaveAsBeforeNewClears) {
    TMBForm& form = OpenModified();
    const std::string target = DocumentsFolder() + "/kept.kst";
    Answers.SaveAnswers = {SaveAnswer::Yes};
    Answers.FileAnswers.push_back({QString::fromStdString(target)});
    form.NewMainMenuClick();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_EQ(Config.Defaults.LastSavedFile, target);
    MsgStore reread;
    ASSERT_EQ(ReadDataFile(reread, target), 0);
    EXPECT_EQ(reread.MessageCount, 2);
}

TEST_F(DocumentTest, YesThenCancelInSaveAsStopsEveryCommandThatWouldDiscard) {
    TMBForm& form = OpenModified();
    const std::string other = WriteDataFileOfFour("other.kst");
    auto yesThenCancel = [&] {
        Answers.SaveAnswers = {SaveAnswer::Yes};
        Answers.FileAnswers.push_back({});  // Cancel in the Save as dialog
    };
    yesThenCancel();
    form.NewMainMenuClick();
    yesThenCancel();
    form.OpenMainMenuClick();
    yesThenCancel();
    EXPECT_FALSE(form.FormClose());
    yesThenCancel();
    form.CreateSampleFilesClick();

    EXPECT_EQ(SaveQuestions(), 4u);
    EXPECT_TRUE(Answers.AskedOf("OpenFile").empty());
    EXPECT_EQ(Store.MessageCount, 2);
    EXPECT_TRUE(Store.Modified);
    EXPECT_TRUE(form.CurrentFile.empty());
    EXPECT_FALSE(std::filesystem::exists(ProgramFolder() + "/sample_contacts_from_classic_suite.csv"));
    (void)other;
}

TEST_F(DocumentTest, OpenShowsNewestFirstNumberedFromTheOldestAndUnchanged) {
    TMBForm& form = Open();
    const std::string path = WriteDataFileOfFour("four.kst");
    Answers.FileAnswers.push_back({QString::fromStdString(path)});
    form.OpenMainMenuClick();

    const auto asked = Answers.AskedOf("OpenFile");
    ASSERT_EQ(asked.size(), 1u);
    // No file yet: the dialog starts in the program folder.
    ExpectFileRequest(asked[0], {"Open file", QString::fromStdString(ProgramFolder()), "", "Data file (*.kst)", "kst"});

    ASSERT_EQ(Store.MessageCount, 4);
    EXPECT_EQ(Store.Messages[1].Text, "fourth");
    EXPECT_EQ(Store.Messages[1].Serial, 4);
    EXPECT_EQ(Store.Messages[4].Serial, 1);
    EXPECT_FALSE(Store.Modified);
    EXPECT_EQ(form.CurrentFile, path);
    EXPECT_EQ(form.windowTitle().toStdString(), "Kestro 1.1 - " + path);
    EXPECT_EQ(form.MessageModel->rowCount(), 4);
    EXPECT_TRUE(form.FormClose());
    EXPECT_EQ(SaveQuestions(), 0u);
}

TEST_F(DocumentTest, OpenStartsInTheFolderOfTheCurrentFile) {
    TMBForm& form = Open();
    form.CurrentFile = DocumentsFolder() + "/somewhere/current.kst";
    form.OpenMainMenuClick();
    ASSERT_EQ(Answers.AskedOf("OpenFile").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("OpenFile")[0].File.Folder.toStdString(), DocumentsFolder() + "/somewhere");
}

TEST_F(DocumentTest, OpenOfAnUnreadableFileSaysSoAndKeepsTheCollection) {
    TMBForm& form = OpenModified();
    form.CurrentFile = DocumentsFolder() + "/current.kst";
    const std::string missing = DocumentsFolder() + "/missing.kst";
    Answers.SaveAnswers = {SaveAnswer::No};
    Answers.FileAnswers.push_back({QString::fromStdString(missing)});
    form.OpenMainMenuClick();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].Text.contains(QString::fromStdString(missing)));
    EXPECT_TRUE(errors[0].Text.contains(QString::fromLatin1(std::strerror(ENOENT))));
    EXPECT_EQ(Store.MessageCount, 2);
    EXPECT_EQ(form.CurrentFile, DocumentsFolder() + "/current.kst");
}

TEST_F(DocumentTest, OpenOfAFileThatIsNotADataFileShowsTheReasonAndKeepsTheCollection) {
    TMBForm& form = OpenModified();
    const std::string good = WriteDataFileOfFour("good.kst");
    std::string bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string cut = DocumentsFolder() + "/cut.kst";
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    Answers.SaveAnswers = {SaveAnswer::No};
    Answers.FileAnswers.push_back({QString::fromStdString(cut)});
    form.OpenMainMenuClick();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot open \"" + cut + "\": Read beyond end of file"));
    EXPECT_EQ(Store.MessageCount, 2);
    EXPECT_TRUE(form.CurrentFile.empty());
}

TEST_F(DocumentTest, SaveWhileScrambledWritesThePlainTexts) {
    TMBForm& form = OpenModified();
    const std::string path = DocumentsFolder() + "/plain.kst";
    form.CurrentFile = path;
    ScrambleTexts(Store, TextMask);
    form.ScreenScrambled = true;
    form.SaveMainMenuClick();

    EXPECT_FALSE(form.ScreenScrambled);
    EXPECT_FALSE(Store.Modified);
    EXPECT_EQ(Config.Defaults.LastSavedFile, path);
    EXPECT_EQ(form.CryptMainMenu->text(), "Crypt messages on screen");
    MsgStore reread;
    ASSERT_EQ(ReadDataFile(reread, path), 0);
    std::set<std::string> texts{reread.Messages[1].Text, reread.Messages[2].Text};
    EXPECT_EQ(texts, (std::set<std::string>{"unsaved one", "unsaved two"}));
    texts = {Store.Messages[1].Text, Store.Messages[2].Text};
    EXPECT_EQ(texts, (std::set<std::string>{"unsaved one", "unsaved two"}));
}

TEST_F(DocumentTest, NewAndOpenEndOnScreenScrambling) {
    TMBForm& form = OpenModified();
    const std::string path = WriteDataFileOfFour("four.kst");
    auto scramble = [&] {
        ScrambleTexts(Store, TextMask);
        form.ScreenScrambled = true;
        form.UpdateMenus();
    };
    scramble();
    Answers.SaveAnswers = {SaveAnswer::No};
    form.NewMainMenuClick();
    EXPECT_FALSE(form.ScreenScrambled);
    EXPECT_EQ(form.CryptMainMenu->text(), "Crypt messages on screen");

    Answers.FileAnswers.push_back({QString::fromStdString(path)});
    form.OpenMainMenuClick();
    scramble();
    Answers.SaveAnswers = {SaveAnswer::No};
    Answers.FileAnswers.push_back({QString::fromStdString(path)});
    form.OpenMainMenuClick();
    EXPECT_FALSE(form.ScreenScrambled);
    EXPECT_EQ(form.CryptMainMenu->text(), "Crypt messages on screen");
    EXPECT_EQ(Store.Messages[1].Text, "fourth");
}

TEST_F(DocumentTest, SaveWithoutANameRunsSaveAs) {
    TMBForm& form = OpenModified();
    const std::string target = DocumentsFolder() + "/named.kst";
    Answers.FileAnswers.push_back({QString::fromStdString(target)});
    form.SaveMainMenuClick();
    ASSERT_EQ(Answers.AskedOf("SaveFile").size(), 1u);
    EXPECT_EQ(form.CurrentFile, target);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(Store.Modified);
}

TEST_F(DocumentTest, SaveAsProposesTheCurrentNameInItsFolder) {
    TMBForm& form = OpenModified();
    form.CurrentFile = DocumentsFolder() + "/sub/mine.kst";
    form.SaveAsMainMenuClick();  // cancelled
    const auto asked = Answers.AskedOf("SaveFile");
    ASSERT_EQ(asked.size(), 1u);
    ExpectFileRequest(asked[0], {"Save file", QString::fromStdString(DocumentsFolder() + "/sub"), "mine.kst",
                                 "Data file (*.kst)", "kst"});
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(form.CurrentFile, DocumentsFolder() + "/sub/mine.kst");
}

TEST_F(DocumentTest, AFailedSaveSaysWhyAndRecordsNothing) {
    TMBForm& form = OpenModified();
    Config.Defaults.LastSavedFile = "/earlier.kst";
    const std::string unreachable = DocumentsFolder() + "/no such folder/x.kst";
    form.CurrentFile = unreachable;
    form.SaveMainMenuClick();
    auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot save \"" + unreachable + "\": " + std::strerror(ENOENT)));
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(Config.Defaults.LastSavedFile, "/earlier.kst");

    // Save as to such a place keeps the old name too, and the question at closing stays.
    form.CurrentFile = DocumentsFolder() + "/old.kst";
    Answers.FileAnswers.push_back({QString::fromStdString(unreachable)});
    form.SaveAsMainMenuClick();
    EXPECT_EQ(form.CurrentFile, DocumentsFolder() + "/old.kst");
    EXPECT_EQ(Answers.AskedOf("ShowError").size(), 2u);
    Answers.SaveAnswers = {SaveAnswer::Yes};
    Answers.FileAnswers.push_back({QString::fromStdString(unreachable)});
    EXPECT_FALSE(form.FormClose());  // the save failed: the window stays
    EXPECT_EQ(Store.MessageCount, 2);
}

TEST_F(DocumentTest, ClosingAsksOnlyWhenModified) {
    TMBForm& form = Open();
    EXPECT_TRUE(form.FormClose());
    EXPECT_EQ(SaveQuestions(), 0u);

    AddMessage(Store, "2009.06.01 08:00", "+15555550103", "unsaved");
    Store.Modified = true;
    Answers.SaveAnswers = {SaveAnswer::Cancel, SaveAnswer::No};
    EXPECT_FALSE(form.FormClose());
    EXPECT_TRUE(form.FormClose());
    EXPECT_EQ(SaveQuestions(), 2u);
}

TEST_F(DocumentTest, ReopenedFileIsSavedBackAndOpenedAgainAlike) {
    TMBForm& form = Open();
    const std::string path = WriteDataFileOfFour("round.kst");
    Answers.FileAnswers.push_back({QString::fromStdString(path)});
    form.OpenMainMenuClick();
    Store.Modified = true;
    form.SaveMainMenuClick();
    EXPECT_EQ(Config.Defaults.LastSavedFile, path);
    MsgStore before = Store;
    Answers.FileAnswers.push_back({QString::fromStdString(path)});
    form.OpenMainMenuClick();
    ASSERT_EQ(Store.MessageCount, before.MessageCount);
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) {
        EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text, before.Messages[static_cast<std::size_t>(n)].Text);
        EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Serial, before.Messages[static_cast<std::size_t>(n)].Serial);
    }
}

}  // namespace

TEST_F(DocumentTest, OpenRefusesExportsShortAndTextFilesAndTheNextSaveLeavesThemAlone) {
    const std::string csv = DocumentsFolder() + "/received.csv", empty = DocumentsFolder() + "/empty.kst",
                      three = DocumentsFolder() + "/three.kst", text = DocumentsFolder() + "/letter.kst";
    std::ofstream(csv, std::ios::binary) << "\"sms\",\"deliver\",\"+15555550104\",\"\",\"\",\"2009.06.03 09:00\",\"\",\"Hi\"\r\n";
    std::ofstream(empty, std::ios::binary);
    std::ofstream(three, std::ios::binary) << "kst";
    std::ofstream(text, std::ios::binary) << "Dear Anna,\r\nsee you soon.\r\n";
    TMBForm& form = OpenModified();
    const std::string current = DocumentsFolder() + "/current.kst";
    form.CurrentFile = current;
    form.FormPaint();
    for (const std::string& path : {csv, empty, three, text}) {
        SCOPED_TRACE(path);
        std::string bytes;
        {
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        Answers.Asked.clear();
        Answers.SaveAnswers = {SaveAnswer::No};
        Answers.FileAnswers.push_back({QString::fromStdString(path)});
        form.OpenMainMenuClick();
        const auto errors = Answers.AskedOf("ShowError");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot open \"" + path + "\": Not a Kestro data file"));
        EXPECT_EQ(Store.MessageCount, 2);
        EXPECT_TRUE(Store.Modified);
        EXPECT_EQ(form.CurrentFile, current);
        EXPECT_EQ(form.windowTitle().toStdString(), "Kestro 1.1 - " + current);

        // Save goes to the collection's own file; the refused one keeps its bytes.
        form.SaveMainMenuClick();
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
        Store.Modified = true;
    }
    MsgStore reread;
    ASSERT_EQ(ReadDataFile(reread, current), 0);
    EXPECT_EQ(reread.MessageCount, 2);
}

// A data file another program replaced or changed since it was opened or last saved is
// replaced only when the user says so; one that is as it was is saved without a question.
TEST_F(DocumentTest, SaveAsksBeforeReplacingAFileChangedOnDisk) {
    TMBForm& form = Open();
    const std::string path = WriteDataFileOfFour("kept.kst");
    form.OpenDataFile(path);
    const QString question = QString::fromStdString(
        "\"" + path + "\" was changed on disk since it was opened or last saved. Do you want to replace it with this "
        "collection?");
    const std::string foreign = "written by another program";
    const auto contents = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    struct Step {
        bool ChangeOnDisk;
        std::vector<bool> Answers;  // empty: no question expected
        bool Replaced;
    };
    for (const Step& step : {Step{false, {}, true}, Step{true, {false}, false}, Step{true, {true}, true},
                             Step{false, {}, true}}) {
        if (step.ChangeOnDisk) std::ofstream(path, std::ios::binary | std::ios::trunc) << foreign;
        Answers.Asked.clear();
        Answers.YesNoAnswers.assign(step.Answers.begin(), step.Answers.end());
        form.SaveMainMenuClick();
        const auto asked = Answers.AskedOf("AskYesNo");
        ASSERT_EQ(asked.size(), step.Answers.size());
        if (!asked.empty()) {
            EXPECT_EQ(asked[0].Text, question);
            EXPECT_EQ(asked[0].Default, DefaultButton::No);
        }
        EXPECT_EQ(contents() != foreign, step.Replaced);
    }
}

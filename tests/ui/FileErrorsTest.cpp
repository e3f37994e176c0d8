// SPDX-License-Identifier: GPL-3.0-or-later
// Files that cannot be read or written, seen from the window: every error names the file
// and the reason, errors of the start appear over the shown window, and nothing the user
// keeps is written over.
#include <QApplication>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "MBVars/History.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "support/FileTestHelpers.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileErrorsTest : public FormTest {
protected:
    std::string HistoryFile() const { return ProgramFolder() + "/" + HistoryFileName; }

    // Builds the window without showing it, as main() does before show().
    TMBForm& Create() {
        Form = std::make_unique<TMBForm>(Store, Config, Answers, Environment());
        return *Form;
    }
    void Show() {
        Form->show();
        QApplication::processEvents();
    }
    std::vector<QString> Errors() const {
        std::vector<QString> texts;
        for (const AskedQuestion& q : Answers.AskedOf("ShowError")) texts.push_back(q.Text);
        return texts;
    }
};

}  // namespace

TEST_F(FileErrorsTest, ADamagedLastFileIsNamedOverTheShownWindow) {
    const std::string path = WriteCollection();
    const std::string whole = ReadBytes(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 7);
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
    Create();
    EXPECT_TRUE(Answers.Asked.empty());  // nothing before the window is on screen
    Show();
    EXPECT_EQ(Errors(), std::vector<QString>{QString::fromStdString("Cannot open \"" + path + "\": Read beyond end of file")});
    EXPECT_GT(Store.MessageCount, 0);  // what was read stays
}

TEST_F(FileErrorsTest, AnUnreadableSettingsFileIsSaidOnceAndLeftAlone) {
    fs::create_directories(ProgramFolder());
    ASSERT_EQ(::mkfifo(ConfigPath().c_str(), 0600), 0);  // would block a plain read for ever
    Create();
    Show();
    const auto errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QString::fromStdString("Cannot read \"" + ConfigPath() + "\": Not a regular file")))
        << errors[0].toStdString();
    Form->close();
    Form.reset();
    EXPECT_TRUE(fs::is_fifo(ConfigPath()));
    EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(FileErrorsTest, AHistoryNotReadCompletelyIsKeptAsideAtTheNextImport) {
    // A history of two numbers, one of them blocked, cut inside its last entry.
    MsgStore earlier;
    earlier.HistoryCount = 2;
    earlier.History[1].Phone = "+15555550100";
    earlier.History[1].Name = "Anna Berg";
    earlier.History[2].Phone = "+15555550199";
    earlier.History[2].Blocked = 1;
    fs::create_directories(ProgramFolder());
    ASSERT_EQ(WriteHistory(earlier, HistoryFile()), 0);
    const std::string cut = ReadBytes(HistoryFile()).substr(0, 67 * 3 - 5);
    std::ofstream(HistoryFile(), std::ios::binary | std::ios::trunc) << cut;

    Create();
    Show();
    EXPECT_EQ(Errors(), std::vector<QString>{QString::fromStdString("Cannot read \"" + HistoryFile() +
                                                                     "\": Read beyond end of file")});
    const std::string exportFile = WriteExport(QString::fromStdString(ProgramFolder()), "new.csv", ExportOfThree());
    Answers.FileAnswers.push_back({QString::fromStdString(exportFile)});
    Form->ImportMainMenuClick();

    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(ProgramFolder()))
        if (e.path().filename().string().rfind("Kestro.hst.unreadable-", 0) == 0) kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadBytes(kept[0].string()), cut);  // byte-identical
    const auto info = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(info[1].Text, QString::fromStdString("The contact history \"" + HistoryFile() +
                                                   "\" could not be read completely, so it was kept as \"" +
                                                   kept[0].string() + "\" and a new one was written."));
    MsgStore now;
    ASSERT_EQ(ReadHistory(now, HistoryFile()), 0);
    EXPECT_EQ(now.HistoryCount, 2);  // Anna, and Tom of the export

    // Said once: the next import writes the history as usual.
    Answers.FileAnswers.push_back({QString::fromStdString(exportFile)});
    Form->ImportMainMenuClick();
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 3u);
}

TEST_F(FileErrorsTest, AHistoryThatCannotBeWrittenAtTheEndOfAnImportIsNamedInsteadOfTheReport) {
    TMBForm& form = Open();
    fs::create_directories(ProgramFolder());
    MsgStore earlier;
    earlier.HistoryCount = 1;
    earlier.History[1].Phone = "+15555550100";
    ASSERT_EQ(WriteHistory(earlier, HistoryFile()), 0);
    const std::string before = ReadBytes(HistoryFile());
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += ReceivedLine("+1555555" + std::to_string(1000 + i), "2008.01.01 10:00", "Hello");
    const std::string exportFile = WriteExport(QString::fromStdString(ProgramFolder()), "many.csv", lines);
    Answers.FileAnswers.push_back({QString::fromStdString(exportFile)});
    {
        FileSizeCap cap(4096);  // the history of 101 numbers needs more
        form.Safely([&] { form.ImportMainMenuClick(); });  // as the menu runs it
    }
    EXPECT_EQ(Errors(), std::vector<QString>{QString::fromStdString("Cannot write \"" + HistoryFile() + "\": File too large")});
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").empty());
    EXPECT_EQ(ReadBytes(HistoryFile()), before);
    // The imported messages are on screen all the same.
    EXPECT_EQ(Store.MessageCount, 100);
    EXPECT_EQ(form.MessageModel->rowCount(), 100);
    EXPECT_TRUE(form.MessageView->isVisible());
}

TEST_F(FileErrorsTest, AFileLargerThanAnyExportIsRefusedByName) {
    TMBForm& form = Open();
    const std::string huge = WriteExport(QString::fromStdString(ProgramFolder()), "huge.csv", "\"sms\"");
    fs::resize_file(huge, std::uintmax_t(1) << 40);  // sparse: no byte of it is stored
    Answers.FileAnswers.push_back({QString::fromStdString(huge)});
    form.ImportMainMenuClick();
    EXPECT_EQ(Errors(), std::vector<QString>{QString::fromStdString("Cannot import \"" + huge + "\": File too large")});
    EXPECT_EQ(Store.MessageCount, 0);
}

TEST_F(FileErrorsTest, SamplesThatCannotBeWrittenAreNamedWithTheReason) {
    TMBForm& form = Open();
    const std::string taken = ProgramFolder() + "/sample_all_messages_from_phone_suite.csv";
    fs::create_directories(taken);  // a folder holds the name
    form.ProgramDir = (fs::path(KESTRO_TEST_DATA).parent_path().parent_path() / "data").string();
    form.Safely([&] { form.CreateSampleFilesClick(); });  // as the menu runs it
    EXPECT_EQ(Errors(), std::vector<QString>{QString::fromStdString("Cannot write \"" + taken + "\": Is a directory")});
}

TEST_F(FileErrorsTest, SaveWritesThroughALinkAndKeepsTheFileMode) {
    TMBForm& form = OpenCollection();
    const std::string real = WriteCollection("real.kst");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    const std::string link = Documents.path().toStdString() + "/link.kst";
    fs::create_symlink(real, link);
    Store.Messages[1].Text = "Changed through the link";
    ASSERT_TRUE(form.SaveCollection(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ((fs::status(real).permissions() & fs::perms::all), fs::perms::owner_read | fs::perms::owner_write);
    MsgStore reread;
    ASSERT_EQ(ReadDataFile(reread, real), 0);
    bool found = false;
    for (int n = 1; n <= reread.MessageCount; ++n) found |= reread.Messages[n].Text == "Changed through the link";
    EXPECT_TRUE(found);

    // A device is refused by name, and stays what it is.
    EXPECT_FALSE(form.SaveCollection("/dev/null"));
    EXPECT_EQ(Errors().back(), "Cannot save \"/dev/null\": Not a regular file");
}

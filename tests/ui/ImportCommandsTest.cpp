// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QAction>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <map>
#include <set>

#include "ExportFiles.h"
#include "FileRequests.h"
#include "FormFixture.h"
#include "MBrowser/BackupReadProgress.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

namespace {

const QString ColourQuestion = QStringLiteral("Do you want to set contacts colours automatically?");

class ImportTest : public FormTest {
protected:
    QTemporaryDir Exports;
    QString Folder() const { return Exports.path(); }

    QString LastInfo() const {
        const auto info = Answers.AskedOf("ShowInfo");
        return info.empty() ? QString() : info.back().Text;
    }
};

TEST_F(ImportTest, AddFilesReportsOnlyTheFilesThatCouldBeRead) {
    TMBForm& form = Open();
    const std::string good = WriteExport(Folder(), "good.csv", ExportOfThree());
    const QString missing = Folder() + "/missing.csv";
    Answers.FileAnswers.push_back({QString::fromStdString(good), missing});
    form.ImportMainMenuClick();

    const auto asked = Answers.AskedOf("OpenFiles");
    ASSERT_EQ(asked.size(), 1u);
    ExpectFileRequest(asked[0], {"Add phone backups, exports and address books - keep Ctrl key down to select several files",
                                 QString::fromStdString(ProgramFolder()), "",
                                 "Messages and address books (*.csv *.xml *.vcf *.db);;Messages (*.csv *.xml *.db);;vCard Files (*.vcf);;All files (*)",
                                 "csv"});
    EXPECT_EQ(Config.ImportDir, Folder().toStdString());

    EXPECT_EQ(LastInfo(), "1 file(s) imported: \r\ngood.csv - Successful\r\n\r\n"
                          "3 messages (1 sent, 2 received, 0 blocked), 2 contacts (2 numbers)");
    EXPECT_EQ(form.MessageModel->rowCount(), Store.MessageCount);
    EXPECT_EQ(Store.ViewCount, 3);
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(Store.Messages[1].Time.str(), "2008.01.03 12:00");  // newest first
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "/Kestro.hst"));
    EXPECT_NE(form.DetailLine(), "Importing and sorting - please wait ...");
}

TEST_F(ImportTest, CancelInTheDialogChangesNothing) {
    TMBForm& form = Open();
    form.ImportMainMenuClick();
    EXPECT_EQ(Answers.Asked.size(), 1u);
    EXPECT_EQ(Config.ImportDir, ProgramFolder());
    EXPECT_EQ(Store.MessageCount, 0);
}

TEST_F(ImportTest, AddFolderListsEveryMatchingEntryAndReportsEach) {
    TMBForm& form = Open();
    WriteExport(Folder(), "a.csv", ExportOfThree());
    WriteExport(Folder(), "b.csv", ExportOfTwo());
    WriteExport(Folder(), "notes.txt", "not an export");
    QDir(Folder()).mkdir("c.csv");
    Answers.FolderAnswers.push_back(Folder());
    Answers.YesNoAnswers = {true, false};
    form.ImportFolderMainMenuClick();

    const auto browse = Answers.AskedOf("BrowseFolder");
    ASSERT_EQ(browse.size(), 1u);
    EXPECT_EQ(browse[0].Text, "Select the folder to add (.csv) files from:");
    EXPECT_EQ(browse[0].Title.toStdString(), ProgramFolder());  // the starting folder
    const auto questions = Answers.AskedOf("AskYesNo");
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].Text, "3 files found in folder\r\n\r\n" + Folder() +
                                     ":\r\n\r\na.csv\r\nb.csv\r\nc.csv\r\n\r\nDo you want to add them now?");
    EXPECT_EQ(LastInfo(), "2 file(s) imported: \r\na.csv - Successful\r\nb.csv - Successful\r\n"
                          "c.csv - Is a directory\r\n\r\n5 messages (2 sent, 3 received, 0 blocked), 3 contacts (3 numbers)");
    EXPECT_EQ(questions[1].Text, ColourQuestion);
    EXPECT_EQ(Config.ImportDir, Folder().toStdString());
    EXPECT_EQ(form.MessageModel->rowCount(), 5);
}

TEST_F(ImportTest, AddFolderWithoutExportsSaysSoAndNoImportsNothing) {
    TMBForm& form = Open();
    WriteExport(Folder(), "notes.txt", "not an export");
    Answers.FolderAnswers.push_back(Folder());
    form.ImportFolderMainMenuClick();
    EXPECT_EQ(LastInfo(), "No .csv files found in folder " + Folder() + ".");
    EXPECT_TRUE(Answers.AskedOf("AskYesNo").empty());

    WriteExport(Folder(), "a.csv", ExportOfThree());
    Answers.FolderAnswers.push_back(Folder());
    Answers.YesNoAnswers = {false};
    form.ImportFolderMainMenuClick();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
}

TEST_F(ImportTest, TheColourOfferColoursByContactAndComesOnlyWhileNothingIsColoured) {
    TMBForm& form = Open();
    const std::string first = WriteExport(Folder(), "a.csv", ExportOfThree());
    Answers.FileAnswers.push_back({QString::fromStdString(first)});
    Answers.YesNoAnswers = {true};
    form.ImportMainMenuClick();
    ASSERT_EQ(Answers.AskedOf("AskYesNo").size(), 1u);
    EXPECT_EQ(Config.Defaults.ColorMode, 2);
    EXPECT_EQ(Store.ColoredCount, Store.MessageCount);
    EXPECT_TRUE(form.ContactColorsMenu->isChecked());
    // Anna's two messages share one light colour, Tom's has another.
    std::map<std::string, std::int32_t> colours;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) {
        const XMsgRecType& m = Store.Messages[static_cast<std::size_t>(n)];
        const auto [it, added] = colours.emplace(m.Phone.str(), m.Color);
        EXPECT_EQ(it->second, m.Color);
        for (int shift : {0, 8, 16}) EXPECT_GE((m.Color >> shift) & 0xFF, 128);
    }
    EXPECT_EQ(colours.size(), 2u);

    const std::string second = WriteExport(Folder(), "b.csv", ExportOfTwo());
    Answers.FileAnswers.push_back({QString::fromStdString(second)});
    form.ImportMainMenuClick();
    EXPECT_EQ(Answers.AskedOf("AskYesNo").size(), 1u);  // not asked again
    EXPECT_EQ(Store.MessageCount, 5);
}

TEST_F(ImportTest, BlockedNumbersAreKeptWhenTheHistoryIsNotUsed) {
    for (bool useHistory : {false, true}) {
        SCOPED_TRACE(useHistory);
        Answers.Asked.clear();
        TMBForm& form = Open();
        ClearStore(Store, Config.Defaults);
        Config.Defaults.UseHistory = useHistory;
        Store.HistoryCount = 1;
        Store.History[1] = HistoryRec{};
        Store.History[1].Phone = "+15555550100";
        Store.History[1].Blocked = 1;
        const std::string file = WriteExport(Folder(), "a.csv", ExportOfThree());
        Answers.FileAnswers.push_back({QString::fromStdString(file)});
        form.ImportMainMenuClick();
        if (useHistory)
            EXPECT_TRUE(LastInfo().endsWith("1 messages (1 sent, 0 received, 2 blocked), 1 contacts (1 numbers)\r\n2 messages not taken: blocked"))
                << LastInfo().toStdString();
        else
            EXPECT_TRUE(LastInfo().endsWith("3 messages (1 sent, 2 received, 0 blocked), 2 contacts (2 numbers)")) << LastInfo().toStdString();
        EXPECT_EQ(form.MessageModel->rowCount(), Store.MessageCount);
    }
}

TEST_F(ImportTest, ImportingEndsOnScreenScrambling) {
    TMBForm& form = Open();
    const std::string file = WriteExport(Folder(), "a.csv", ExportOfThree());
    Answers.FileAnswers.push_back({QString::fromStdString(file)});
    form.ImportMainMenuClick();
    ScrambleTexts(Store, TextMask);
    form.ScreenScrambled = true;

    const std::string more = WriteExport(Folder(), "b.csv", ExportOfTwo());
    Answers.FileAnswers.push_back({QString::fromStdString(more)});
    form.ImportMainMenuClick();
    EXPECT_FALSE(form.ScreenScrambled);
    std::set<std::string> texts;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) texts.insert(Store.Messages[static_cast<std::size_t>(n)].Text);
    EXPECT_EQ(texts, (std::set<std::string>{"Hello there", "Are you coming?", "On my way", "Morning", "Morning to you"}));
}

}  // namespace

TEST_F(ImportTest, AFullCollectionsReportSaysHowManyLinesWereLeftOutAndWhereEveryMessageWent) {
    TMBForm& form = Open();
    Config.Defaults.RemoveDups = true;
    for (std::int32_t n = 1; n < MaxMessages; ++n)
        AddMessage(Store, "2001.01.01 00:00", "+1555555" + std::to_string(1000 + n % 900), "filler " + std::to_string(n),
                   MsgSms | MsgReceived, "", 0x00C0C0C0);
    // Two copies of the first filler (same number, time, direction and text): the finishing
    // sequence removes them after the import found the collection full.
    Store.Messages[901].Text = Store.Messages[1801].Text = Store.Messages[1].Text;
    form.FormPaint();
    const std::string full = WriteExport(Folder(), "full.csv", ExportOfThree());
    const std::string fits = WriteExport(Folder(), "fits.csv", ExportOfTwo());
    Answers.FileAnswers.push_back({QString::fromStdString(full), QString::fromStdString(fits)});
    form.ImportMainMenuClick();
    // One message still fitted; the other two lines of the first file and both of the
    // second found the collection full. The figures add up: 16379 + 1 - 0 - 2 = 16378.
    EXPECT_EQ(LastInfo(), "2 file(s) imported: \r\n"
                          "full.csv - Successful\r\n"
                          "fits.csv - Successful\r\n"
                          "\r\n16378 messages (0 sent, 16378 received, 0 blocked), 901 contacts (901 numbers)\r\n"
                          "2 messages not taken: duplicates of messages already held\r\n"
                          "4 messages not taken: past the collection's capacity (16380 messages)\r\n"
                          "16379 messages before + 1 added - 0 blocked - 2 duplicates removed = 16378 messages.\r\n"
                          "The collection has room for 2 more messages now.");
    QApplication::processEvents();
    EXPECT_EQ(form.MessageView->CornerText(), "16378 ");
}

TEST_F(ImportTest, AnImportThatLeavesTheCollectionEmptyOffersNoColours) {
    TMBForm& form = Open();
    const std::string empty = WriteExport(Folder(), "empty.csv", "");
    Answers.FileAnswers.push_back({QString::fromStdString(empty)});
    form.ImportMainMenuClick();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_EQ(LastInfo(), "1 file(s) imported: \r\nempty.csv - Successful\r\n\r\n"
                          "0 messages (0 sent, 0 received, 0 blocked), 0 contacts (0 numbers)");
    EXPECT_TRUE(Answers.AskedOf("AskYesNo").empty());

    // With messages it is offered.
    Answers.FileAnswers.push_back({QString::fromStdString(WriteExport(Folder(), "two.csv", ExportOfTwo()))});
    form.ImportMainMenuClick();
    const auto asked = Answers.AskedOf("AskYesNo");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, ColourQuestion);
}

// An address book chosen with the messages names them whatever form its numbers take, and
// the report counts its cards and the contacts that named messages.
TEST_F(ImportTest, AnAddressBookNamesTheMessagesAndIsCounted) {
    TMBForm& form = Open();
    form.Set.Defaults.HomeCountry = "US";
    const std::string messages = WriteExport(Folder(), "messages.csv", ExportOfThree());
    const std::string book = WriteExport(Folder(), "contacts.vcf",
                                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Lee\r\nTEL:(555) 555-0100\r\nEND:VCARD\r\n"
                                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n");
    Answers.FileAnswers.push_back({QString::fromStdString(book), QString::fromStdString(messages)});
    form.ImportMainMenuClick();
    EXPECT_EQ(LastInfo(), "2 file(s) imported: \r\ncontacts.vcf - Successful\r\nmessages.csv - Successful\r\n"
                          "contacts.vcf: 2 cards read, 1 contacts named messages\r\n\r\n"
                          "3 messages (1 sent, 2 received, 0 blocked), 2 contacts (2 numbers)");
    int named = 0;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) named += Store.Messages[n].Name == std::string_view("Anna Lee");
    EXPECT_EQ(named, 2);
}
namespace {
// Phone backups import wherever exports do; a cut one brings what came before the damage
// and says where reading stopped, an XML file that is no backup is listed as not imported.
TEST_F(ImportTest, AddFilesTakesPhoneBackups) {
    TMBForm& form = Open();
    const auto write = [&](const QString& name, const std::string& bytes) {
        const QString path = Folder() + "/" + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    };
    const std::string sms = "<sms address=\"5550100\" date=\"1200000000000\" type=\"1\" body=\"hello\"/>\n";
    const QString good = write("good.xml", "<smses>\n" + sms +
                                               "<sms address=\"5550101\" date=\"1200000000000\" type=\"3\" body=\"x\"/>\n"
                                               "<sms address=\"5550103\" date=\"1.2e12\" type=\"1\" body=\"y\"/>\n</smses>\n");
    const QString cut = write("cut.xml", "<smses>\n<sms address=\"5550102\" date=\"1200000060000\" type=\"2\" body=\"bye\"/>\n<sms ad");
    const QString page = write("page.xml", "<html/>");
    Answers.FileAnswers.push_back({good, cut, page});
    form.ImportMainMenuClick();

    const QString info = LastInfo();
    EXPECT_TRUE(info.startsWith("2 file(s) imported: \r\ngood.xml - Successful\r\n"
                                "cut.xml - Damaged: reading stopped at line 3 ("))
        << info.toStdString();
    EXPECT_TRUE(info.endsWith("contacts (2 numbers)\r\n1 message not taken: not sent or received (drafts, outbox, failed)"
                              "\r\n1 message not taken: with a date that is not a date"))
        << info.toStdString();
    EXPECT_TRUE(info.contains("\r\npage.xml is not a phone backup, an address book or a message export\r\n"));
    ASSERT_EQ(Store.MessageCount, 2);
    EXPECT_EQ(Store.Messages[1].Text, "bye");
    EXPECT_TRUE(Store.Messages[1].Flags & MsgExactTime);
}
}  // namespace

#include <QProgressDialog>
#include <QTimer>

namespace {
// Cancel while a long backup is read: the collection is exactly as before the command,
// the files read before it in the same command included.
TEST_F(ImportTest, CancelWhileReadingABackupRestoresTheCollection) {
    TMBForm& form = Open();
    const std::string first = "<smses>\n<sms address=\"5550100\" date=\"1200000000000\" type=\"1\" body=\"kept\"/>\n</smses>\n";
    const std::string longOne = "<smses>\n<sms address=\"5550101\" date=\"1200000000000\" type=\"1\" body=\"early\"/>\n"
                                "<mms date=\"1\" msg_box=\"1\" address=\"5550102\"><parts><part ct=\"image/png\" data=\"" +
                                std::string(std::size_t(48) << 20, 'Q') + "\"/></parts></mms>\n</smses>\n";
    QString paths[2];
    int k = 0;
    for (const std::string* bytes : {&first, &longOne}) {
        paths[k] = Folder() + QStringLiteral("/b%1.xml").arg(k);
        QFile f(paths[k++]);
        f.open(QIODevice::WriteOnly);
        f.write(bytes->data(), static_cast<qint64>(bytes->size()));
    }
    Answers.FileAnswers.push_back({paths[0]});
    form.ImportMainMenuClick();
    ASSERT_EQ(Store.MessageCount, 1);
    const auto infosBefore = Answers.AskedOf("ShowInfo").size();

    Answers.FileAnswers.push_back({paths[0], paths[1]});
    QTimer::singleShot(0, &form, [&] {
        for (QProgressDialog* p : form.findChildren<QProgressDialog*>()) p->cancel();
    });
    form.ImportMainMenuClick();
    EXPECT_EQ(Store.MessageCount, 1);
    EXPECT_EQ(Store.Messages[1].Text, "kept");
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), infosBefore);
}
}  // namespace

namespace {
// A long reading's progress: a dialog with its title bar, over the middle of the main
// window, however the main window was placed.
TEST_F(ImportTest, ALongReadingShowsItsProgressAsADialogOverTheWindow) {
    TMBForm& form = Open();
    form.setGeometry(300, 200, 900, 640);
    std::atomic<bool> looked = false;
    QString title;
    Qt::WindowFlags flags;
    QPoint centre;
    bool visible = false;
    QTimer::singleShot(700, &form, [&] {
        if (auto* progress = form.findChild<QProgressDialog*>()) {
            visible = progress->isVisible();
            title = progress->windowTitle();
            flags = progress->windowFlags();
            centre = progress->frameGeometry().center();
        }
        looked = true;
    });
    const int code = RunWithProgress(
        &form, [](std::uint64_t, std::int64_t) { return QStringLiteral("Reading a.xml ..."); },
        [&](const BackupProgress&) {
            while (!looked) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return 0;
        });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(visible);
    EXPECT_EQ(title, "Importing");
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::FramelessWindowHint);
    EXPECT_LE((centre - form.frameGeometry().center()).manhattanLength(), 4);
}
}  // namespace

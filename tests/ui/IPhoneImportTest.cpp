// SPDX-License-Identifier: GPL-3.0-or-later
// An iPhone's messages through every way into the window: Add files (sms.db), Add folder
// (a backup folder, or a folder holding backups), a drop, and the program's arguments.
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>
#include <map>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "support/MessagesDatabase.h"
#include "support/TempDir.h"

namespace {
namespace fs = std::filesystem;

// What the import did not take, after the counts: one reaction per database.
QString Reactions(int n) {
    return QStringLiteral("\r\n%1 %2 to other messages not taken").arg(n).arg(n == 1 ? "reaction" : "reactions");
}
const QString Counts = QStringLiteral("1 messages (0 sent, 1 received, 0 blocked), 1 contacts (1 numbers)");

class IPhoneImportTest : public FormTest {
protected:
    QTemporaryDir Files;
    QString In(const QString& name) const { return Files.path() + "/" + name; }
    QString Backup(const QString& name, std::optional<bool> encrypted = {}) const {
        test::MakeIPhoneBackup(In(name).toStdString(), true, encrypted);
        return In(name);
    }
    QString LastInfo() const {
        const auto info = Answers.AskedOf("ShowInfo");
        return info.empty() ? QString() : info.back().Text;
    }
    std::map<fs::path, std::string> Everything() const {
        std::map<fs::path, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(Files.path().toStdString()))
            files[e.path()] = e.is_regular_file() ? TempDir::Read(e.path().string()) : std::string("folder");
        return files;
    }
};

TEST_F(IPhoneImportTest, AddFilesTakesTheDatabaseAndNamesWhatItRefuses) {
    TMBForm& form = Open();
    const QString backup = Backup("backup");
    const QString db = In("backup/3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28");
    QFile::copy(db, In("sms.db"));
    WriteExport(Files.path(), "notes.txt", "Buy milk\n");
    const auto before = Everything();
    Answers.FileAnswers.push_back({In("sms.db"), In("notes.txt")});
    Answers.YesNoAnswers = {false};
    form.ImportMainMenuClick();
    EXPECT_EQ(LastInfo(), "1 file(s) imported: \r\nsms.db - Successful\r\n"
                              "notes.txt is not a phone backup, an address book or a message export\r\n\r\n" + Counts + Reactions(1));
    ASSERT_EQ(Store.MessageCount, 1);
    EXPECT_EQ(Store.Messages[1].Text, "From the backup");
    EXPECT_EQ(Everything(), before);  // not a byte changed, nothing added beside them
}

TEST_F(IPhoneImportTest, AddFolderTakesABackupFolderOrTheBackupsAndDatabasesInAFolder) {
    TMBForm& form = Open();
    const QString backup = Backup("00008101-000A");
    Answers.FolderAnswers.push_back(backup);
    Answers.YesNoAnswers = {false};
    form.ImportFolderMainMenuClick();
    EXPECT_EQ(LastInfo(), "1 file(s) imported: \r\n" + backup + " - Successful\r\n\r\n" + Counts + Reactions(1));
    EXPECT_TRUE(Answers.AskedOf("AskYesNo").size() == 1u);  // only the colours: the folder was chosen as it is

    // The folder idevicebackup2 writes into: one backup folder per phone.
    Backup("00008101-000B", true);
    QFile::copy(backup + "/3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28", In("sms.db"));
    Answers.Asked.clear();
    Answers.FolderAnswers.push_back(Files.path());
    Answers.YesNoAnswers = {true, false};
    form.ImportFolderMainMenuClick();
    const auto questions = Answers.AskedOf("AskYesNo");
    ASSERT_FALSE(questions.empty());
    EXPECT_EQ(questions[0].Text, "3 files found in folder\r\n\r\n" + Files.path() +
                                     ":\r\n\r\nsms.db\r\n00008101-000A\r\n00008101-000B\r\n\r\nDo you want to add them now?");
    EXPECT_EQ(LastInfo().toStdString(),
              ("2 file(s) imported: \r\nsms.db - Successful\r\n00008101-000A - Successful\r\n"
               "00008101-000B is an encrypted iPhone backup; Kestro cannot read encrypted backups yet\r\n\r\n" +
               Counts + "\r\n2 messages not taken: duplicates of messages already held" + Reactions(2))
                  .toStdString());
    EXPECT_EQ(Store.MessageCount, 1);  // the same message each time, held since the first import
}

TEST_F(IPhoneImportTest, ADroppedBackupFolderOrDatabaseAndTheProgramsArgumentsAreImported) {
    const QString backup = Backup("backup");
    QFile::copy(backup + "/3d/3d0d7e5fb2ce288813306e4d4636395e047a3d28", In("sms.db"));
    TMBForm& form = Open();
    for (const QString& dropped : {backup, In("sms.db")}) {
        ClearStore(Store, Config.Defaults);
        auto mime = std::make_unique<QMimeData>();
        mime->setUrls({QUrl::fromLocalFile(dropped)});
        const QPoint where = form.rect().center();
        QDragEnterEvent enter(where, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        EXPECT_TRUE(enter.isAccepted()) << dropped.toStdString();
        QDropEvent drop(where, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        Answers.YesNoAnswers = {false};
        QApplication::sendEvent(&form, &drop);
        QApplication::processEvents();
        EXPECT_EQ(Store.MessageCount, 1) << dropped.toStdString();
    }

    FormEnvironment environment = Environment();
    environment.StartExports = {backup};
    ClearStore(Store, Config.Defaults);
    Answers.Asked.clear();
    Answers.YesNoAnswers = {false};
    Form = std::make_unique<TMBForm>(Store, Config, Answers, environment);
    Form->show();
    QApplication::processEvents();
    EXPECT_EQ(LastInfo(), "1 file(s) imported: \r\n" + backup + " - Successful\r\n\r\n" + Counts + Reactions(1));
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the window, delivered as the desktop delivers them: a drag entering the
// window, then the drop.
#include <QDir>
#include <QFileInfo>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"

namespace {

struct DropResult {
    bool EnterAccepted = false;
    bool DropAccepted = false;
    Qt::DropAction Action = Qt::IgnoreAction;
};

class DropTest : public FormTest {
protected:
    QTemporaryDir Files;

    static QMimeData* Urls(const QList<QUrl>& urls) {
        auto* mime = new QMimeData;
        mime->setUrls(urls);
        return mime;
    }
    static QMimeData* LocalFiles(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        return Urls(urls);
    }

    // Offers copying and moving, as a file manager does; runs whatever the drop queued.
    DropResult Drop(QMimeData* mime) {
        const std::unique_ptr<QMimeData> owned(mime);
        const QPoint where = Form->rect().center();
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(where, offered, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.get(), &enter);
        QDropEvent drop(where, offered, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.get(), &drop);
        QApplication::processEvents();
        return {enter.isAccepted(), drop.isAccepted(), drop.dropAction()};
    }

    QString Export(const QString& name, const std::string& lines) {
        return QString::fromStdString(WriteExport(Files.path(), name.toStdString(), lines));
    }
};

TEST_F(DropTest, DroppedExportsAreImportedAsAddFilesImportsThem) {
    TMBForm& form = Open();
    const QString three = Export("inbox.CSV", ExportOfThree());
    const QString two = Export("mia.csv", ExportOfTwo());
    const DropResult result = Drop(LocalFiles({three, two}));

    EXPECT_TRUE(result.EnterAccepted);
    EXPECT_TRUE(result.DropAccepted);
    EXPECT_EQ(result.Action, Qt::CopyAction);  // never a move: the exports stay where they are
    EXPECT_TRUE(QFileInfo::exists(three));
    const auto info = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].Text, "2 file(s) imported: \r\ninbox.CSV - Successful\r\nmia.csv - Successful\r\n\r\n"
                            "5 messages (2 sent, 3 received, 0 blocked), 3 contacts (3 numbers)");
    EXPECT_EQ(Config.ImportDir, Files.path().toStdString());
    EXPECT_EQ(Store.MessageCount, 5);
    EXPECT_TRUE(form.MessageView->isVisible());
}

TEST_F(DropTest, ADroppedDataFileAsksToSaveThenOpensAsOpenDoes) {
    TMBForm& form = OpenCollection();
    const std::string opened = form.CurrentFile;
    const std::string other = WriteCollection("other.kst");
    Drop(LocalFiles({Export("inbox.csv", ExportOfThree())}));  // now 9 messages, modified
    Answers.Asked.clear();
    ASSERT_TRUE(Store.Modified);

    // Cancel keeps everything.
    Answers.SaveAnswers = {SaveAnswer::Cancel};
    EXPECT_TRUE(Drop(LocalFiles({QString::fromStdString(other)})).DropAccepted);
    ASSERT_EQ(Answers.AskedOf("AskYesNoCancel").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("AskYesNoCancel")[0].Text, "You have modified your data. Do you want to save it on disk?");
    EXPECT_EQ(form.CurrentFile, opened);
    EXPECT_EQ(Store.MessageCount, 9);

    // No discards the changes and opens the dropped file.
    Answers.SaveAnswers = {SaveAnswer::No};
    Drop(LocalFiles({QString::fromStdString(other)}));
    EXPECT_EQ(form.CurrentFile, other);
    EXPECT_EQ(form.windowTitle(), QString::fromStdString("Kestro 1.1 - " + other));
    EXPECT_EQ(Store.MessageCount, 6);
    EXPECT_FALSE(Store.Modified);
    EXPECT_EQ(Answers.AskedOf("ShowError").size(), 0u);
}

TEST_F(DropTest, ADroppedFileThatIsNoDataFileGetsTheOpenError) {
    TMBForm& form = OpenCollection();
    const std::string opened = form.CurrentFile;
    const QString foreign = Export("foreign.kst", std::string("\x01\x00\x05\x00 not a collection", 21));
    Drop(LocalFiles({foreign}));
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "Cannot open \"" + foreign + "\": Not a Kestro data file");
    EXPECT_EQ(form.CurrentFile, opened);
    EXPECT_EQ(Store.MessageCount, 6);
}

TEST_F(DropTest, AnythingElseIsRefusedWithoutAMessage) {
    TMBForm& form = OpenCollection();
    const QString csv = Export("inbox.csv", ExportOfThree());
    const QString notes = Export("notes.txt", "Buy milk");
    const QString kst = QString::fromStdString(WriteCollection("a.kst"));
    const QString otherKst = QString::fromStdString(WriteCollection("b.kst"));
    QDir(Files.path()).mkdir("folder.csv");
    auto* textOnly = new QMimeData;
    textOnly->setText(csv);

    const std::vector<std::pair<const char*, QMimeData*>> refused = {
        {"an unrelated file", LocalFiles({notes})},
        {"an export with an unrelated file", LocalFiles({csv, notes})},
        {"an export with a data file", LocalFiles({csv, kst})},
        {"two data files", LocalFiles({kst, otherKst})},
        {"a folder named like an export", LocalFiles({Files.path() + "/folder.csv"})},
        {"an export that is not there", LocalFiles({Files.path() + "/gone.csv"})},
        {"a web address", Urls({QUrl(QStringLiteral("https://example.com/inbox.csv"))})},
        {"a file name as text", textOnly},
    };
    for (const auto& [what, mime] : refused) {
        const DropResult result = Drop(mime);
        EXPECT_FALSE(result.EnterAccepted) << what;
        EXPECT_FALSE(result.DropAccepted) << what;
    }
    EXPECT_TRUE(Answers.Asked.empty());
    EXPECT_EQ(Store.MessageCount, 6);
    EXPECT_FALSE(Store.Modified);
    EXPECT_EQ(form.windowTitle(), QString::fromStdString("Kestro 1.1 - " + form.CurrentFile));
}

TEST_F(DropTest, NoControlTakesADropItselfSoTheWindowGetsEvery) {
    TMBForm& form = OpenCollection();
    EXPECT_TRUE(form.acceptDrops());
    // A text box would insert a dropped file's name; the detail line's text is the message's.
    for (const QWidget* child : form.findChildren<QWidget*>())
        EXPECT_FALSE(child->acceptDrops()) << child->metaObject()->className() << " "
                                           << child->accessibleName().toStdString();
}

}  // namespace

TEST_F(DropTest, ADroppedAddressBookIsImportedWithTheExports) {
    Open();
    const QString book = Export("phone.VCF", "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Mia;;;\r\nTEL;CELL:+15555550102\r\nEND:VCARD\r\n");
    const DropResult result = Drop(LocalFiles({Export("mia.csv", ExportOfTwo()), book}));
    EXPECT_TRUE(result.DropAccepted);
    const auto info = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].Text, "2 file(s) imported: \r\nmia.csv - Successful\r\nphone.VCF - Successful\r\n"
                            "phone.VCF: 1 cards read, 1 contacts named messages\r\n\r\n"
                            "2 messages (1 sent, 1 received, 0 blocked), 1 contacts (1 numbers)");
    EXPECT_EQ(Store.Messages[1].Name.str(), "Mia Lee");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <filesystem>
#include <fstream>
#include <map>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "MBVars/LoadSequences.h"

namespace {

// A backup of SMS received at noon UTC on the given days, so that their year is the same
// in every time zone.
std::string BackupOf(const std::vector<std::pair<long long, const char*>>& messages) {
    std::string xml = "<smses>\n";
    for (const auto& [millis, text] : messages)
        xml += "<sms address=\"5550100\" date=\"" + std::to_string(millis) + "\" type=\"1\" body=\"" + text + "\"/>\n";
    return xml + "</smses>\n";
}
// Two messages of June 2019 and three of June 2020.
const std::string Big = BackupOf({{1560168000000, "a19"}, {1591790400000, "a20"}, {1560254400000, "b19"},
                                  {1591876800000, "b20"}, {1591963200000, "c20"}});
const std::string One = BackupOf({{1528632000000, "one from 2018"}});

enum class There { Nothing, File, Folder };  // what has the name 2020.kst in the folder beforehand

struct FitCase {
    const char* Name = "";
    std::deque<int> Choices = {};        // buttons pressed in the three-way question
    QStringList Folders = {};          // "Y": the years folder; empty: the folder choice cancelled
    std::deque<SaveAnswer> Saves = {};  // the replace question, then the save question
    std::deque<bool> OpenOffer = {};   // the answer to the offer to open the newest
    There Existing = There::Nothing;
    bool SmallBackupFirst = false;  // several files in one command
    int Copies = 1;                 // how often the command has the backup
    int Room = 3;                   // the room the collection has
    bool Modified = false;          // the collection has unsaved changes
    // Expected:
    int Added = 0;                  // messages the collection gained (unless a file was opened)
    std::map<std::string, std::int32_t> Files = {};  // year files written, with their messages
    QString ReportHas = {};            // "Y" stands for the years folder
    QString Opened = {};
    bool Reported = true;           // false: no report at all (cancelled)               // the file opened afterwards, if any
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.Name; }

class BackupDoesNotFitTest : public FormTest, public ::testing::WithParamInterface<FitCase> {
protected:
    QTemporaryDir Work;
    // The answers' and every question's texts, with the years folder written "Y".
    QString Years() const { return Work.path() + "/years"; }
    QString Shown(const AskedQuestion& q) const { return QString(q.Text).replace(Years(), "Y"); }
};

TEST_P(BackupDoesNotFitTest, AsksAndDoesWhatWasChosen) {
    const FitCase& c = GetParam();
    TMBForm& form = Open();
    // Room for three at most: the backup's five messages do not fit.
    for (std::int32_t n = 1; n <= MaxMessages - c.Room; ++n)
        AddMessage(Store, "2001.01.01 00:00", "+1555555" + std::to_string(1000 + n % 900), "filler " + std::to_string(n),
                   MsgSms | MsgReceived, "", 0x00C0C0C0);
    Store.Modified = c.Modified;
    form.FormPaint();
    const std::int32_t before = Store.MessageCount;
    std::filesystem::create_directories(Years().toStdString());
    const std::string existing = Years().toStdString() + "/2020.kst";
    if (c.Existing == There::File) std::ofstream(existing) << "keep me";
    if (c.Existing == There::Folder) std::filesystem::create_directory(existing);

    QStringList files;
    if (c.SmallBackupFirst) files << QString::fromStdString(WriteExport(Work.path(), "one.xml", One));
    for (int k = 0; k < c.Copies; ++k) files << QString::fromStdString(WriteExport(Work.path(), "big.xml", Big));
    Answers.ChoiceAnswers = c.Choices;
    for (const QString& f : c.Folders) Answers.FolderAnswers.push_back(f.isEmpty() ? f : Years());
    Answers.SaveAnswers = c.Saves;
    Answers.YesNoAnswers = c.OpenOffer;
    form.ImportChosenFiles(files);

    // The question names the file, the new messages and the room left, every time it is asked.
    const auto asked = Answers.AskedOf("AskChoice");
    ASSERT_EQ(asked.size(), c.Folders.size() + (c.Choices.back() == 1 ? 0 : 1)) << c.Name;
    const int room = c.SmallBackupFirst ? c.Room - 1 : c.Room;
    for (const AskedQuestion& q : asked) {
        EXPECT_EQ(q.Text, room == 0 ? QStringLiteral("big.xml holds 5 new messages; the collection is full.\r\n\r\n"
                                                     "Write one data file per year into a folder and leave the "
                                                     "collection as it is?")
                                    : QStringLiteral("big.xml holds 5 new messages; the collection has room for %1.\r\n\r\n"
                                                     "Keep the newest %1, or write one data file per year into a folder "
                                                     "and leave the collection as it is?")
                                          .arg(room));
        EXPECT_EQ(q.Buttons, QStringList({"&Keep the newest", "One file per &year...", "Cancel"}));
    }

    // The year files, and nothing else, are in the folder; a file kept there is untouched.
    std::map<std::string, std::int32_t> written;
    for (const auto& entry : std::filesystem::directory_iterator(Years().toStdString())) {
        if (c.Existing != There::Nothing && entry.path() == existing) continue;
        MsgStore year;
        DefaultsType D;
        ASSERT_EQ(::OpenCollection(year, D, entry.path().string()), 0);
        written[entry.path().filename().string()] = year.MessageCount;
    }
    EXPECT_EQ(written, c.Files) << c.Name;
    if (c.Existing == There::File) {
        std::ifstream in(existing);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me") << c.Name;
    }
    if (c.Existing == There::Folder) {
        EXPECT_TRUE(std::filesystem::is_directory(existing));
    }

    if (c.Opened.isEmpty()) {
        EXPECT_EQ(Store.MessageCount, before + c.Added) << c.Name;
        // Untouched unless something was imported into it.
        if (c.Added == 0 && c.Choices.back() != 0) {
            EXPECT_EQ(Store.Modified, c.Modified) << c.Name;
        }
    } else {
        EXPECT_EQ(QString::fromStdString(form.CurrentFile), Years() + "/" + c.Opened) << c.Name;
        EXPECT_EQ(Store.MessageCount, c.Files.at(c.Opened.toStdString())) << c.Name;
    }
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size() + Answers.AskedOf("AskYesNo").size() > 0, c.Reported) << c.Name;
    QString shown;
    for (const AskedQuestion& q : Answers.Asked) shown += q.Kind + ": " + Shown(q) + "\n";
    EXPECT_TRUE(shown.contains(c.ReportHas)) << c.Name << "\n" << shown.toStdString();
}

const QString ByYearReport = "big.xml - Successful\r\n"
                             "    written as one data file per year into Y, not into the collection:\r\n"
                             "    2019.kst: 2 messages\r\n";

INSTANTIATE_TEST_SUITE_P(
    Choices, BackupDoesNotFitTest,
    ::testing::Values(
        FitCase{.Name = "keep the newest",
                .Choices = {0},
                .Added = 3,
                .ReportHas = "big.xml - Successful\r\n    2 older messages not imported: the collection is full (16380 messages)"},
        FitCase{.Name = "keep the newest of none: the collection is full",
                .Choices = {0},
                .Room = 0,
                .ReportHas = "big.xml - Successful\r\n    5 older messages not imported: the collection is full (16380 messages)"},
        FitCase{.Name = "one file per year, not opened",
                .Choices = {1},
                .Folders = {"Y"},
                .OpenOffer = {false},
                .Files = {{"2019.kst", 2}, {"2020.kst", 3}},
                .ReportHas = "AskYesNo: " + ByYearReport +
                             "    2020.kst: 3 messages\r\nThe collection is unchanged.\r\n\r\nDo you want to open 2020.kst now?"},
        FitCase{.Name = "one file per year, the newest opened after the save question",
                .Choices = {1},
                .Folders = {"Y"},
                .Saves = {SaveAnswer::No},
                .OpenOffer = {true},
                .Modified = true,
                .Files = {{"2019.kst", 2}, {"2020.kst", 3}},
                .ReportHas = "AskYesNoCancel: You have modified your data. Do you want to save it on disk?",
                .Opened = "2020.kst"},
        FitCase{.Name = "a file already there is kept",
                .Choices = {1},
                .Folders = {"Y"},
                .Saves = {SaveAnswer::No},
                .OpenOffer = {false},
                .Existing = There::File,
                .Files = {{"2019.kst", 2}},
                .ReportHas = "AskYesNoCancel: These files are in Y already:\r\n2020.kst\r\n\r\nDo you want to replace them? "
                             "No leaves them as they are and writes the other years.\nAskYesNo: " +
                             ByYearReport +
                             "    2020.kst: already there, left as it was\r\nThe collection is unchanged.\r\n\r\n"
                             "Do you want to open 2019.kst now?"},
        FitCase{.Name = "a year that cannot be written is named, the one before it is reported",
                .Choices = {1},
                .Folders = {"Y"},
                .Saves = {SaveAnswer::Yes},
                .OpenOffer = {false},
                .Existing = There::Folder,
                .Files = {{"2019.kst", 2}},
                .ReportHas = "ShowError: Cannot write \"Y/2020.kst\": Is a directory\nAskYesNo: " + ByYearReport +
                             "    2020.kst: not written\r\n"},
        FitCase{.Name = "cancel, after the folder choice was cancelled",
                .Choices = {1, 2},
                .Folders = {""},
                .ReportHas = "BrowseFolder: Select the folder to write one data file per year into:\nAskChoice: ",
                .Reported = false},
        FitCase{.Name = "a command cancelled after a backup was written by year names the files written",
                .Choices = {1, 2},
                .Folders = {"Y"},
                .Copies = 2,
                .Files = {{"2019.kst", 2}, {"2020.kst", 3}},
                .ReportHas = "ShowInfo: The import was cancelled; the collection is as it was. These files were written "
                             "before:\r\nY/2019.kst\r\nY/2020.kst\r\n"},
        FitCase{.Name = "several files: the one that does not fit is asked about",
                .Choices = {1},
                .Folders = {"Y"},
                .OpenOffer = {false},
                .SmallBackupFirst = true,
                .Added = 1,
                .Files = {{"2019.kst", 2}, {"2020.kst", 3}},
                .ReportHas = "AskYesNo: 2 file(s) imported: \r\none.xml - Successful\r\n" + ByYearReport +
                             "    2020.kst: 3 messages\r\n\r\n"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace

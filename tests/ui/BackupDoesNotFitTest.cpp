// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <fstream>
#include <map>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "MBVars/LoadSequences.h"

namespace {

// SMS received at noon UTC, so that their year is the same in every time zone.
std::string BackupOf(const std::vector<std::pair<long long, const char*>>& messages) {
    std::string xml = "<smses>\n";
    for (const auto& [millis, text] : messages)
        xml += "<sms address=\"5550100\" date=\"" + std::to_string(millis) + "\" type=\"1\" body=\"" + text + "\"/>\n";
    return xml + "</smses>\n";
}
// Two messages of June 2019 and three of June 2020.
const std::string Big = BackupOf({{1560168000000, "a19"}, {1591790400000, "a20"}, {1560254400000, "b19"},
                                  {1591876800000, "b20"}, {1591963200000, "c20"}});

enum class There { Nothing, File, Folder };  // what is called 2020.kst in the folder beforehand

struct FitCase {
    const char* Name = "";
    std::deque<int> Choices = {};       // buttons pressed in the three-way question
    QStringList Folders = {};           // "Y": the years folder; "": the folder choice cancelled
    std::deque<SaveAnswer> Saves = {};  // the replace question, then the save question
    std::deque<bool> Open = {};         // the answer to the offer to open the newest
    There Existing = There::Nothing;
    QStringList Backups = {"big"};      // the command's files: "one" fits, "big" does not
    int Room = 3;
    bool Modified = false;              // the collection has unsaved changes
    // Expected: the kinds of box shown in order, a text they show ("Y": the years folder),
    // the messages the collection gained, the year files and their messages, the file opened.
    QString Kinds = {}, Shows = {};
    int Added = 0;
    std::map<std::string, std::int32_t> Files = {};
    QString Opened = {};
};
void PrintTo(const FitCase& c, std::ostream* os) { *os << c.Name; }

class BackupDoesNotFitTest : public FormTest, public ::testing::WithParamInterface<FitCase> {
protected:
    QTemporaryDir Work;
    QString Years() const { return Work.path() + "/years"; }
};

TEST_P(BackupDoesNotFitTest, AsksAndDoesWhatWasChosen) {
    const FitCase& c = GetParam();
    TMBForm& form = Open();
    for (std::int32_t n = 1; n <= MaxMessages - c.Room; ++n)
        AddMessage(Store, "2001.01.01 00:00", "+1555555" + std::to_string(1000 + n % 900), "filler " + std::to_string(n),
                   MsgSms | MsgReceived, "", 0x00C0C0C0);
    Store.Modified = c.Modified;
    form.FormPaint();
    const std::int32_t before = Store.MessageCount;
    const std::string existing = Years().toStdString() + "/2020.kst";
    std::filesystem::create_directories(Years().toStdString());
    if (c.Existing == There::File) std::ofstream(existing) << "keep me";
    if (c.Existing == There::Folder) std::filesystem::create_directory(existing);

    QStringList files;
    for (const QString& b : c.Backups)
        files << QString::fromStdString(
            WriteExport(Work.path(), b.toStdString() + ".xml", b == "big" ? Big : BackupOf({{1528632000000, "of 2018"}})));
    Answers.ChoiceAnswers = c.Choices;
    for (const QString& f : c.Folders) Answers.FolderAnswers.push_back(f.isEmpty() ? f : Years());
    Answers.SaveAnswers = c.Saves;
    Answers.YesNoAnswers = c.Open;
    form.ImportChosenFiles(files);

    QString kinds, shown;
    for (const AskedQuestion& q : Answers.Asked) {
        kinds += (kinds.isEmpty() ? "" : " ") + q.Kind;
        shown += q.Kind + ": " + QString(q.Text).replace(Years(), "Y") + "\n";
        if (q.Kind == "AskChoice") {
            EXPECT_EQ(q.Buttons, QStringList({"&Keep the newest", "One file per &year...", "Cancel"}));
        }
    }
    EXPECT_EQ(kinds, c.Kinds);
    EXPECT_TRUE(shown.contains(c.Shows)) << shown.toStdString();

    // The year files and nothing else are in the folder; what was there and kept is untouched.
    std::map<std::string, std::int32_t> written;
    for (const auto& entry : std::filesystem::directory_iterator(Years().toStdString())) {
        if (c.Existing != There::Nothing && entry.path() == existing) continue;
        MsgStore year;
        DefaultsType D;
        ASSERT_EQ(::OpenCollection(year, D, entry.path().string()), 0);
        written[entry.path().filename().string()] = year.MessageCount;
    }
    EXPECT_EQ(written, c.Files);
    if (c.Existing == There::File) {
        std::ifstream in(existing);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
    }
    if (c.Opened.isEmpty()) {
        EXPECT_EQ(Store.MessageCount, before + c.Added);
        // Marked modified only when the newest were kept or another file was imported.
        EXPECT_EQ(Store.Modified, c.Modified || c.Added > 0 || c.Choices.back() == 0);
    } else {
        EXPECT_EQ(QString::fromStdString(form.CurrentFile), Years() + "/" + c.Opened);
        EXPECT_EQ(Store.MessageCount, c.Files.at(c.Opened.toStdString()));
    }
}

const QString ByYear = "big.xml - Successful\r\n    written as one data file per year into Y, not into the collection:\r\n"
                       "    2019.kst: 2 messages\r\n";
const QString Unchanged = "The collection is unchanged.\r\n\r\nDo you want to open ";
const std::map<std::string, std::int32_t> BothYears = {{"2019.kst", 2}, {"2020.kst", 3}};

INSTANTIATE_TEST_SUITE_P(
    Choices, BackupDoesNotFitTest,
    ::testing::Values(
        FitCase{.Name = "keep the newest", .Choices = {0},
                .Kinds = "AskChoice ShowInfo",
                .Shows = "AskChoice: big.xml holds 5 new messages; the collection has room for 3.\r\n\r\nKeep the newest 3, "
                         "or write one data file per year into a folder and leave the collection as it is?\nShowInfo: 1 file(s) "
                         "imported: \r\nbig.xml - Successful\r\n",
                .Added = 3},
        FitCase{.Name = "a full collection keeps none", .Choices = {0}, .Room = 0,
                .Kinds = "AskChoice ShowInfo",
                .Shows = "AskChoice: big.xml holds 5 new messages; the collection is full.\r\n\r\nWrite one data file per year "
                         "into a folder and leave the collection as it is?"},
        FitCase{.Name = "one file per year, not opened", .Choices = {1}, .Folders = {"Y"}, .Open = {false},
                .Kinds = "AskChoice BrowseFolder AskYesNo",
                .Shows = "AskYesNo: " + ByYear + "    2020.kst: 3 messages\r\n" + Unchanged + "2020.kst now?",
                .Files = BothYears},
        FitCase{.Name = "the newest opened after the save question", .Choices = {1}, .Folders = {"Y"},
                .Saves = {SaveAnswer::No}, .Open = {true}, .Modified = true,
                .Kinds = "AskChoice BrowseFolder AskYesNo AskYesNoCancel",
                .Files = BothYears, .Opened = "2020.kst"},
        FitCase{.Name = "a file already there is kept", .Choices = {1}, .Folders = {"Y"}, .Saves = {SaveAnswer::No},
                .Open = {false}, .Existing = There::File,
                .Kinds = "AskChoice BrowseFolder AskYesNoCancel AskYesNo",
                .Shows = "AskYesNoCancel: These files are in Y already:\r\n2020.kst\r\n\r\nDo you want to replace them? No "
                         "leaves them as they are and writes the other years.\nAskYesNo: " + ByYear +
                         "    2020.kst: already there, left as it was\r\n" + Unchanged + "2019.kst now?",
                .Files = {{"2019.kst", 2}}},
        FitCase{.Name = "a year that cannot be written", .Choices = {1}, .Folders = {"Y"}, .Saves = {SaveAnswer::Yes},
                .Existing = There::Folder,
                .Kinds = "AskChoice BrowseFolder AskYesNoCancel ShowError AskYesNo",
                .Shows = "ShowError: Cannot write \"Y/2020.kst\": Is a directory\nAskYesNo: " + ByYear + "    2020.kst: not written",
                .Files = {{"2019.kst", 2}}},
        FitCase{.Name = "cancel after the folder choice was cancelled", .Choices = {1, 2}, .Folders = {""},
                .Kinds = "AskChoice BrowseFolder AskChoice"},
        FitCase{.Name = "cancel after a backup was written by year", .Choices = {1, 2}, .Folders = {"Y"},
                .Backups = {"big", "big"},
                .Kinds = "AskChoice BrowseFolder AskChoice ShowInfo",
                .Shows = "ShowInfo: The import was cancelled; the collection is as it was. These files were written "
                         "before:\r\nY/2019.kst\r\nY/2020.kst\r\n",
                .Files = BothYears},
        FitCase{.Name = "several files", .Choices = {1}, .Folders = {"Y"}, .Backups = {"one", "big"},
                .Kinds = "AskChoice BrowseFolder AskYesNo",
                .Shows = "AskChoice: big.xml holds 5 new messages; the collection has room for 2.\r\n\r\nKeep the newest 2, "
                         "or write",
                .Added = 1, .Files = BothYears}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// The media folder follows the collection: an import writes the backup's pictures beside
// the (untitled) data file, Save As copies them, a save lets go of those no message uses,
// New and Open switch folders.
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "FormFixture.h"
#include "Formats/MediaFolder.h"
#include "MBVars/Removal.h"

namespace {
namespace fs = std::filesystem;

// Three received MMS with a picture each ("QUJD" is "ABC", "REVG" "DEF"), the first and
// the last the same picture.
const char* const Backup =
    "<smses>"
    "<mms date=\"1700000060000\" msg_box=\"1\" address=\"5550100\"><parts><part ct=\"image/jpeg\" data=\"QUJD\"/>"
    "<part ct=\"text/plain\" text=\"one\"/></parts></mms>"
    "<mms date=\"1700000120000\" msg_box=\"1\" address=\"5550100\"><parts><part ct=\"image/png\" data=\"REVG\"/>"
    "<part ct=\"text/plain\" text=\"two\"/></parts></mms>"
    "<mms date=\"1700000180000\" msg_box=\"1\" address=\"5550100\"><parts><part ct=\"image/jpeg\" data=\"QUJD\"/>"
    "<part ct=\"text/plain\" text=\"three\"/></parts></mms>"
    "</smses>";

std::set<std::string> Files(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

class MediaDocumentTest : public FormTest {
protected:
    std::int32_t PositionOf(const std::string& text) const {
        for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
            if (Store.Messages[n].Text.ends_with(text)) return n;
        return 0;
    }
};

TEST_F(MediaDocumentTest, TheMediaFolderFollowsImportSaveAsSaveNewAndOpen) {
    TMBForm& form = Open();
    const std::string backup = ProgramFolder() + "/backup.xml";
    std::ofstream(backup) << Backup;
    form.ImportChosenFiles({QString::fromStdString(backup)});
    ASSERT_EQ(Store.MessageCount, 3);

    // Untitled: beside the untitled data file.
    const std::string untitled = ProgramFolder() + "/untitled.media";
    EXPECT_EQ(form.Media.Folder(), untitled);
    EXPECT_EQ(Files(untitled).size(), 2u);  // the repeated picture once, no index before a save
    const auto* first = form.Media.Find(Store.Messages[PositionOf("one")]);
    ASSERT_TRUE(first);
    EXPECT_TRUE(fs::exists(form.Media.PathOf(first->front())));

    const std::string saved = Documents.path().toStdString() + "/mine.kst";
    const std::string media = Documents.path().toStdString() + "/mine.media";
    Answers.FileAnswers.push_back({QString::fromStdString(saved)});
    ASSERT_TRUE(form.SaveCollectionAs());
    EXPECT_EQ(form.Media.Folder(), media);
    EXPECT_EQ(Files(media).size(), 3u);  // two pictures and the index

    // The picture only "two" had goes at the next save; the shared one stays with "three".
    for (const char* text : {"one", "two"}) Store.Messages[PositionOf(text)].Flags |= MsgDoomed;
    PurgeMarked(Store);
    form.SaveMainMenuClick();
    EXPECT_EQ(Files(media).size(), 2u);
    ASSERT_TRUE(form.Media.Find(Store.Messages[PositionOf("three")]));

    form.NewMainMenuClick();
    EXPECT_EQ(form.Media.Folder(), untitled);
    EXPECT_TRUE(form.Media.Empty());

    form.OpenDataFile(saved);
    EXPECT_EQ(form.Media.Folder(), media);
    ASSERT_EQ(Store.MessageCount, 1);
    const auto* three = form.Media.Find(Store.Messages[1]);
    ASSERT_TRUE(three);
    EXPECT_EQ(three->front().ContentType, "image/jpeg");
    EXPECT_TRUE(fs::exists(form.Media.PathOf(three->front())));
}

}  // namespace

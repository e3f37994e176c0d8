// SPDX-License-Identifier: GPL-3.0-or-later
// The web page export with the media of its messages: the page refers only to files that
// are in its folder, what cannot be shown says so, and nothing is half written.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "Formats/MessageMedia.h"
#include "Formats/WebPageFiles.h"
#include "OFuncs/IoError.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// An address of the page as a path: percent-escapes and character references undone.
std::string PathOfAddress(std::string address) {
    address = std::regex_replace(address, std::regex("&amp;"), "&");
    std::string path;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size()) {
            path += static_cast<char>(std::stoi(address.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += address[i];
        }
    }
    return path;
}

std::set<std::string> Addresses(const std::string& html) {
    std::set<std::string> found;
    const std::regex attribute("(?:src|href)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), attribute); it != std::sregex_iterator(); ++it)
        found.insert(PathOfAddress((*it)[1].str()));
    return found;
}

std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct WebPageFilesTest : ::testing::Test {
    TempDir Dir;
    MsgStore S;
    MediaIndex Index;
    MessageMedia Media;
    const std::string Jpeg = std::string(64, 'a') + ".jpg", Video = std::string(64, 'b') + ".3gp",
                      Heic = std::string(64, 'c') + ".heic", Lost = std::string(64, 'd') + ".png";

    void SetUp() override {
        const fs::path folder = Dir.Path() / "messages.media";
        fs::create_directories(folder);
        for (const std::string& name : {Jpeg, Video, Heic}) std::ofstream(folder / name) << "bytes of " << name;
        Index = MediaIndex(folder.string());
        Media.Index = &Index;
        AddMessage(S, "2024.05.01 10:00", "+15555550100", "Look\r\n[image]\r\n[video]");
        AddMessage(S, "2024.05.01 10:01", "+15555550100", "[image]\r\n[image]");
        AddMessage(S, "2024.05.01 10:02", "+15555550100", "Only words & no media");
        Renumber(S);
        Index.Set(S.Messages[1], {{Jpeg, "image/jpeg", "", 12, false}, {Video, "video/3gpp", "", 2'000'000, false}});
        Index.Set(S.Messages[2], {{Heic, "image/heic", "", 12, false}, {"", "image/jpeg", "", 0, true}, {Lost, "image/png", "", 9, false}});
    }
};

}  // namespace

TEST_F(WebPageFilesTest, ThePageRefersOnlyToFilesBesideIt) {
    const std::int32_t all[] = {1, 2, 3}, wordsOnly[] = {3};
    for (const char* name : {"plain.html", "a #1 %20?.html"}) {
        SCOPED_TRACE(name);
        const fs::path page = Dir.Path() / name;
        WriteWebPage(page.string(), S, all, ExportLook{}, &Media);
        const std::string html = Slurp(page);
        const fs::path folder = PageFilesFolder(page.string());
        EXPECT_EQ(folder.filename().string(), page.stem().string() + "_files");
        // Every address is a file there, and every file there is shown.
        std::set<std::string> referred;
        for (const std::string& address : Addresses(html)) {
            EXPECT_TRUE(fs::is_regular_file(page.parent_path() / address)) << address;
            referred.insert(fs::path(address).filename().string());
        }
        EXPECT_EQ(referred, (std::set<std::string>{Jpeg, Video, Heic}));
        EXPECT_EQ(FilesIn(folder), referred);
        EXPECT_EQ(Count(html, "<img "), 1u);  // the JPEG; the HEIC and the video are links
        EXPECT_EQ(Count(html, "Video, 3GPP, 1.9 MB"), 1u);
        EXPECT_EQ(Count(html, "picture could not be read"), 2u);  // the damaged and the lost one
        EXPECT_EQ(Slurp(folder / Jpeg), "bytes of " + Jpeg);
        // Exported again without media: the folder goes with its files.
        WriteWebPage(page.string(), S, wordsOnly, ExportLook{}, &Media);
        EXPECT_FALSE(fs::exists(folder));
        EXPECT_TRUE(Addresses(Slurp(page)).empty());
    }
}

TEST_F(WebPageFilesTest, AFolderThatCannotBeMadeLeavesThePageAsItWas) {
    const fs::path page = Dir.Path() / "page.html";
    std::ofstream(page) << "the old page";
    std::ofstream(Dir.Path() / "page_files") << "a file where the folder goes";
    const std::int32_t rows[] = {1};
    try {
        WriteWebPage(page.string(), S, rows, ExportLook{}, &Media);
        ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
        EXPECT_NE(e.Path().find("page_files"), std::string::npos) << e.Path();
    }
    EXPECT_EQ(Slurp(page), "the old page");
}

TEST(MediumCaptionTest, NamesKindTypeAndSize) {
    const struct {
        MediaItem Item;
        const char* Caption;
    } cases[] = {
        {{"f.jpg", "image/jpeg", "", 830, false}, "Picture, JPEG, 830 bytes"},
        {{"f.3gp", "video/3gpp", "", 43'008, false}, "Video, 3GPP, 42 KB"},
        {{"f.amr", "audio/AMR", "", 1'258'291, false}, "Audio, AMR, 1.2 MB"},
        {{"f.vcf", "text/x-vcard; charset=utf-8", "", 100, false}, "Contact card, VCARD, 100 bytes"},
        {{"f.bin", "application/octet-stream", "", 0, false}, "File, OCTET-STREAM, 0 bytes"},
        {{"", "image/jpeg", "", 0, true}, "picture could not be read"},
    };
    for (const auto& c : cases) EXPECT_EQ(MediumCaption(c.Item), c.Caption) << c.Item.ContentType;
}

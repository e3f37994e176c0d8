// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Lang/TimeValue.h"
#include "MBVars/Samples.h"
#include "OFuncs/IoError.h"
#include "support/FileTestHelpers.h"

namespace {

constexpr double Start = 46000.5;  // a fixed start moment

std::string ContactLine(int i) { return "+1555555" + std::to_string(100 + i) + "\tFirst" + std::to_string(i) + " Last"; }

std::string WordListText(int contacts, int texts) {
    std::string text;
    for (int i = 0; i < contacts; ++i) text += ContactLine(i) + "\r\n";
    for (int i = 0; i < texts; ++i) text += "Sample text number " + std::to_string(i) + "\n";
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

// The values of a line of quoted fields separated by commas.
std::vector<std::string> Fields(const std::string& line) {
    EXPECT_TRUE(line.size() >= 2 && line.front() == '"' && line.back() == '"') << line;
    std::vector<std::string> fields;
    const std::string inner = line.substr(1, line.size() - 2);
    std::size_t start = 0;
    for (std::size_t end; (end = inner.find("\",\"", start)) != std::string::npos; start = end + 3)
        fields.push_back(inner.substr(start, end - start));
    fields.push_back(inner.substr(start));
    return fields;
}

struct Samples {
    TempDir dir;
    std::string list;
    std::vector<std::string> paths;
};

void Write(Samples& s, const std::string& wordList, int maxLines = 1000, int linesPerFile = 2000) {
    WriteFileBytes(PathIn(s.dir, "words.txt"), wordList);
    std::mt19937 rng(5);
    s.list = WriteSampleFiles(PathIn(s.dir, "sample"), PathIn(s.dir, "words.txt"), Start, rng, maxLines, linesPerFile);
    s.paths = Lines(s.list);
}

}  // namespace

TEST(Samples, FourFilesFromFiftyContactsAndTwoHundredTexts) {
    Samples s;
    Write(s, WordListText(50, 200));
    ASSERT_EQ(s.paths.size(), 4u);
    EXPECT_EQ(s.paths[0], PathIn(s.dir, "sample_all_messages_from_phone_suite.csv"));
    EXPECT_EQ(s.paths[1], PathIn(s.dir, "sample_sent_messages_from_classic_suite.csv"));
    EXPECT_EQ(s.paths[2], PathIn(s.dir, "sample_inbox_messages_from_classic_suite.csv"));
    EXPECT_EQ(s.paths[3], PathIn(s.dir, "sample_contacts_from_classic_suite.csv"));

    std::set<std::string> firstTenNumbers, texts;
    for (int i = 0; i < 10; ++i) firstTenNumbers.insert("+1555555" + std::to_string(100 + i));
    for (int i = 0; i < 200; ++i) texts.insert("Sample text number " + std::to_string(i));

    // Where each form carries its status, number, time and text.
    struct Form {
        std::set<std::string> Statuses;
        std::size_t NumberField;
    };
    const Form forms[3] = {{{"5", "36"}, 2}, {{"submit"}, 3}, {{"deliver"}, 2}};
    std::set<std::string> statusesSeen;
    for (int file = 0; file < 3; ++file) {
        const auto lines = Lines(TempDir::Read(s.paths[file]));
        ASSERT_EQ(lines.size(), 2000u);
        for (const std::string& line : lines) {
            const auto f = Fields(line);
            ASSERT_EQ(f.size(), 8u) << line;
            EXPECT_EQ(f[0], "sms");
            EXPECT_TRUE(forms[file].Statuses.count(f[1])) << line;
            statusesSeen.insert(f[1]);
            EXPECT_TRUE(firstTenNumbers.count(f[forms[file].NumberField])) << line;
            for (std::size_t k : {2u, 3u, 4u, 6u})
                if (k != forms[file].NumberField) {
                    EXPECT_EQ(f[k], "") << line;
                }
            ASSERT_EQ(f[5].size(), 16u);
            const double t = TimeValue(f[5]);
            EXPECT_LE(t, Start);
            EXPECT_GE(t, Start - 365 - 1.0 / 1440);
            EXPECT_TRUE(texts.count(f[7])) << line;
        }
    }
    EXPECT_EQ(statusesSeen.size(), 4u);  // file 1 mixes received and sent lines

    const auto contacts = Lines(TempDir::Read(s.paths[3]));
    ASSERT_EQ(contacts.size(), 51u);
    EXPECT_EQ(contacts[0], "\"Title\",\"First name\",\"Middle name\",\"...\"");
    for (int i = 0; i < 50; ++i) {
        const auto f = Fields(contacts[static_cast<std::size_t>(i + 1)]);
        ASSERT_EQ(f.size(), 17u);
        EXPECT_EQ(f[2], "First" + std::to_string(i) + " Last");
        EXPECT_EQ(f[16], "+1555555" + std::to_string(100 + i));
    }
}

TEST(Samples, FewerThanFiveContactsUseTheFirstLine) {
    Samples s;
    Write(s, WordListText(4, 3), 1000, 100);
    ASSERT_EQ(s.paths.size(), 4u);
    for (int file = 0; file < 3; ++file)
        for (const std::string& line : Lines(TempDir::Read(s.paths[file])))
            EXPECT_NE(line.find("\"+1555555100\""), std::string::npos) << line;
}

TEST(Samples, ShortLinesDoNotCountAndTheListIsCutAtMaxLines) {
    Samples s;
    Write(s, "ab\n" + ContactLine(0) + "\nxyz\n\nText one\r\nText two\nText three\n", 3, 50);
    ASSERT_EQ(s.paths.size(), 4u);
    std::set<std::string> texts;
    for (const std::string& line : Lines(TempDir::Read(s.paths[1]))) texts.insert(Fields(line)[7]);
    EXPECT_EQ(texts, (std::set<std::string>{"Text one", "Text two"}));
}

TEST(Samples, ContactLinesWithoutTabAndLongNames) {
    Samples s;
    const std::string longName(300, 'n');
    Write(s, "+15555550100\t" + longName + "\n+15555550101 no tab\nHello there\n", 1000, 10);
    const auto contacts = Lines(TempDir::Read(s.paths[3]));
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(Fields(contacts[1])[2], std::string(255, 'n'));
    EXPECT_EQ(Fields(contacts[2])[2], "+15555550101 no tab");
    EXPECT_EQ(Fields(contacts[2])[16], "");
}

TEST(Samples, NothingIsWrittenWithoutAUsableWordList) {
    Samples s;
    std::mt19937 rng(1);
    EXPECT_EQ(WriteSampleFiles(PathIn(s.dir, "sample"), PathIn(s.dir, "absent.txt"), Start, rng), "");
    Write(s, WordListText(3, 0));  // contacts but no text to send
    EXPECT_EQ(s.list, "");
    Write(s, "");
    EXPECT_EQ(s.list, "");
    EXPECT_EQ(FileCount(s.dir), 1u);  // the word list only
}

TEST(Samples, AFolderThatCannotTakeTheFilesIsAnError) {
    TempDir dir;
    WriteFileBytes(PathIn(dir, "words.txt"), WordListText(5, 5));
    std::mt19937 rng(1);
    EXPECT_THROW(WriteSampleFiles(PathIn(dir, "missing/sample"), PathIn(dir, "words.txt"), Start, rng), IoError);
}

TEST(Samples, TheShippedWordListHasContactsThenTexts) {
    const std::string exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    const std::string path = FindWordList(exeDir);
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    std::istringstream in(TempDir::Read(path));
    int contacts = 0, texts = 0;
    for (std::string line; std::getline(in, line);) {
        ASSERT_GE(line.size(), 4u);
        ASSERT_EQ(line.find('"'), std::string::npos) << line;  // a quote would break the exports
        if (line[0] == '+') {
            EXPECT_EQ(texts, 0) << "contact lines come first";
            EXPECT_NE(line.find('\t'), std::string::npos) << line;
            ++contacts;
        } else {
            ++texts;
        }
    }
    EXPECT_GE(contacts, 50);
    EXPECT_GE(texts, 200);
}

TEST(Samples, TheWordListIsFoundBesideTheProgramElseInItsInstalledDataFolder) {
    const TempDir prefix;
    const std::filesystem::path bin = prefix.Path() / "bin";
    const std::filesystem::path data = (bin / KESTRO_DATA_DIR_FROM_BIN).lexically_normal();
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(data);
    const std::string beside = (bin / "kestro.txt").string();
    const std::string installed = (data / "kestro.txt").string();

    // Nothing anywhere below this prefix: the path beside the program names what is missing.
    if (!std::filesystem::exists(std::filesystem::path(KESTRO_DATA_DIR) / "kestro.txt")) {
        EXPECT_EQ(FindWordList(bin.string()), beside);
    }

    std::ofstream(installed) << "+15555550100\tAnna Berg\n";
    EXPECT_EQ(FindWordList(bin.string()), installed);
    std::ofstream(beside) << "+15555550101\tTom Hale\n";
    EXPECT_EQ(FindWordList(bin.string()), beside);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <string>

#include "MBVars/IniFile.h"
#include "MBVars/SettingsFile.h"
#include "OFuncs/IoError.h"
#include "support/FileTestHelpers.h"

namespace {

const char* const AllDefaults =
    "[General]\n"
    "Width=1067\n"
    "Height=635\n"
    "ConversationShown=0\n"
    "ConversationWidth=360\n"
    "DefaultDir=/home/ann/Documents/Kestro\n"
    "ImportDir=/home/ann/Documents/Kestro\n"
    "LastSavedFile=\n"
    "LastSavedRead=1\n"
    "RemoveDups=1\n"
    "UseHistory=1\n"
    "Flexible=0\n"
    "GridLines=0\n"
    "DateTimeFormat=yyyy.mm.dd hh:mm\n"
    "HintWait=100\n"
    "HintHideWait=5000\n"
    "TestMode=0\n"
    "HomeCountry=\n"
    "InternationalNumbers=0\n"
    "[Colors]\n"
    "DefaultColor=16777215\n"
    "SentColor=15780518\n"
    "ReceivedColor=12639424\n"
    "GridFixedColor=16777215\n"
    "HintColor=15793151\n"
    "ColorMode=2\n"
    "[Fonts]\n"
    "Sent=0\n"
    "Received=0\n"
    "[DefaultFont]\n"
    "Name=Verdana\n"
    "Style=B\n"
    "Height=-12\n"
    "Size=9\n"
    "Charset=1\n";

struct Loaded {
    Settings s;
    WindowSize window;
};

// Reads a settings file made of `text` into fresh settings.
Loaded ReadText(const std::string& text) {
    TempDir dir;
    WriteFileBytes(PathIn(dir, SettingsFileName), text);
    Loaded l;
    ReadSettingsFile(PathIn(dir, SettingsFileName), l.s, l.window);
    return l;
}

}  // namespace

TEST(SettingsFile, NoFileGivesTheDefaultsAndWritesTheExampleFile) {
    TempDir dir;
    const std::string path = PathIn(dir, SettingsFileName);
    Settings s;
    s.DefaultDir = s.ImportDir = "/home/ann/Documents/Kestro";
    WindowSize window;
    ReadSettingsFile(path, s, window);
    const DefaultsType& d = s.Defaults;
    EXPECT_EQ(d.DefaultColor, 16777215);
    EXPECT_EQ(d.HintHideWait, 5000);
    EXPECT_EQ(d.ColorMode, 2);
    EXPECT_TRUE(d.LastSavedRead && d.RemoveDups && d.UseHistory && !d.Flexible && !d.GridLines);
    EXPECT_EQ(d.DateTimeFormat, "yyyy.mm.dd hh:mm");
    EXPECT_EQ(d.DefaultFont->Name, "Verdana");
    EXPECT_TRUE(d.DefaultFont->Bold);
    EXPECT_EQ(d.DefaultFont->Height, -12);
    EXPECT_EQ(d.DefaultFont->Size, 9);
    EXPECT_EQ(d.DefaultFont->Charset, 1);

    ASSERT_EQ(WriteSettingsFile(path, s, window), 0);
    EXPECT_EQ(TempDir::Read(path), AllDefaults);
    // Written again over itself, the file stays the same.
    ASSERT_EQ(WriteSettingsFile(path, s, window), 0);
    EXPECT_EQ(TempDir::Read(path), AllDefaults);
}

TEST(SettingsFile, IntegerValueForms) {
    EXPECT_EQ(ParseSettingInt("0xFF0000"), 16711680);
    EXPECT_EQ(ParseSettingInt("0Xff"), 255);
    EXPECT_EQ(ParseSettingInt("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseSettingInt("-12"), -12);
    EXPECT_EQ(ParseSettingInt("+7"), 7);
    for (const char* bad : {"", "FF0000", "0x", "0x1G", "0x100000000", "12abc", "99999999999", "-", "+-1", " "})
        EXPECT_FALSE(ParseSettingInt(bad).has_value()) << bad;

    const Loaded hex = ReadText("[Colors]\nDefaultColor=0xFF0000\nSentColor=FF0000\n");
    EXPECT_EQ(hex.s.Defaults.DefaultColor, 16711680);
    EXPECT_EQ(hex.s.Defaults.SentColor, 15780518);
}

TEST(SettingsFile, BooleansAreWrittenBackAsOneOrZero) {
    TempDir dir;
    const std::string path = PathIn(dir, SettingsFileName);
    WriteFileBytes(path, "[general]\ngridlines = 2\nremovedups=0\ninternationalnumbers=1\n");
    Settings s;
    WindowSize window;
    ReadSettingsFile(path, s, window);
    EXPECT_TRUE(s.Defaults.GridLines);
    EXPECT_FALSE(s.Defaults.RemoveDups);
    EXPECT_TRUE(s.Defaults.InternationalNumbers);
    ASSERT_EQ(WriteSettingsFile(path, s, window), 0);
    const std::string text = TempDir::Read(path);
    EXPECT_NE(text.find("InternationalNumbers=1\n"), std::string::npos);
    EXPECT_NE(text.find("GridLines=1\n"), std::string::npos);
    EXPECT_NE(text.find("RemoveDups=0\n"), std::string::npos);
}

TEST(SettingsFile, FontStyleLettersAndSize) {
    const Loaded ib = ReadText("[DefaultFont]\nStyle=IB\n");
    const FontData& f = *ib.s.Defaults.DefaultFont;
    EXPECT_TRUE(f.Bold && f.Italic && !f.Underline);
    TempDir dir;
    ASSERT_EQ(WriteSettingsFile(PathIn(dir, SettingsFileName), ib.s, ib.window), 0);
    EXPECT_NE(TempDir::Read(PathIn(dir, SettingsFileName)).find("Style=BI\n"), std::string::npos);

    const auto lower = ReadText("[DefaultFont]\nStyle=b\n").s.Defaults.DefaultFont;
    EXPECT_FALSE(lower->Bold || lower->Italic || lower->Underline);

    const auto sized = ReadText("[DefaultFont]\nHeight=-20\nSize=8\n").s.Defaults.DefaultFont;
    EXPECT_EQ(sized->Size, 8);
    EXPECT_EQ(sized->Height, -11);
    // Without a size key the default size decides over the height.
    EXPECT_EQ(ReadText("[DefaultFont]\nHeight=-20\n").s.Defaults.DefaultFont->Size, 9);

    FontData font;
    SetFontHeight(font, -16);
    EXPECT_EQ(font.Size, 12);
    SetFontSize(font, 10);
    EXPECT_EQ(font.Height, -13);
}

TEST(SettingsFile, TextValues) {
    const Loaded empty = ReadText("[General]\nDateTimeFormat=\nLastSavedFile=  /home/ann/a b.kst  \n");
    EXPECT_EQ(empty.s.Defaults.DateTimeFormat, "");
    EXPECT_EQ(empty.s.Defaults.LastSavedFile, "/home/ann/a b.kst");
    const Loaded longText = ReadText("[General]\nLastSavedFile=" + std::string(5000, 'x') + "\n");
    EXPECT_EQ(longText.s.Defaults.LastSavedFile.size(), 2047u);
}

TEST(SettingsFile, ALongValueCutAtABlankReadsTheSameAfterWriting) {
    TempDir dir;
    const std::string path = PathIn(dir, SettingsFileName);
    WriteFileBytes(path, "[General]\nLastSavedFile=" + std::string(2045, 'x') + " \tand more\n");
    Loaded first;
    ReadSettingsFile(path, first.s, first.window);
    EXPECT_EQ(first.s.Defaults.LastSavedFile, std::string(2045, 'x'));
    ASSERT_EQ(WriteSettingsFile(path, first.s, first.window), 0);
    const std::string written = TempDir::Read(path);
    Loaded second;
    ReadSettingsFile(path, second.s, second.window);
    EXPECT_EQ(second.s.Defaults.LastSavedFile, first.s.Defaults.LastSavedFile);
    ASSERT_EQ(WriteSettingsFile(path, second.s, second.window), 0);
    EXPECT_EQ(TempDir::Read(path), written);
}

TEST(SettingsFile, OutOfRangeValuesAreBroughtIntoRange) {
    const Loaded l = ReadText(
        "[General]\nWidth=-5\nHeight=0\nHintWait=-1\nHintHideWait=-100\nTestMode=-3\n"
        "[Colors]\nColorMode=7\n[Fonts]\nSent=4\nReceived=-1\n"
        "[DefaultFont]\nCharset=300\nSize=0\n");
    const DefaultsType& d = l.s.Defaults;
    EXPECT_EQ(l.window.Width, 1067);
    EXPECT_EQ(l.window.Height, 635);
    EXPECT_EQ(d.HintWait, 0);
    EXPECT_EQ(d.HintHideWait, 0);
    EXPECT_EQ(d.TestMode, 0);
    EXPECT_EQ(d.ColorMode, 2);
    EXPECT_EQ(d.SentFont, 0);
    EXPECT_EQ(d.ReceivedFont, 0);
    EXPECT_EQ(d.DefaultFont->Charset, 255);
    EXPECT_EQ(d.DefaultFont->Size, 9);
    EXPECT_EQ(ReadText("[DefaultFont]\nCharset=-4\n").s.Defaults.DefaultFont->Charset, 0);
}

TEST(SettingsFile, UnknownKeysStayOnlyInTheFontSection) {
    TempDir dir;
    const std::string path = PathIn(dir, SettingsFileName);
    WriteFileBytes(path,
                   "; my notes\r\n[Extra]\r\nKeep=1\r\n[General]\r\nOdd=1\r\nWidth=800\r\n[Colors]\r\nOdd=2\r\n"
                   "[Fonts]\r\nOdd=3\r\n[DefaultFont]\r\nPitch=fixed\r\nName=Tahoma\r\n[General]\r\nOdd=4\r\n");
    Settings s;
    WindowSize window;
    ReadSettingsFile(path, s, window);
    EXPECT_EQ(window.Width, 800);
    EXPECT_EQ(s.Defaults.DefaultFont->Name, "Tahoma");
    ASSERT_EQ(WriteSettingsFile(path, s, window), 0);
    const std::string text = TempDir::Read(path);
    EXPECT_EQ(text.find("Odd="), std::string::npos);
    EXPECT_NE(text.find("Pitch=fixed\n"), std::string::npos);
    EXPECT_NE(text.find("[Extra]\nKeep=1\n"), std::string::npos);
    EXPECT_NE(text.find("; my notes\n"), std::string::npos);
    // The sections keep their places; the second [General] is gone.
    EXPECT_LT(text.find("[General]"), text.find("[Colors]"));
    EXPECT_EQ(text.find("[General]"), text.rfind("[General]"));
    EXPECT_LT(text.find("Name=Tahoma\nStyle="), text.find("Charset=1\n"));
}

TEST(SettingsFile, LineBreaksInValuesCannotOpenSections) {
    TempDir dir;
    const std::string path = PathIn(dir, SettingsFileName);
    Settings s;
    s.Defaults.DateTimeFormat = "dd\r\n[Colors]\nColorMode=0";
    WindowSize window;
    ASSERT_EQ(WriteSettingsFile(path, s, window), 0);
    Settings back;
    ReadSettingsFile(path, back, window);
    EXPECT_EQ(back.Defaults.ColorMode, 0);  // the record's own value, not an injected one
    EXPECT_EQ(back.Defaults.DateTimeFormat, "dd  [Colors] ColorMode=0");
}

TEST(SettingsFile, AnyBytesStartUp) {
    std::mt19937 rng(11);
    for (int round = 0; round < 100; ++round) {
        std::string noise(std::uniform_int_distribution<int>(0, 2000)(rng), '\0');
        const char alphabet[] = "[]=\r\n xX0123456789ABGeneralColorsFontsDefaultFontSizeHeightStyle\t";
        for (char& c : noise) c = rng() % 4 ? alphabet[rng() % (sizeof alphabet - 1)] : static_cast<char>(rng());
        const Loaded l = ReadText(noise);
        EXPECT_LE(l.s.Defaults.ColorMode, 2);
        EXPECT_LE(l.s.Defaults.SentFont, 3);
        EXPECT_GE(l.s.Defaults.DefaultFont->Charset, 0);
        EXPECT_LE(l.s.Defaults.DefaultFont->Charset, 255);
    }
}

TEST(SettingsFile, AFailedWriteReportsAndKeepsTheOldFile) {
    TempDir dir;
    Settings s;
    WindowSize window;
    EXPECT_EQ(WriteSettingsFile(PathIn(dir, "missing/Kestro.cfg"), s, window), ENOENT);
    const std::string path = PathIn(dir, SettingsFileName);
    WriteFileBytes(path, std::string(AllDefaults) + "[Big]\n" + std::string(8000, 'k') + "\n");
    const std::string before = TempDir::Read(path);
    {
        FileSizeCap cap(4096);
        EXPECT_NE(WriteSettingsFile(path, s, window), 0);
    }
    EXPECT_EQ(TempDir::Read(path), before);
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(SettingsFile, OnlyRegularFilesOfSaneSizeAreReadAndAnUnreadableOneIsLeftAlone) {
    TempDir dir;
    const std::string path = PathIn(dir, SettingsFileName);
    Settings s;
    WindowSize window;
    EXPECT_EQ(ReadSettingsFile(path, s, window), ENOENT);  // a first start

    // A pipe nobody writes to neither blocks the start nor is replaced at the close.
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(ReadSettingsFile(path, s, window), NotRegularFileCode);
    EXPECT_EQ(s.Defaults.HintWait, 100);  // the defaults
    EXPECT_EQ(WriteSettingsFile(path, s, window), NotRegularFileCode);
    EXPECT_TRUE(std::filesystem::is_fifo(path));
    std::filesystem::remove(path);

    // A link to an endless device, and a huge sparse file, are refused unread.
    std::filesystem::create_symlink("/dev/zero", path);
    EXPECT_EQ(ReadSettingsFile(path, s, window), NotRegularFileCode);
    std::filesystem::remove(path);
    WriteFileBytes(path, std::string(AllDefaults) + "[Mine]\nKeep=1\n");
    std::filesystem::resize_file(path, std::uintmax_t(1) << 40);
    EXPECT_EQ(ReadSettingsFile(path, s, window), EFBIG);
    EXPECT_EQ(WriteSettingsFile(path, s, window), EFBIG);
    EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t(1) << 40);  // left alone
    EXPECT_EQ(FileErrorReason(EFBIG), "File too large");
}

TEST(IniFile, ProfileRules) {
    IniFile ini;
    ini.Parse("[One]\nA = 1\n\n[two]\nb=2\nb=3\n[One]\nA=9\nC=4\n");
    EXPECT_EQ(ini.Get("one", "a"), "1");    // first section, any case
    EXPECT_EQ(ini.Get("TWO", "B"), "2");    // first key
    EXPECT_FALSE(ini.Get("One", "C"));      // only the first section of a name is read
    EXPECT_FALSE(ini.Get("Three", "A"));
    ini.Set("one", "D", "5");
    ini.Set("Three", "E", "6");
    EXPECT_EQ(ini.Text(), "[One]\nA = 1\nD=5\n\n[two]\nb=2\nb=3\n[One]\nA=9\nC=4\n[Three]\nE=6\n");
    ini.EraseSection("ONE");
    EXPECT_EQ(ini.Text(), "[two]\nb=2\nb=3\n[Three]\nE=6\n");
}

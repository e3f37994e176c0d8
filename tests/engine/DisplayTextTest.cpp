// SPDX-License-Identifier: GPL-3.0-or-later
// Stored bytes as shown: UTF-8 when they are, Windows-1252 otherwise; typed text stored
// back; case folding and character counts, each against ICU's own whole-text routines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "OFuncs/CaseFold.h"
#include "OFuncs/CharCount.h"
#include "OFuncs/DisplayText.h"
#include "support/LiteralReference.h"

namespace {
std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Texts made of pieces that matter here: ASCII, Windows-1252 bytes, the five pairs of the
// display form, letters of several scripts, letters that fold to several, combining marks,
// emoji with modifiers and joiners, flags, Hangul, CR LF, and bytes that break UTF-8.
const std::vector<std::string> Pieces = {
    "a", "Z", " ", "\r", "\n", "\r\n", "\xE9", "\xC4", "\x80", "\x9F", "\xFF", "\xC3", "\xC3\x84", "\xC3\xA5",
    "\xC3\xA9", "\xD0\x96", "\xD0\xB6", "\xCE\xA3", "\xCF\x82", "\xC3\x9F", "\xC4\xB0", "\xC4\xB1", "\xE1\xBA\x9E",
    "\xEF\xAC\x83", "\xCE\x90", "\xCC\x81", "\xE2\x80\x8D", "\xEF\xB8\x8F", "\xF0\x9F\x91\x8D", "\xF0\x9F\x8F\xBD",
    "\xF0\x9F\x87\xB8", "\xF0\x9F\x87\xAA", "\xEA\xB0\x80", "\xE1\x84\x80", "\xE0\xA4\xA8", "\xE0\xA5\x8D",
    "\xE1\x85\xA1", "\xE1\x86\xA8", "\xEA\xB0\x81", "\xD8\x80", "\xE0\xA4\x83", "\xE2\x9D\xA4", "\xE2\x80\x8B",
    "\xC2\xA9", "\x01", "\xF0\x9F\x91\xA9", "\xF0\x9F\x8F\xBB",
    "\xF0\x90\x90\x80", "\xE2\x84\xAA", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF0\x9F"};

std::string RandomText(std::mt19937& rng, int maxPieces, bool validOnly) {
    std::string s;
    const int count = std::uniform_int_distribution<int>(0, maxPieces)(rng);
    while (static_cast<int>(s.size()) < count) {
        const std::string& piece = Pieces[std::uniform_int_distribution<std::size_t>(0, Pieces.size() - 1)(rng)];
        if (validOnly && !Literal::IsUtf8(piece)) continue;
        s += piece;
    }
    return s;
}
}  // namespace

TEST(DisplayText, Utf8IsRecognisedExactlyAsIcuRecognisesIt) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII text, longer than eight bytes"));
    EXPECT_TRUE(IsValidUtf8("\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    for (const char* bad : {"\xE9", "caf\xE9 au lait", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                            "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xD0", "abcdefgh\xE2\x82",
                            "\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        std::string s = RandomText(rng, 24, false);
        if (i % 3 == 0)  // random bytes too
            for (char& c : s) c = static_cast<char>(rng());
        ASSERT_EQ(IsValidUtf8(s), Literal::IsUtf8(s)) << i;
    }
}

TEST(DisplayText, ShownTextsEqualTheWholeTextRule) {
    // UTF-8 as it is; otherwise the display form's five letters, then Windows-1252.
    EXPECT_EQ(DisplayMessageUtf8("caf\xC3\xA9 \xD0\x96"), "caf\xC3\xA9 \xD0\x96");
    EXPECT_EQ(DisplayMessageUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(DisplayMessageUtf8("\xC3\xA4 \xC3\xA9 \xE9"), "\xC3\xA4 \xC3\x83\xC2\xA9 \xC3\xA9");
    EXPECT_EQ(DisplayUtf8("\xC3\xA4 \xE9"), "\xC3\x83\xC2\xA4 \xC3\xA9");  // a name is not normalised
    // The five letters look the same whichever way they were stored.
    for (const std::string pair : {"\xC3\x84", "\xC3\x96", "\xC3\xA4", "\xC3\xB6", "\xC3\xA5"}) {
        EXPECT_EQ(DisplayMessageUtf8(pair), pair);
        EXPECT_EQ(DisplayMessageUtf8(pair + "\xE9"), pair + "\xC3\xA9");
    }
    std::mt19937 rng(12);
    std::string buffer = "left over";
    for (int i = 0; i < 20000; ++i) {
        const std::string s = RandomText(rng, 24, false);
        DisplayMessageUtf8Into(s, buffer);
        ASSERT_EQ(buffer, Literal::ShownMessage(s)) << i;
        ASSERT_EQ(DisplayUtf8(s), Literal::Shown(s)) << i;
        ASSERT_TRUE(IsValidUtf8(buffer));
    }
}

TEST(DisplayText, TypedTextIsStoredAsWindows1252OnlyWhenItShowsAgainAsTyped) {
    EXPECT_EQ(StoredFromUtf8("Bj\xC3\xB6rn \xE2\x82\xAC"), "Bj\xF6rn \x80");            // Björn €
    EXPECT_EQ(StoredFromUtf8("\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0"), "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0");  // Анна
    EXPECT_EQ(StoredFromUtf8("smile \xF0\x9F\x98\x80"), "smile \xF0\x9F\x98\x80");
    EXPECT_EQ(StoredFromUtf8("plain"), "plain");
    // "Ã©" in Windows-1252 is C3 A9, which reads as é: so it is stored as UTF-8.
    EXPECT_EQ(StoredFromUtf8("\xC3\x83\xC2\xA9"), "\xC3\x83\xC2\xA9");
    // "Ã„é" would show as "Äé" in a message (the display form): UTF-8 as well.
    EXPECT_EQ(StoredFromUtf8("\xC3\x83\xE2\x80\x9E\xC3\xA9"), "\xC3\x83\xE2\x80\x9E\xC3\xA9");
    std::mt19937 rng(13);
    for (int i = 0; i < 20000; ++i) {
        const std::string typed = RandomText(rng, 16, true);
        const std::string stored = StoredFromUtf8(typed);
        ASSERT_EQ(DisplayUtf8(stored), typed) << i;
        ASSERT_EQ(DisplayMessageUtf8(stored), typed) << i;
        ASSERT_EQ(stored.find('?'), typed.find('?'));
    }
}

TEST(DisplayText, CutsNeverSplitACharacter) {
    std::string cyrillic;  // 15 two-byte letters and a space: 31 bytes
    for (int i = 0; i < 15; ++i) cyrillic += "\xD0\x96";
    cyrillic.insert(10, " ");
    EXPECT_EQ(CutOnCharBoundary(cyrillic, 30), cyrillic.substr(0, 29));
    EXPECT_EQ(CutOnCharBoundary(cyrillic, 31), cyrillic);
    EXPECT_EQ(CutOnCharBoundary("ab\xF0\x9F\x98\x80", 5), "ab");
    EXPECT_EQ(CutOnCharBoundary("ab\xF0\x9F\x98\x80", 6), "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(CutOnCharBoundary(std::string(31, '\xE9'), 30), std::string(30, '\xE9'));  // Windows-1252
    std::mt19937 rng(14);
    for (int i = 0; i < 5000; ++i) {
        const std::string s = RandomText(rng, 40, true);
        const std::size_t most = std::uniform_int_distribution<std::size_t>(0, 40)(rng);
        const std::string_view cut = CutOnCharBoundary(s, most);
        ASSERT_LE(cut.size(), most);
        ASSERT_TRUE(IsValidUtf8(cut));
        ASSERT_EQ(s.compare(0, cut.size(), cut), 0);
        ASSERT_TRUE(cut.size() == s.size() || cut.size() + 4 > most);  // no more lost than one character
    }
}

TEST(CaseFold, EveryCodePointFoldsAsIcuFoldsItsWholeText) {
    std::string chunk;
    for (char32_t c = 0; c < 0x110000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        chunk += Utf8Of(c);
        if (chunk.size() > 8000 || c == 0x10FFFF) {
            ASSERT_EQ(FoldCase(chunk), Literal::Fold(chunk)) << std::hex << static_cast<unsigned>(c);
            chunk.clear();
        }
    }
}

TEST(CaseFold, RandomTextsAndScripts) {
    EXPECT_EQ(FoldCase("Stra\xC3\x9F" "e \xCE\xA3\xCE\x9F\xCE\xA3 \xD0\x9C\xD0\x98\xD0\xA0"),
              "strasse \xCF\x83\xCE\xBF\xCF\x83 \xD0\xBC\xD0\xB8\xD1\x80");  // strasse σοσ мир
    EXPECT_EQ(FoldCase("\xC4\xB0I\xC4\xB1"), "i\xCC\x87i\xC4\xB1");  // İIı: i with a dot, i, ı
    std::mt19937 rng(15);
    std::string buffer = "left over";
    for (int i = 0; i < 20000; ++i) {
        const std::string s = RandomText(rng, 24, true);
        FoldCaseInto(s, buffer);
        ASSERT_EQ(buffer, Literal::Fold(s)) << i;
    }
}

TEST(CaseFold, AShownMessageFoldsInOnePassAsItsShownText) {
    std::mt19937 rng(17);
    std::string buffer = "left over";
    for (int i = 0; i < 20000; ++i) {
        const std::string s = RandomText(rng, 40, i % 3 == 0);
        FoldShownMessageInto(s, buffer);
        ASSERT_EQ(buffer, Literal::Fold(Literal::ShownMessage(s))) << i;
    }
    std::string every;  // every byte, and the five pairs
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    every += "\xC3\x84\xC3\x96\xC3\xA4\xC3\xB6\xC3\xA5\xC3";
    FoldShownMessageInto(every, buffer);
    EXPECT_EQ(buffer, Literal::Fold(Literal::ShownMessage(every)));
}

TEST(CharCount, CountsWhatIsShown) {
    EXPECT_EQ(DisplayCharCount("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"), 6);  // Привет
    EXPECT_EQ(DisplayCharCount("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"), 1);                    // thumbs up, skin tone
    EXPECT_EQ(DisplayCharCount("\xF0\x9F\x87\xB8\xF0\x9F\x87\xAA!"), 2);                   // a flag and "!"
    EXPECT_EQ(DisplayCharCount("e\xCC\x81t\xC3\xA9"), 3);                                  // é twice, two ways
    EXPECT_EQ(DisplayCharCount("a\r\nb"), 4);
    EXPECT_EQ(DisplayCharCount("caf\xE9"), 4);
    EXPECT_EQ(DisplayCharCount("\xC3\xA4\xC3\xA9\xE9"), 4);  // not UTF-8: the display form's bytes
    EXPECT_EQ(DisplayCharCount(""), 0);
    std::mt19937 rng(16);
    for (int i = 0; i < 20000; ++i) {
        const std::string s = RandomText(rng, 24, i % 2 == 0);
        ASSERT_EQ(DisplayCharCount(s), Literal::CharCount(s)) << i;
    }
    // Dense runs of the characters that join: pictographs, extenders, joiners, flags'
    // halves, Hangul jamo and syllables, prepended and spacing marks, controls.
    const std::vector<std::string> joiners = {
        "a", "\r", "\n", "\x01", "\xF0\x9F\x91\xA9", "\xE2\x9D\xA4", "\xC2\xA9", "\xCC\x81", "\xEF\xB8\x8F",
        "\xF0\x9F\x8F\xBD", "\xE2\x80\x8D", "\xF0\x9F\x87\xB8", "\xE1\x84\x80", "\xE1\x85\xA1",
        "\xE1\x86\xA8", "\xEA\xB0\x80", "\xEA\xB0\x81", "\xD8\x80", "\xE0\xA4\x83",
        "Hello, world ", "see you at 7\x7F", "tab\tand more text"};
    for (int i = 0; i < 50000; ++i) {
        std::string s;
        const int count = std::uniform_int_distribution<int>(0, 10)(rng);
        for (int k = 0; k < count; ++k) s += joiners[std::uniform_int_distribution<std::size_t>(0, joiners.size() - 1)(rng)];
        ASSERT_EQ(DisplayCharCount(s), Literal::CharCount(s)) << i;
    }
}

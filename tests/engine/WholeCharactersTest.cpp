// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "OFuncs/WholeCharacters.h"

namespace {

// True when every sequence in text is complete and well-formed UTF-8.
bool IsWholeUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace

TEST(WholeCharacters, ShortAndPlainTextsAreCutAtTheBudget) {
    EXPECT_EQ(CutToWholeCharacters("Mia Chen", 30), "Mia Chen");
    const std::string forty(40, 'x');
    EXPECT_EQ(CutToWholeCharacters(forty, 30), std::string(30, 'x'));
    EXPECT_EQ(CutToWholeCharacters(std::string(30, 'y'), 30), std::string(30, 'y'));
    EXPECT_EQ(CutToWholeCharacters("abc", 0), "");
}

TEST(WholeCharacters, ASequenceAcrossTheCutGoesWhole) {
    const std::string name28 = std::string(28, 'a');
    // Two bytes ending exactly at the budget stay; one more byte would split the next.
    EXPECT_EQ(CutToWholeCharacters(name28 + "\xC3\xA9" + "z", 30), name28 + "\xC3\xA9");
    EXPECT_EQ(CutToWholeCharacters(std::string(29, 'a') + "\xC3\xA9", 30), std::string(29, 'a'));
    // Three- and four-byte letters crossing the cut at each of their inner bytes.
    for (const std::string& letter : {std::string("\xE2\x82\xAC"), std::string("\xF0\x9F\x98\x80")})
        for (std::size_t before = 30 - letter.size() + 1; before < 30; ++before) {
            const std::string text = std::string(before, 'b') + letter + "tail";
            EXPECT_EQ(CutToWholeCharacters(text, 30), std::string(before, 'b')) << before;
        }
}

TEST(WholeCharacters, EightBitLettersThatFormNoSequenceAreSingleCharacters) {
    // Windows-1252 "é" (E9) followed by a plain letter is no sequence: cut at the budget.
    const std::string text = std::string(29, 'c') + "\xE9" "d\xE9";
    EXPECT_EQ(CutToWholeCharacters(text, 30), std::string(29, 'c') + "\xE9");
    // A lone continuation byte is one character as well.
    EXPECT_EQ(CutToWholeCharacters(std::string(29, 'c') + "\xA9\xA9", 30), std::string(29, 'c') + "\xA9");
}

TEST(WholeCharacters, RandomUtf8NamesStayWholeAndAsLongAsTheyCan) {
    const char* const letters[] = {"a", "Z", " ", "\xC3\xA4", "\xC3\xB6", "\xD0\x96", "\xE2\x82\xAC", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"};
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int count = 1 + static_cast<int>(rng() % 25);
        for (int i = 0; i < count; ++i) text += letters[rng() % 9];
        const std::string_view cut = CutToWholeCharacters(text, 30);
        ASSERT_EQ(text.compare(0, cut.size(), cut), 0);
        ASSERT_LE(cut.size(), 30u);
        ASSERT_TRUE(IsWholeUtf8(cut)) << text;
        // Nothing more is dropped than the one letter that did not fit.
        if (text.size() > 30) ASSERT_GE(cut.size(), 27u);
        else ASSERT_EQ(cut.size(), text.size());
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "MBVars/Search.h"
#include "OFuncs/CaseFold.h"
#include "OFuncs/DisplayText.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"

namespace {
bool Found(const MsgStore& S, int n) { return (S.Messages[static_cast<std::size_t>(n)].Flags & MsgFound) != 0; }

// Pieces of UTF-8 in several scripts, Windows-1252 bytes, the five pairs of the display
// form, letters that fold to several and pieces that break UTF-8, put together at random.
std::string RandomText(std::mt19937& rng, int maxPieces) {
    static const std::vector<std::string> pieces = {
        "a", "A", "b", "B", " ", "i", "I", "s", "S", "\xC3\x84", "\xC3\xA4", "\xE4", "\xC4", "\x8C", "\x9C", "\x9F",
        "\xFF", "\xDF", "\xC3", "\xD0\x96", "\xD0\xB6", "\xCE\xA3", "\xCF\x82", "\xC3\x9F", "\xC4\xB0", "\xC4\xB1",
        "\xE1\xBA\x9E", "\xEF\xAC\x83", "\xCE\x90", "\xF0\x9F\x98\x80", "\xF0\x90\x90\x80", "\xE2\x84\xAA", "\x80", "\xED\xA0\x80"};
    std::string s;
    const int count = std::uniform_int_distribution<int>(0, maxPieces)(rng);
    for (int i = 0; i < count; ++i) s += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(rng)];
    return s;
}

std::string FoundList(const MsgStore& S) {
    std::string out;
    for (int n = 1; n <= S.MessageCount; ++n) out += Found(S, n) ? '1' : '0';
    return out;
}
}  // namespace

TEST(MarkFound, TextSearchIgnoresLetterCaseBeyondAToZ) {
    MsgStore S;
    AddMessage(S, "2007.03.15 18:07", "+15555550100", "Hello WORLD");
    AddMessage(S, "2007.03.15 18:08", "+15555550101", "\xC5sa and \xD6rjan");        // Åsa, Örjan
    AddMessage(S, "2007.03.15 18:09", "+15555550102", "\xC3\x84pple from UTF-8");   // Äpple
    AddMessage(S, "2007.03.15 18:10", "+15555550103", "\x8C" "uvre \x8A" "arka");  // Œuvre Šarka
    AddMessage(S, "2007.03.15 18:11", "+15555550104", "nothing here");
    EXPECT_EQ(MarkFound(S, FetchByText, "world"), 1);
    EXPECT_EQ(FoundList(S), "10000");
    EXPECT_EQ(MarkFound(S, FetchByText, "hELLO w"), 1);
    EXPECT_EQ(MarkFound(S, FetchByText, "\xE5SA"), 1);  // åSA
    EXPECT_EQ(FoundList(S), "01000");
    EXPECT_EQ(MarkFound(S, FetchByText, "\xF6rj"), 1);
    EXPECT_EQ(MarkFound(S, FetchByText, "\xC4PP"), 1);  // the UTF-8 letter counts as its Latin-1 one
    EXPECT_EQ(FoundList(S), "00100");
    EXPECT_EQ(MarkFound(S, FetchByText, "\x9C" "uvre \x9A"), 1);
    EXPECT_EQ(FoundList(S), "00010");
    EXPECT_EQ(MarkFound(S, FetchByText, " "), 5);
    EXPECT_EQ(MarkFound(S, FetchByText, "missing"), 0);
    EXPECT_EQ(FoundList(S), "00000");
}

TEST(MarkFound, NameModeIsExactAndEmptyTextMarksEverything) {
    MsgStore S;
    AddMessage(S, "2007.03.15 18:07", "+15555550100", "a", MsgSent, "Ann");
    AddMessage(S, "2007.03.15 18:08", "+15555550101", "b", MsgReceived, "ann");
    AddMessage(S, "2007.03.15 18:09", "+15555550102", "c", MsgReceived, "Anna");
    AddMessage(S, "2007.03.15 18:10", "+15555550103", "d", MsgSent, "Ann");
    S.Modified = false;
    EXPECT_EQ(MarkFound(S, FetchByName, "Ann"), 2);
    EXPECT_EQ(FoundList(S), "1001");
    EXPECT_EQ(MarkFound(S, FetchByName, ""), 4);
    EXPECT_EQ(MarkFound(S, FetchByText, ""), 4);
    EXPECT_EQ(MarkFound(S, 4, "Ann"), 0);  // no such mode: nothing matches
    EXPECT_EQ(FoundList(S), "0000");
    EXPECT_FALSE(S.Modified);
    // Only the found bit changes.
    EXPECT_EQ(S.Messages[1].Flags, MsgSent);
    EXPECT_EQ(S.Messages[2].Flags, MsgReceived);
}

TEST(MarkFound, TextModeFollowsTheShownTextInEveryScript) {
    MsgStore S;
    AddMessage(S, "2007.03.15 18:07", "+15555550100", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\x9C\xD0\xB8\xD1\x80");  // Привет Мир
    AddMessage(S, "2007.03.15 18:08", "+15555550101", "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 \xCF\x83\xCE\xBF\xCF\x82");  // Καλημέρα σος
    AddMessage(S, "2007.03.15 18:09", "+15555550102", "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 G\xC4\x99\xC5\x9Bl\xC4\x85");  // Zażółć Gęślą
    AddMessage(S, "2007.03.15 18:10", "+15555550103", "\xC4\xB0stanbul ve Diyarbak\xC4\xB1r");  // İstanbul ve Diyarbakır
    AddMessage(S, "2007.03.15 18:11", "+15555550104", "Gru\xC3\x9F aus der Stra\xC3\x9F" "e \xF0\x9F\x98\x80");  // Gruß aus der Straße 😀
    AddMessage(S, "2007.03.15 18:12", "+15555550105", "caf\xE9 mit K\xE4se");  // café mit Käse, Windows-1252
    AddMessage(S, "2007.03.15 18:13", "+15555550106", "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9");  // café résumé, UTF-8
    // Needles are in the stored form of what was typed: UTF-8 when Windows-1252 cannot hold them.
    EXPECT_EQ(MarkFound(S, FetchByText, "\xD0\xBF\xD0\xA0\xD0\x98\xD0\x92"), 1);  // пРИВ
    EXPECT_EQ(FoundList(S), "1000000");
    EXPECT_EQ(MarkFound(S, FetchByText, "\xD0\xBC\xD0\x98\xD0\xA0"), 1);  // мИР
    EXPECT_EQ(MarkFound(S, FetchByText, "\xCE\xA3\xCE\x9F\xCE\xA3"), 1);  // ΣΟΣ finds σος (final sigma)
    EXPECT_EQ(FoundList(S), "0100000");
    EXPECT_EQ(MarkFound(S, FetchByText, "\xCE\x9A\xCE\x91\xCE\x9B\xCE\x97\xCE\x9C\xCE\x88\xCE\xA1\xCE\x91"), 1);  // ΚΑΛΗΜΈΡΑ
    EXPECT_EQ(MarkFound(S, FetchByText, "\xC5\xBB\xC3\x93\xC5\x81\xC4\x86"), 1);  // ŻÓŁĆ
    EXPECT_EQ(FoundList(S), "0010000");
    EXPECT_EQ(MarkFound(S, FetchByText, "DIYARBAKI"), 0);    // dotless ı is no i
    EXPECT_EQ(MarkFound(S, FetchByText, "diyarbak\xC4\xB1r"), 1);
    EXPECT_EQ(MarkFound(S, FetchByText, "\xC4\xB0STANBUL"), 1);  // İ folds to i and a dot above
    EXPECT_EQ(MarkFound(S, FetchByText, "i\xCC\x87stanbul"), 1);
    EXPECT_EQ(FoundList(S), "0001000");
    EXPECT_EQ(MarkFound(S, FetchByText, "STRASSE"), 1);      // ß folds to ss
    EXPECT_EQ(MarkFound(S, FetchByText, "gru\xDF"), 1);      // typed ß, Windows-1252
    EXPECT_EQ(MarkFound(S, FetchByText, "\xF0\x9F\x98\x80"), 1);
    EXPECT_EQ(FoundList(S), "0000100");
    EXPECT_EQ(MarkFound(S, FetchByText, "CAF\xC9"), 2);      // CAFÉ finds both encodings
    EXPECT_EQ(FoundList(S), "0000011");
    EXPECT_EQ(MarkFound(S, FetchByText, "k\xC4se"), 1);      // KÄSE typed as Windows-1252
    EXPECT_EQ(MarkFound(S, FetchByText, "R\xC9SUM\xC9"), 1);
    EXPECT_EQ(FoundList(S), "0000001");
}

TEST(MarkFound, TextModeMatchesTheLiteralRuleOnRandomTexts) {
    std::mt19937 rng(5);
    auto randomText = [&](int maxPieces) { return RandomText(rng, maxPieces); };
    MsgStore S;
    for (int i = 0; i < 600; ++i) AddMessage(S, "2007.03.15 18:07", "+15555550100", randomText(12));
    for (int round = 0; round < 300; ++round) {
        const std::string needle = randomText(3);
        const std::int32_t count = MarkFound(S, FetchByText, needle);
        const std::vector<bool> expected = Literal::FoundByText(S, needle);
        std::int32_t expectedCount = 0;
        for (int n = 1; n <= S.MessageCount; ++n) {
            ASSERT_EQ(Found(S, n), expected[static_cast<std::size_t>(n)]) << n << " " << needle;
            expectedCount += expected[static_cast<std::size_t>(n)];
        }
        ASSERT_EQ(count, expectedCount);
    }
}

TEST(FindShownMatches, MarksWholeCharactersOfEachMatch) {
    struct Case {
        std::string shown, search;
        std::vector<TextSpan> expected;
    };
    const Case cases[] = {
        {"Hello hello HELLO", "hello", {{0, 5}, {6, 11}, {12, 17}}},
        {"Gru\xC3\x9F aus der Stra\xC3\x9F" "e", "SS", {{3, 5}, {18, 20}}},  // ß is one character of two bytes
        {"Stra\xC3\x9F" "e", "s", {{0, 1}, {4, 6}}},                        // half of the folded ß marks all of it
        {"\xC4\xB0stanbul", "\xC4\xB0STANBUL", {{0, 9}}},                   // İ folds to i and a dot
        {"caf\xC3\xA9 CAF\xC3\x89", "caf\xC9", {{0, 5}, {6, 11}}},           // the search as typed, Windows-1252
        {"aaaa", "aa", {{0, 2}, {2, 4}}},
        {"nothing", "x", {}},
        {"anything", "", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(FindShownMatches(c.shown, c.search), c.expected) << c.shown << " / " << c.search;
}

TEST(FindShownMatches, FindsWhatMarkFoundFindsOnRandomTexts) {
    std::mt19937 rng(11);
    for (int round = 0; round < 2000; ++round) {
        MsgStore S;
        const std::string stored = RandomText(rng, 10), needle = RandomText(rng, 3);
        const std::string shown = DisplayMessageUtf8(stored);  // as the pane shows it
        AddMessage(S, "2007.03.15 18:07", "+15555550100", stored);
        const bool found = MarkFound(S, FetchByText, needle) == 1 && !needle.empty();
        const std::vector<TextSpan> spans = FindShownMatches(shown, needle);
        ASSERT_EQ(!spans.empty(), found) << shown << " / " << needle;
        std::size_t after = 0;
        for (const TextSpan& span : spans) {
            ASSERT_LE(after, span.Begin);
            ASSERT_LT(span.Begin, span.End);
            ASSERT_NE(FoldCase(shown.substr(span.Begin, span.End - span.Begin)).find(FoldCase(DisplayUtf8(needle))),
                      std::string::npos);
            after = span.End;
        }
    }
}

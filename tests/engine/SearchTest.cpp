#include <gtest/gtest.h>

#include <random>

#include "MBVars/Search.h"
#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"
#include "support/StoreBuilder.h"

namespace {
bool Found(const MsgStore& S, int n) { return (S.Messages[static_cast<std::size_t>(n)].Flags & MsgFound) != 0; }

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

TEST(MarkFound, TextModeMatchesTheLiteralRuleOnRandomTexts) {
    const std::string alphabet = "aAbB \xC3\x84\xA4\xE4\xC4\x8C\x9C\x9F\xFF";
    std::mt19937 rng(5);
    auto randomText = [&](int maxLen) {
        std::string s(static_cast<std::size_t>(std::uniform_int_distribution<int>(0, maxLen)(rng)), ' ');
        for (char& c : s) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        return s;
    };
    MsgStore S;
    for (int i = 0; i < 400; ++i) AddMessage(S, "2007.03.15 18:07", "+15555550100", randomText(12));
    for (int round = 0; round < 200; ++round) {
        const std::string needle = randomText(4);
        const std::int32_t count = MarkFound(S, FetchByText, needle);
        std::int32_t expected = 0;
        for (int n = 1; n <= S.MessageCount; ++n) {
            const bool match = needle.empty() ||
                Cp1252Lower(NormaliseText(S.Messages[static_cast<std::size_t>(n)].Text)).find(Cp1252Lower(needle)) !=
                    std::string::npos;
            ASSERT_EQ(Found(S, n), match) << n << " " << needle;
            expected += match;
        }
        ASSERT_EQ(count, expected);
    }
}

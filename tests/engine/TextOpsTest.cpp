// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "Lang/TimeValue.h"
#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"

namespace {
// The literal procedure: replace the leftmost occurrence, search again from the start.
std::string ReplaceAllByRestart(std::string_view from, std::string_view to, std::string s) {
    if (from.empty() || to.find(from) != std::string_view::npos) return s;
    for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from))
        s.replace(p, from.size(), to);
    return s;
}
}  // namespace

TEST(ReplaceAll, CollapsesRunsAndRefusesEndlessReplacements) {
    EXPECT_EQ(ReplaceAll("  ", " ", "a     b  c"), "a b c");
    EXPECT_EQ(ReplaceAll("a", "aa", "banana"), "banana");
    EXPECT_EQ(ReplaceAll(",\"\"\"", ",\"", "x,\"\"\"Hi\"\" she"), "x,\"Hi\"\" she");
    EXPECT_EQ(ReplaceAll("\"\" ", " ", "Say \"\"hi\"\" now"), "Say \"\"hi now");
}

TEST(ReplaceAll, MatchesTheRestartingProcedureOnRandomTexts) {
    std::mt19937 rng(7);
    const std::string alphabet = "\", _ab";
    const std::pair<std::string, std::string> rules[] = {
        {"  ", " "}, {",\"\"\"", ",\""}, {"\"\" ", " "}, {"\"\"", "\",\""}, {"\",\"", "_"},
        {"ab", "b"}, {"aa", "ba"}};
    for (int round = 0; round < 4000; ++round) {
        std::string s;
        const int len = std::uniform_int_distribution<int>(0, 24)(rng);
        for (int i = 0; i < len; ++i)
            s += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        for (const auto& [from, to] : rules)
            ASSERT_EQ(ReplaceAll(from, to, s), ReplaceAllByRestart(from, to, s)) << s << " " << from;
    }
}

TEST(TextOps, SplitAndQuotedFields) {
    auto parts = SplitAt("a,b,c", ",");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->first, "a");
    EXPECT_EQ(parts->second, "b,c");
    EXPECT_FALSE(SplitAt("abc", ","));
    EXPECT_FALSE(SplitAt("", ","));

    auto f = NextQuotedField(",\"one\",\"two\"");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->first, "one");
    EXPECT_EQ(f->second, ",\"two\"");
    EXPECT_FALSE(NextQuotedField("\""));
    EXPECT_FALSE(NextQuotedField("\"open"));
    EXPECT_FALSE(NextQuotedField("none"));
    auto empty = NextQuotedField("\"\"");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->first, "");
}

TEST(TextOps, NormaliseAndCountWords) {
    EXPECT_EQ(NormaliseText("\xC3\x84pfel \xC3\xB6l \xC3\xA5 \xC3\xA9"), "\xC4pfel \xF6l \xE5 \xC3\xA9");
    EXPECT_EQ(NormaliseText("\xC3"), "\xC3");
    EXPECT_EQ(CountWords("Hello, world!"), 2);
    EXPECT_EQ(CountWords("a-b"), 2);
    EXPECT_EQ(CountWords("..."), 1);
    EXPECT_EQ(CountWords(""), 1);
    EXPECT_EQ(CountWords("one\ttwo\r\nthree four"), 2);
}

TEST(Cp1252, ConvertsAndLowerCases) {
    EXPECT_EQ(Cp1252ToUtf8("A\xE9\x80"), "A\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(Cp1252Lower("ABC \xC4\xD6\xD7\x8A\x9F"), "abc \xE4\xF6\xD7\x9A\xFF");
}

TEST(TimeValue, ReadsFixedPositions) {
    EXPECT_DOUBLE_EQ(TimeValue("2000.01.01 00:00"), 36526);
    EXPECT_DOUBLE_EQ(TimeValue("2000.03.01 12:00"), 36586.5);
    EXPECT_DOUBLE_EQ(TimeValue("2009.12.31 23:59"), 40178 + 23.0 / 24 + 59.0 / 1440);
    EXPECT_DOUBLE_EQ(TimeValue("2004.02.29 00:00"), 38046);
    EXPECT_DOUBLE_EQ(TimeValue("2004.02.29 00:00:30"), 38046 + 30.0 / 86400);
    EXPECT_DOUBLE_EQ(TimeValue("2004.xx.29"), DayNumber(2004, 0, 29));
    EXPECT_DOUBLE_EQ(TimeValue(""), DayNumber(0, 0, 0));
}

namespace {
// A stored time read part by part at its fixed positions, as the stored form is specified.
long long LiteralFieldAt(std::string_view t, std::size_t first, std::size_t width) {
    if (t.size() < first) return 0;
    std::string f(t.substr(first - 1, width));
    while (!f.empty() && f[0] == ' ') f.erase(0, 1);
    long long sign = 1;
    if (!f.empty() && (f[0] == '+' || f[0] == '-')) {
        sign = f[0] == '-' ? -1 : 1;
        f.erase(0, 1);
    }
    if (f.empty() || f.find_first_not_of("0123456789") != std::string::npos) return 0;
    return sign * std::stoll(f);
}
double LiteralTimeValue(std::string_view t) {
    const long long hour = LiteralFieldAt(t, 12, 2), minute = LiteralFieldAt(t, 15, 2), second = LiteralFieldAt(t, 18, 2);
    return static_cast<double>(DayNumber(LiteralFieldAt(t, 1, 4), LiteralFieldAt(t, 6, 2), LiteralFieldAt(t, 9, 2))) +
           hour / 24.0 + minute / 1440.0 + second / 86400.0;
}
}  // namespace

// Mostly digits where the parts are, with spaces, signs and letters among them, at and
// around the stored length: the same value, bit for bit.
TEST(TimeValue, MatchesTheReadingPartByPart) {
    std::mt19937 rng(7);
    const std::string odd = " +-.:x/9";
    for (int i = 0; i < 200000; ++i) {
        std::string t = "2007.05.01 18:22:05";
        t.resize(std::uniform_int_distribution<std::size_t>(14, 19)(rng));
        for (char& c : t) {
            const int roll = std::uniform_int_distribution<int>(0, 99)(rng);
            if (roll < 8) c = static_cast<char>('0' + roll);
            else if (roll < 12) c = odd[static_cast<std::size_t>(roll - 8 + (i % 5))];
        }
        ASSERT_EQ(TimeValue(t), LiteralTimeValue(t)) << '"' << t << '"';
    }
}

TEST(TimeValue, DecodeDateInvertsDayNumber) {
    for (long long d = -1000; d < 80000; d += 37) {
        const CivilDate c = DecodeDate(d);
        ASSERT_EQ(DayNumber(c.Year, c.Month, c.Day), d);
    }
    const CivilDate c = DecodeDate(38046);
    EXPECT_EQ(c.Year, 2004);
    EXPECT_EQ(c.Month, 2);
    EXPECT_EQ(c.Day, 29);
}

TEST(ReplaceAll, AReplacementThatRecreatesThePatternEnds) {
    // Endless under the literal procedure: the text is left as it was.
    EXPECT_EQ(ReplaceAll("ab", "bbaa", "aab"), "aab");
    EXPECT_EQ(ReplaceAll("ab", "ba" "ab", "xab"), "xab");  // contains the pattern itself
    // Replacements that grow the text and still end give the literal result.
    EXPECT_EQ(ReplaceAll("ab", "bba", "aab"), ReplaceAllByRestart("ab", "bba", "aab"));
    // Exponential growth that ends: each further "a" doubles the result.
    EXPECT_EQ(ReplaceAll("ab", "bba", "aaaaab"), ReplaceAllByRestart("ab", "bba", "aaaaab"));
    EXPECT_EQ(ReplaceAll("ab", "bba", "aaaaab").size(), 37u);
    const std::string tooMany(20, 'a');  // 2^20 and more bytes: past the size bound
    EXPECT_EQ(ReplaceAll("ab", "bba", tooMany + "b"), tooMany + "b");
    EXPECT_EQ(ReplaceAll("\"\"", "\",\"", "\"\"\"\"\"\""), ReplaceAllByRestart("\"\"", "\",\"", "\"\"\"\"\"\""));
}

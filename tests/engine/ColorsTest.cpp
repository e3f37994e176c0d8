// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "MBColors/NamedColors.h"
#include "MBVars/ContactColors.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"

namespace {
std::size_t RowOf(const NamedColorTable& t, std::string_view name) {
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].Name == name) return i;
    return t.size();
}

// Automatic colouring as written: every message against every other message.
std::int32_t LiteralAutomaticColors(MsgStore& S, std::mt19937& rng) {
    const std::vector<std::int32_t> person = Literal::PersonOf(S);  // one colour per person
    std::int32_t assigned = 0;
    for (int j = 1; j <= S.MessageCount; ++j) {
        XMsgRecType& mj = S.Messages[static_cast<std::size_t>(j)];
        if (mj.Color == 0) {
            mj.Color = RandomLightColor(rng);
            ++assigned;
        }
        for (int k = 1; k <= S.MessageCount; ++k) {
            XMsgRecType& mk = S.Messages[static_cast<std::size_t>(k)];
            if (k != j && mk.Color == 0 && person[static_cast<std::size_t>(k)] == person[static_cast<std::size_t>(j)])
                mk.Color = mj.Color;
        }
    }
    S.Modified = true;
    return assigned;
}
}  // namespace

TEST(NamedColors, TheTableInNameOrder) {
    const NamedColorTable& t = NamedColorConstants;
    ASSERT_EQ(t.size(), 147u);
    EXPECT_EQ(t.front().Name, "AliceBlue");
    EXPECT_EQ(t.back().Name, "YellowGreen");
    EXPECT_EQ(t.back().Value, 0x9ACD32);
    EXPECT_EQ(t[RowOf(t, "MediumPurple")].Value, 0x9370D8);
    EXPECT_EQ(t[RowOf(t, "PaleVioletRed")].Value, 0xD87093);
    EXPECT_EQ(t[RowOf(t, "Aqua")].Value, t[RowOf(t, "Cyan")].Value);
    EXPECT_EQ(t[RowOf(t, "Fuchsia")].Value, t[RowOf(t, "Magenta")].Value);
    EXPECT_EQ(RowOf(t, "Grey"), RowOf(t, "Gray") + 1);
    EXPECT_EQ(RowOf(t, "Green"), RowOf(t, "Grey") + 1);
    EXPECT_EQ(RowOf(t, "DarkGreen"), RowOf(t, "DarkGrey") + 1);
    EXPECT_NE(RowOf(t, "Darkorange"), t.size());
    std::set<std::string_view> names;
    for (const auto& row : t) {
        names.insert(row.Name);
        if (row.Name.find("Gray") != std::string_view::npos) {
            std::string twin(row.Name);
            twin.replace(twin.find("Gray"), 4, "Grey");
            EXPECT_EQ(t[RowOf(t, twin)].Value, row.Value) << twin;
        }
    }
    EXPECT_EQ(names.size(), 147u);
}

TEST(NamedColors, ValuesAndHints) {
    EXPECT_EQ(ColorLuminance(0xFFFFFF), 765);
    EXPECT_EQ(ColorLuminance(0x800000), 128);
    EXPECT_EQ(WebToPlatformColor(0x123456), 0x563412);
    EXPECT_EQ(WebToPlatformColor(WebToPlatformColor(0xF0F8FF)), 0xF0F8FF);
    EXPECT_EQ(NamedColorHint(NamedColorConstants[0]), "AliceBlue  ($F0F8FF)");
    EXPECT_EQ(NamedColorHint(NamedColorConstants[RowOf(NamedColorConstants, "Navy")]), "Navy  ($000080)");
}

TEST(NamedColors, LuminanceOrderAndBack) {
    NamedColorTable t = NamedColorConstants;
    SortColours(t, false);
    const char* brightest[] = {"White", "Snow", "GhostWhite", "Azure", "Ivory", "MintCream"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(t[i].Name, brightest[i]);
    const char* darkest[] = {"DarkRed", "Maroon", "Navy", "Green", "DarkGreen", "Black"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(t[141 + i].Name, darkest[i]);
    for (std::size_t i = 1; i < t.size(); ++i)
        EXPECT_GE(ColorLuminance(t[i - 1].Value), ColorLuminance(t[i].Value));
    std::set<std::string_view> names;
    for (const auto& row : t) names.insert(row.Name);
    EXPECT_EQ(names.size(), 147u);
    SortColours(t, true);
    EXPECT_EQ(t, NamedColorConstants);
}

TEST(ContactColors, RandomLightColorDrawsBlueGreenRed) {
    std::mt19937 a(3), b(3);
    for (int i = 0; i < 1000; ++i) {
        std::uniform_int_distribution<int> half(0, 127);
        const int blue = half(b), green = half(b), red = half(b);
        const std::int32_t c = RandomLightColor(a);
        ASSERT_EQ(c, (128 + blue) << 16 | (128 + green) << 8 | (128 + red));
        ASSERT_GE(c & 0xFF, 128);
        ASSERT_GE(c >> 8 & 0xFF, 128);
        ASSERT_GE(c >> 16 & 0xFF, 128);
    }
}

TEST(ContactColors, AutomaticColoursEqualTheEveryPairProcedure) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        MsgStore fast, literal;
        // Few names, so that some numbers are joined into one person by a name and most are not.
        const RandomStoreShape shape{.Messages = 1500, .Phones = 1 + static_cast<int>(seed) * 20,
                                     .NamedPercent = static_cast<int>(seed % 3),
                                     .ColoredPercent = static_cast<int>(seed % 4) * 30};
        FillRandomStore(fast, shape, seed);
        FillRandomStore(literal, shape, seed);
        if (seed == 2) fast.Messages[5].Phone = literal.Messages[5].Phone = "";
        std::mt19937 rngFast(seed), rngLiteral(seed);
        ASSERT_EQ(ColorContactsAutomatically(fast, rngFast), LiteralAutomaticColors(literal, rngLiteral));
        for (int n = 1; n <= fast.MessageCount; ++n)
            ASSERT_EQ(fast.Messages[static_cast<std::size_t>(n)].Color,
                      literal.Messages[static_cast<std::size_t>(n)].Color) << seed << " " << n;
        EXPECT_EQ(rngFast, rngLiteral);  // the same draws, in the same order
        EXPECT_TRUE(fast.Modified);
    }
}

TEST(ContactColors, AutomaticColoursOnColouredAndEmptyCollections) {
    MsgStore S;
    std::mt19937 rng(1);
    EXPECT_EQ(ColorContactsAutomatically(S, rng), 0);
    FillRandomStore(S, {.Messages = 50, .Phones = 5, .NamedPercent = 0, .ColoredPercent = 100}, 4);
    std::vector<std::int32_t> before;
    for (int n = 1; n <= S.MessageCount; ++n) before.push_back(S.Messages[static_cast<std::size_t>(n)].Color);
    EXPECT_EQ(ColorContactsAutomatically(S, rng), 0);
    for (int n = 1; n <= S.MessageCount; ++n) EXPECT_EQ(S.Messages[static_cast<std::size_t>(n)].Color, before[static_cast<std::size_t>(n - 1)]);
    ClearAllColors(S);
    EXPECT_EQ(ColorContactsAutomatically(S, rng), 5);
}

TEST(ContactColors, ColouringOneContactByNameOrPhone) {
    MsgStore S;
    DefaultsType D;
    AddMessage(S, "2007.03.15 18:07", "+15555550100", "a", MsgSent, "Ann", 7);
    AddMessage(S, "2007.03.15 18:08", "+15555550101", "b", MsgReceived, "Ann");  // same name
    AddMessage(S, "2007.03.15 18:09", "+15555550100", "c", MsgReceived, "Other");  // same phone
    AddMessage(S, "2007.03.15 18:10", "+15555550102", "d", MsgReceived, "Bob", 9);
    AddMessage(S, "2007.03.15 18:11", "+15555550103", "e", MsgReceived, "");
    AddMessage(S, "2007.03.15 18:12", "+15555550104", "f", MsgReceived, "");
    EXPECT_EQ(ColorThisContact(S, D, 1, 0x123456), 3);
    EXPECT_EQ(D.ColorMode, 2);
    EXPECT_TRUE(S.Modified);
    const std::int32_t expected[] = {0x123456, 0x123456, 0x123456, 9, 0, 0};
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(S.Messages[static_cast<std::size_t>(n)].Color, expected[n - 1]) << n;
    // An empty name is nobody's: only the message's own number takes the colour.
    EXPECT_EQ(ColorThisContact(S, D, 5, 0x42), 1);
    EXPECT_EQ(S.Messages[5].Color, 0x42);
    EXPECT_EQ(S.Messages[6].Color, 0);
    // Clear: Ann by name, and her number's message named otherwise, one person with her.
    EXPECT_EQ(ColorThisContact(S, D, 2, 0), 3);
    EXPECT_EQ(S.Messages[1].Color, 0);
    EXPECT_EQ(S.Messages[3].Color, 0);

    S.Modified = false;
    D.ColorMode = 1;
    EXPECT_EQ(ColorThisContact(S, D, 0, 5), 0);
    EXPECT_EQ(ColorThisContact(S, D, 7, 5), 0);
    EXPECT_FALSE(S.Modified);
    EXPECT_EQ(D.ColorMode, 1);

    ClearAllColors(S);
    EXPECT_TRUE(S.Modified);
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(S.Messages[static_cast<std::size_t>(n)].Color, 0);
}

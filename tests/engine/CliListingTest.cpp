// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "cli/Listing.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"

TEST(CliListing, EscapesOnlyBackslashTabCrAndLf) {
    EXPECT_EQ(EscapeField("a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
    const std::string raw("\0\x01\"\xC3\xA4\xFF ;,", 10);
    EXPECT_EQ(EscapeField(raw), raw);  // every other byte as it is, no re-encoding
}

TEST(CliListing, OneTabSeparatedLinePerMessageThenTheCounts) {
    MsgStore S;
    AddMessage(S, "2007.05.01 18:22", "+15555550100", "Line one\r\nLine\ttwo \\o/",
               MsgSms | MsgReceived | MsgWordCodes, "Ann\tLee", -5).Serial = 1;
    AddMessage(S, "2007.05.01 18:25", "+15555550101", std::string("N\0L", 3),
               MsgMms | MsgSent | MsgNumericCodes | MsgDoomed, {}, 0x00FFEEDD).Serial = 2;
    CountMessages(S);
    std::ostringstream out;
    WriteMessageLines(out, S);
    out << MessageCountLine(S) << '\n';
    EXPECT_EQ(out.str(),
              "1\t0x0016\t-5\t2007.05.01 18:22\t+15555550100\tAnn\\tLee\tLine one\\r\\nLine\\ttwo \\\\o/\n"
              "2\t0x0129\t16772829\t2007.05.01 18:25\t+15555550101\t\t" + std::string("N\0L", 3) + "\n"
              "2 messages (1 sent, 1 received)\n");
}

// The listing escapes whole runs at once; it must give the lines that escaping byte by byte
// gives, for any bytes.
TEST(CliListing, LinesMatchTheByteByByteListingForAnyBytes) {
    std::mt19937 rng(17);
    // The escaped bytes, their neighbours in value, and plain ones, at every place in a word.
    const char special[] = {'\\', '\t', '\r', '\n', '\0', 'a', ' ', '\xFF', '\x0B', '\x0C', '\x0E', '[', ']', '\xDC'};
    MsgStore S;
    for (int n = 0; n < 400; ++n) {
        std::string text, name;
        for (std::size_t i = rng() % 300; i > 0; --i) text.push_back(rng() % 3 ? static_cast<char>(rng()) : special[rng() % sizeof special]);
        for (std::size_t i = rng() % 30; i > 0; --i) name.push_back(special[rng() % sizeof special]);
        XMsgRecType& m = AddMessage(S, "2011.02.03 04:05", "+1555555" + std::to_string(rng() % 10000), text,
                                    static_cast<std::uint16_t>(rng()), name, static_cast<std::int32_t>(rng()));
        m.Serial = static_cast<std::uint16_t>(rng());
    }
    std::string expected;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        ASSERT_EQ(ListingLine(S.Messages[n]), Literal::ListingLine(S.Messages[n])) << "message " << n;
        expected += Literal::ListingLine(S.Messages[n]) + "\n";
    }
    std::ostringstream out;
    WriteMessageLines(out, S);
    EXPECT_EQ(out.str(), expected);
}

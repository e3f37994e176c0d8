#include <gtest/gtest.h>

#include <sstream>

#include "cli/Listing.h"
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

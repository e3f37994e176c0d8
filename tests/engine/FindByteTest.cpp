// SPDX-License-Identifier: GPL-3.0-or-later
// The sixteen-bytes-at-a-time searches against plain loops, on random texts of the bytes
// a CSV line is made of, long enough to cross several chunks and to end in a part chunk.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "OFuncs/FindByte.h"

namespace {

std::string RandomLine(std::mt19937& random) {
    static const std::string bytes = "\",a\r\n ";
    std::string line(std::uniform_int_distribution<std::size_t>(0, 80)(random), ' ');
    for (char& c : line) c = bytes[std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random)];
    return line;
}

TEST(FindByte, EverySearchMatchesItsPlainLoop) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = RandomLine(random);
        const std::size_t from = std::uniform_int_distribution<std::size_t>(0, s.size())(random);

        std::size_t one = from, either = from;
        while (one < s.size() && s[one] != '"') ++one;
        while (either < s.size() && s[either] != '\r' && s[either] != '\n') ++either;
        EXPECT_EQ(FindByte(s, '"', from), one < s.size() ? one : std::string_view::npos) << s;
        EXPECT_EQ(FindEitherByte(s, '\r', '\n', from), either < s.size() ? either : std::string_view::npos) << s;

        for (const std::size_t gap : {1u, 2u, 3u}) {
            std::vector<std::size_t> plain, found;
            for (std::size_t p = 0; p + gap < s.size(); ++p)
                if (s[p] == '"' && s[p + gap] == '"') plain.push_back(p);
            ForEachBytePair(s, '"', gap, [&](std::size_t p) { found.push_back(p); });
            EXPECT_EQ(found, plain) << s << " gap " << gap;
        }
    }
}

}  // namespace

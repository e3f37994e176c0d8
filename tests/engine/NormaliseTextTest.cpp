// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "OFuncs/TextOps.h"

namespace {
// The display form as written: five replacements, each everywhere, one after the other.
std::string FiveReplacements(std::string s) {
    const std::pair<const char*, char> rules[] = {
        {"\xC3\x84", '\xC4'}, {"\xC3\x96", '\xD6'}, {"\xC3\xA4", '\xE4'}, {"\xC3\xB6", '\xF6'}, {"\xC3\xA5", '\xE5'}};
    for (const auto& [from, to] : rules)
        for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from)) s.replace(p, 2, 1, to);
    return s;
}
}  // namespace

TEST(NormaliseText, BlockCopyEqualsTheFiveReplacements) {
    const std::string alphabet = "a \xC3\x84\x96\xA4\xB6\xA5\xC4";
    std::mt19937 rng(9);
    std::string buffer = "left over from an earlier text";
    for (int round = 0; round < 5000; ++round) {
        std::string s(static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 16)(rng)), ' ');
        for (char& c : s) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        NormaliseTextInto(s, buffer);
        ASSERT_EQ(buffer, FiveReplacements(s));
        ASSERT_EQ(NormaliseText(s), buffer);
    }
}

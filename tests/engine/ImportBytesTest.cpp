// SPDX-License-Identifier: GPL-3.0-or-later
// The import's byte work done over runs of bytes against the same work done position by
// position: the block examination (joins and separator votes), whole files across block
// boundaries, the text lines, and a message line made ready for its fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "MBVars/ImportMessageLine.h"
#include "MBVars/ImportSource.h"
#include "support/FileTestHelpers.h"
#include "support/LiteralReference.h"

namespace {
// Bytes drawn mostly from those the import looks at.
std::string HostileBytes(std::mt19937& rng, std::size_t n, std::string_view alphabet) {
    std::string s(n, '\0');
    for (char& c : s) c = rng() % 8 ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
    return s;
}
constexpr std::string_view BlockAlphabet("\"\"\"\r\n\r\n,;a\0", 11);
}  // namespace

TEST(ImportBytes, ExamineBlockMatchesThePositionByPositionExamination) {
    std::mt19937 rng(3);
    for (int round = 0; round < 400; ++round) {
        SeparatorVote fastVote, literalVote;  // several blocks into one vote: ties carry over
        for (int b = 0; b < 6; ++b) {
            std::string fast = HostileBytes(rng, rng() % 120, BlockAlphabet);
            std::string literal = fast;
            ExamineBlock(reinterpret_cast<unsigned char*>(fast.data()), fast.size(), fastVote);
            Literal::ExamineBlock(reinterpret_cast<unsigned char*>(literal.data()), literal.size(), literalVote);
            ASSERT_EQ(fast, literal) << "round " << round;
            ASSERT_EQ(fastVote.Separator(), literalVote.Separator()) << "round " << round;
        }
    }
}

TEST(ImportBytes, PreparedFilesMatchTheLiteralBlocksAtEveryBoundary) {
    TempDir dir;
    std::mt19937 rng(11);
    const std::size_t block = ImportBufferSize;
    for (int round = 0; round < 12; ++round) {
        std::string file = HostileBytes(rng, 2 * block + rng() % 500, BlockAlphabet);
        // A CR LF at each position around both boundaries, after a quote or not.
        const std::size_t boundary = (round % 2 + 1) * block;
        const std::size_t at = boundary - 3 + static_cast<std::size_t>(round / 2) % 5;
        file[at - 1] = round % 3 ? 'x' : '"';
        file[at] = '\r';
        file[at + 1] = '\n';
        PreparedCsv fast;
        MsgStore S;
        ASSERT_EQ(PrepareCsvFile(S, dir.Write("export.csv", file), fast), 0);
        const PreparedCsv literal = Literal::PrepareBytes(file, block);
        // The first difference, not a diff of two large files.
        const auto [at1, at2] = std::mismatch(fast.Bytes.begin(), fast.Bytes.end(), literal.Bytes.begin(), literal.Bytes.end());
        ASSERT_TRUE(at1 == fast.Bytes.end() && at2 == literal.Bytes.end())
            << "round " << round << ": first difference at " << (at1 - fast.Bytes.begin());
        EXPECT_EQ(fast.Separator, literal.Separator) << "round " << round;
    }
}

// Votes counted in parts and joined count as one vote over the whole: the first value to
// reach the top count wins, wherever the parts were cut.
TEST(ImportBytes, VotesCountedInPartsChooseAsOneVote) {
    std::mt19937 rng(13);
    for (int round = 0; round < 3000; ++round) {
        const std::string votes = HostileBytes(rng, rng() % 40, std::string_view(",;;\t|\0", 6));
        SeparatorVote whole;
        for (const char c : votes)
            if (c != 0) whole.Add(static_cast<unsigned char>(c));
        SeparatorVote joined;
        std::size_t from = 0;
        while (from < votes.size()) {
            const std::size_t to = std::min(votes.size(), from + rng() % 12);
            SeparatorVote part;
            for (std::size_t i = from; i < to; ++i)
                if (votes[i] != 0) part.Add(static_cast<unsigned char>(votes[i]));
            joined.Append(part);
            from = to;
        }
        ASSERT_EQ(joined.Separator(), whole.Separator()) << "round " << round;
        joined.Add(';');  // a joined vote goes on counting as the whole one does
        whole.Add(';');
        ASSERT_EQ(joined.Separator(), whole.Separator()) << "round " << round;
    }
}

// Files of many blocks, whose blocks two threads examine: the same bytes and separator as
// the blocks examined one by one, line breaks at every boundary joined the same.
TEST(ImportBytes, LargeFilesMatchTheLiteralBlocks) {
    TempDir dir;
    std::mt19937 rng(19);
    const std::size_t block = ImportBufferSize;
    for (int round = 0; round < 6; ++round) {
        std::string file = HostileBytes(rng, (3 + round) * block + rng() % 3, BlockAlphabet);
        for (std::size_t boundary = block; boundary + 2 < file.size(); boundary += block) {
            const std::size_t at = boundary - 2 + rng() % 3;
            file[at - 1] = rng() % 3 ? 'x' : '"';
            file[at] = '\r';
            file[at + 1] = '\n';
        }
        PreparedCsv fast;
        MsgStore S;
        ASSERT_EQ(PrepareCsvFile(S, dir.Write("export.csv", file), fast), 0);
        const PreparedCsv literal = Literal::PrepareBytes(file, block);
        ASSERT_TRUE(fast.Bytes == literal.Bytes) << "round " << round;
        EXPECT_EQ(fast.Separator, literal.Separator) << "round " << round;
    }
}

TEST(ImportBytes, TextLinesMatchSplittingAtEachLineFeed) {
    std::mt19937 rng(5);
    for (int round = 0; round < 2000; ++round) {
        const std::string bytes = HostileBytes(rng, rng() % 60, "\r\n\r\nab");
        std::vector<std::string> fast;
        TextLines lines(bytes);
        for (std::string_view line; lines.Next(line);) fast.emplace_back(line);
        ASSERT_EQ(fast, Literal::TextLines(bytes)) << "round " << round;
    }
}

TEST(ImportBytes, PreparedMessageLinesMatchTheReplacements) {
    std::string scratch;  // kept from line to line, as the import keeps it
    const auto expectSame = [&](std::string_view raw) {
        ASSERT_EQ(PrepareMessageLine(raw, scratch), Literal::PrepareMessageLine(raw)) << raw;
    };
    // Runs of quotes of every length after a comma, before a space, both, and at the ends.
    for (int n = 0; n <= 9; ++n) {
        const std::string q(static_cast<std::size_t>(n), '"');
        for (const std::string& line : {"a," + q + "b", "a" + q + " b", "a," + q + " b", q, "," + q, q + " ",
                                        "\"sms\"," + q + "text" + q + " ,\"", ";" + q + "x"})
            expectSame(line);
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 50000; ++round) expectSame(HostileBytes(rng, rng() % 24, "\"\"\"\", ;a"));
    for (int round = 0; round < 2000; ++round) expectSame(HostileBytes(rng, rng() % 400, "\"\"\"\", ;aaaaaaa"));
}

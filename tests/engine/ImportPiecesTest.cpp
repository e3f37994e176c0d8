// SPDX-License-Identifier: GPL-3.0-or-later
// Message lines parsed in pieces by two threads against one plain loop over the lines:
// the same messages in the same order, the same lines found already held, the same count
// of lines that found the store full, whatever the cut of the pieces.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <thread>

#include "MBVars/Import.h"
#include "MBVars/ImportMessageLines.h"
#include "MBVars/ImportSource.h"
#include "support/ExportBuilder.h"
#include "support/FileTestHelpers.h"
#include "support/LiteralReference.h"
#include "support/StoreCompare.h"

namespace {
// Lines of every kind the import meets, from few enough values that many repeat: held
// lines, texts that differ only in trailing spaces, doubled quotes, stray and missing
// carriage returns, blank and broken lines, the other export forms, a cut last line.
std::string HostileExport(std::mt19937& rng, int lines) {
    static const char* const phones[] = {"+15555550100", "+15555550101", "+15555550102", "555 0103"};
    static const char* const times[] = {"2009.03.01 10:00", "2009.03.01 10:01", "2009.03.02 08:30"};
    static const char* const texts[] = {"Hi",          "Hi  ",        "Say \"\"hi\"\" now", "\"\"Quoted\"\" ",
                                        "a,b;c",       "x\"\"\" y",   "Late again",         "Late again "};
    std::string file;
    for (int i = 0; i < lines; ++i) {
        const std::string phone = phones[rng() % 4];
        const std::string time = rng() % 3 ? times[rng() % 3] : "2010.01.01 00:" + std::to_string(10 + rng() % 50);
        const std::string text = rng() % 4 ? texts[rng() % 8] : "Text " + std::to_string(rng() % 200);
        switch (rng() % 12) {
            case 0: file += "\"sms\",\"5\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\""; break;
            case 1: file += "\"sms\",\"36\",\"\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\""; break;
            case 2: file += "\"mms\",\"deliver\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\""; break;
            case 3: file += rng() % 2 ? "" : "garbage \"\" line"; break;
            case 4: file += "\"sms\",\"deliver\",\"" + phone + "\",\"\r\",\"\",\"" + time + "\",\"\",\"" + text + "\""; break;
            case 5: case 6: case 7:
                file += "\"sms\",\"submit\",\"\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\"";
                break;
            default: file += "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\""; break;
        }
        file += rng() % 3 ? "\r\n" : "\n";
    }
    if (rng() % 2 && !file.empty()) file.resize(file.size() - 1 - rng() % std::min<std::size_t>(file.size(), 40));
    return file;
}

// A store holding a few of the export's messages already.
MsgStore StoreWithSome(std::mt19937& rng) {
    MsgStore S;
    Literal::ImportMessageLines(S, HostileExport(rng, 30), ',');
    return S;
}

// The pieces' import and the plain loop from the same store, compared whole.
void ExpectSameImport(const MsgStore& start, std::string_view bytes, unsigned char separator, const MessageLineSplit& split) {
    MsgStore fast = start, literal = start;
    const std::int32_t fastDropped = ImportMessageLines(fast, bytes, separator, split);
    const std::int32_t literalDropped = Literal::ImportMessageLines(literal, bytes, separator);
    EXPECT_EQ(fastDropped, literalDropped);
    EXPECT_EQ(fast.Messages[0].Flags, 0);  // the work record is left cleared
    EXPECT_TRUE(fast.Messages[0].Text.empty());
    ExpectSameStore(fast, literal);
}
}  // namespace

TEST(ImportPieces, AnyCutGivesTheLinesOfOnePlainLoop) {
    std::mt19937 rng(17);
    for (int round = 0; round < 60; ++round) {
        const std::string bytes = HostileExport(rng, 50 + static_cast<int>(rng() % 1500));
        const MsgStore start = round % 3 ? StoreWithSome(rng) : MsgStore{};
        MessageLineSplit split;
        split.ParallelFrom = round % 5 ? 0 : bytes.size() + 1;  // every fifth round alone
        split.PieceSize = 1 + rng() % (round % 2 ? 200 : 5000);  // down to one line a piece
        const unsigned char separator = round % 7 == 0 ? (round % 2 ? ';' : 0) : ',';
        // A slow helper: the calling thread parses the piece the helper is in rather than wait.
        if (round % 4 == 1)
            split.BeforePiece = [](std::string_view, bool helper) {
                if (helper) std::this_thread::sleep_for(std::chrono::milliseconds(3));
            };
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameImport(start, bytes, separator, split);
    }
}

TEST(ImportPieces, AFullStoreDropsTheSameNewLines) {
    std::mt19937 rng(23);
    MsgStore start;
    ImportMessageLines(start, WordFormExport(MaxMessages - 40), ',');
    ASSERT_EQ(start.MessageCount, MaxMessages - 40);
    // Lines already held, new ones past the room, and the same again.
    std::string bytes = WordFormExport(300);
    for (int i = 0; i < 3; ++i) bytes += HostileExport(rng, 400) + "\n" + WordFormExport(50);
    for (const std::size_t piece : {std::size_t(97), std::size_t(4096), std::size_t(1) << 16}) {
        MessageLineSplit split;
        split.ParallelFrom = 0;
        split.PieceSize = piece;
        SCOPED_TRACE("piece " + std::to_string(piece));
        ExpectSameImport(start, bytes, ',', split);
    }
}

TEST(ImportPieces, AFailureOnTheHelperEndsTheImportAfterTheLinesBeforeItsPieceOrLosesNothing) {
    std::mt19937 rng(29);
    for (int round = 0; round < 20; ++round) {
        const std::string bytes = HostileExport(rng, 400 + static_cast<int>(rng() % 800));
        const MsgStore start = StoreWithSome(rng);
        std::size_t failedAt = std::string_view::npos;
        MessageLineSplit split;
        split.ParallelFrom = 0;
        split.PieceSize = 100 + rng() % 2000;
        // The calling thread waits (a while at most: a loaded machine under the sanitizers
        // may not run the helper for seconds) for the helper to fail in its first piece.
        std::atomic<bool> helperFailed = false;
        split.BeforePiece = [&](std::string_view piece, bool helper) {
            if (!helper) {
                for (int wait = 0; wait < 20000 && !helperFailed; ++wait)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return;
            }
            if (failedAt != std::string_view::npos) return;
            failedAt = static_cast<std::size_t>(piece.data() - bytes.data());
            helperFailed = true;
            throw std::bad_alloc();
        };
        MsgStore fast = start, literal = start;
        bool thrown = false;
        try {
            ImportMessageLines(fast, bytes, ',', split);
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_NE(failedAt, std::string_view::npos) << "the helper never took a piece";
        // The helper records its failure only once the exception has left the callback: a
        // calling thread that reaches the piece before that parses it itself, and the import
        // is whole.
        Literal::ImportMessageLines(literal, std::string_view(bytes).substr(0, thrown ? failedAt : bytes.size()), ',');
        EXPECT_EQ(fast.Messages[0].Flags, 0);
        ExpectSameStore(fast, literal);
    }
}

TEST(ImportPieces, FilesAroundTheThreadThresholdImportAsPreparedBytesDo) {
    TempDir dir;
    std::mt19937 rng(31);
    const std::size_t threshold = MessageLineSplit{}.ParallelFrom;
    for (const std::size_t size : {threshold - 1, threshold, threshold + 1, 2 * threshold + 17}) {
        std::string file = WordFormExport(static_cast<int>(size / 100)) + HostileExport(rng, static_cast<int>(size / 60));
        file.resize(size, 'x');  // the last line cut anywhere
        // A line break inside a text right at the first block boundary.
        if (size > ImportBufferSize + 2) file.replace(ImportBufferSize - 1, 3, "a\r\n");
        MsgStore fast, literal;
        ASSERT_EQ(ImportCsvFile(fast, dir.Write("export.csv", file)), 0);
        const PreparedCsv prepared = Literal::PrepareBytes(file, ImportBufferSize);
        Literal::ImportMessageLines(literal, prepared.Bytes, prepared.Separator);
        SCOPED_TRACE("size " + std::to_string(size));
        ExpectSameStore(fast, literal);
    }
}

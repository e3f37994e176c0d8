// SPDX-License-Identifier: GPL-3.0-or-later
// The PDF pages carry every character the web page shows, emoji included: drawn from the
// embedded emoji font, and in the text layer; kestro-cli writes the same pages as the window.
#include <QLocale>
#include <QProcess>
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <sstream>

#include "MBVars/DataFile.h"
#include "Pages/MessagePages.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {

std::string Output(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess run;
    run.start(program, arguments);
    run.waitForFinished(60000);
    if (exitCode) *exitCode = run.exitCode();
    return run.readAllStandardOutput().toStdString();
}

// What the text layer holds of a text: all but the joiners and selectors, which steer the
// drawing and have no glyph of their own; the emoji beyond U+FFFF too, which Qt's PDF
// writer leaves out of its fonts' maps from glyphs to characters.
std::string Visible(const std::string& text) {
    QList<char32_t> kept;
    for (const char32_t c : QString::fromStdString(text).toUcs4())
        if (c != 0x200D && c != 0xFE0F) kept.push_back(c);
    return QString::fromUcs4(kept.data(), kept.size()).simplified().toStdString();
}

TEST(PdfPages, EmojiAreOnThePagesAndInTheTextAndTheCommandLineWritesTheSame) {
    const char* const texts[] = {
        "ok \U0001F44D", "\U0001F389 party tonight", "\U0001F600",
        "Flags \U0001F1E9\U0001F1EA and \U0001F1EB\U0001F1F7", "Wave \U0001F44B\U0001F3FD hi",
        "Family \U0001F468\u200D\U0001F469\u200D\U0001F467", "Love \u2764\uFE0F", "\u0395\u03bb\u03ad\u03bd\u03b7 says hi",
        "Keycap 1\uFE0F\u20E3", "\U0001F600 again, \U0001F44D\U0001F3FD and \U0001F44D", "\U0001F389 \U0001F1E9\U0001F1EA"};
    MsgStore S;
    int day = 1;
    for (const char* text : texts) {
        ++day;
        AddMessage(S, "2026.07." + std::to_string(9 + day) + " 21:55", day == 4 ? "+15555550199" : "+15555550100", text,
                   MsgSms | MsgReceived, day == 4 ? "Ann \U0001F33B" : "Eve");  // a name's emoji drawn among the texts' ones
    }
    Renumber(S);
    TempDir dir;
    const std::string kst = PathIn(dir, "emoji.kst"), pdf = PathIn(dir, "emoji.pdf");
    ASSERT_EQ(WriteDataFile(S, kst), 0);

    int code = -1;
    Output(QString::fromUtf8(KESTRO_CLI), {"export", QString::fromStdString(kst), "--format", "pdf", "-o", QString::fromStdString(pdf)}, &code);
    ASSERT_EQ(code, 0);
    const std::string text = Output("pdftotext", {QString::fromStdString(pdf), "-"});
    const std::string words = QString::fromStdString(text).simplified().toStdString();
    for (const char* message : texts) EXPECT_NE(words.find(Visible(message)), std::string::npos) << message << "\n" << text;
    EXPECT_NE(words.find("Ann \U0001F33B"), std::string::npos) << text;
    // On the pages: the emoji font is embedded, and used.
    const std::string fonts = Output("pdffonts", {QString::fromStdString(pdf)});
    EXPECT_NE(fonts.find(PageEmojiFamily), std::string::npos) << fonts;
    // The file stays whole after its fonts' maps grow: every object where the table says.
    std::ifstream in(pdf, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t xref = std::stoul(file.substr(file.rfind("startxref") + 10));
    ASSERT_EQ(file.compare(xref, 4, "xref"), 0);
    std::istringstream table(file.substr(xref + 5));
    std::size_t first = 0, count = 0;
    table >> first >> count;
    for (std::size_t n = first; n < first + count; ++n) {
        std::string offset, generation, use;
        table >> offset >> generation >> use;
        if (use == "n") {
            EXPECT_EQ(file.compare(std::stoul(offset), std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0) << n;
        }
    }

    // The window's export of the same rows: the same pages.
    std::vector<std::int32_t> rows;
    for (std::int32_t n = S.MessageCount; n >= 1; --n) rows.push_back(n);
    const QByteArray bytes = PdfExport(S, rows, ExportLook{"All messages", "emoji.kst"}, QLocale::system());
    const std::string window = dir.Write("window.pdf", bytes.toStdString());
    EXPECT_EQ(Output("pdftotext", {QString::fromStdString(window), "-"}), text);
}

}  // namespace

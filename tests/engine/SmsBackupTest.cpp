// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "Formats/BackupYearSplit.h"
#include "Formats/MediaWriter.h"
#include "MBVars/ImportFile.h"
#include "Formats/SmsBackupImport.h"
#include "OFuncs/IoError.h"
#include "Formats/XmlRepair.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

namespace {

// Central European time, summer time included, without relying on the zone database.
class CentralEuropeanTime {
public:
    CentralEuropeanTime() {
        if (const char* tz = std::getenv("TZ")) old_ = tz, hadOld_ = true;
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    ~CentralEuropeanTime() {
        if (hadOld_) ::setenv("TZ", old_.c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

const std::string Grin = "\xF0\x9F\x98\x80";   // U+1F600
const std::string Replacement = "\xEF\xBF\xBD";  // U+FFFD

std::string Repaired(std::string_view in, bool byteByByte, std::vector<std::string> kept = {}) {
    XmlRepairFilter filter(std::move(kept));
    std::string out;
    if (byteByByte)
        for (const char c : in) filter.Feed(std::string_view(&c, 1), out);
    else
        filter.Feed(in, out);
    filter.Finish(out);
    return out;
}

TEST(XmlRepairFilter, RepairsReferencesAndSkipsDataWhereverTheChunksEnd) {
    struct Case {
        std::string In, Out;
    };
    const std::vector<Case> cases = {
        {"<a b=\"x&#55357;&#56832;y\"/>", "<a b=\"x" + Grin + "y\"/>"},
        {"<a b=\"&#xD83D;&#XDE00;\"/>", "<a b=\"" + Grin + "\"/>"},
        {"t&#55357;z", "t" + Replacement + "z"},
        {"&#55357;&amp;", Replacement + "&amp;"},
        {"&#55357;&#55357;&#56832;", Replacement + Grin},
        {"&#56832;", Replacement},
        {"&#55357;", Replacement},
        {"a&#27;b&#0;c&#x1F;d", "abcd"},
        {"&#9;&#10;&#13;&#65;&#x41;", "&#9;&#10;&#13;&#65;&#x41;"},
        {"&#1114112;&#xFFFE;", Replacement + Replacement},
        {"a\x1b\x01z\t\r\n", "az\t\r\n"},
        {"&#12", "&#12"},
        {"&#;&#x;&lt;&", "&#;&#x;&lt;&"},
        {"<p data=\"AB\nC&#27;\" ct=\"x&#27;\"/>", "<p \n ct=\"x\"/>"},
        {"<p data\n=\n'A\"B' x='1'/>", "<p \n\n x='1'/>"},
        {"<p xdata=\"AB\" datax=\"C\"/>", "<p xdata=\"AB\" datax=\"C\"/>"},
        {"<p a=\"data=\" data=\"Q\"/>data=\"R\"", "<p a=\"data=\" />data=\"R\""},
        // Markup other than tags passes untouched, whatever it holds.
        {"<!-- Doctor's data=\" &#55357; --><a b='&#55357;&#56832;'/>", "<!-- Doctor's data=\" &#55357; --><a b='" + Grin + "'/>"},
        {"<?pi data=\"x' &#27; ?><![CDATA[ data=\"' &#55357; ]]]><a data='x'/>",
         "<?pi data=\"x' &#27; ?><![CDATA[ data=\"' &#55357; ]]]><a />"},
        {"<!DOCTYPE s [<!ENTITY e \"&#55357;'\">]><s a=\"&e;&#56832;\"/>",
         "<!DOCTYPE s [<!ENTITY e \"&#55357;'\">]><s a=\"&e;" + Replacement + "\"/>"},
        {"<!-- a -- b --><!x data=\"><a data=\"y\"/>", "<!-- a -- b --><!x data=\"><a />"},
    };
    for (const Case& c : cases)
        for (const bool byteByByte : {false, true}) EXPECT_EQ(Repaired(c.In, byteByByte), c.Out) << c.In;
    // Only the attributes asked for, whatever their quotes and blanks.
    for (const bool byteByByte : {false, true})
        EXPECT_EQ(Repaired("<a x=\"1\" b = '2'\tc=\"3\n\" data='&#55357;'  bb=\"4\"/><b b=\"5\">", byteByByte, {"b"}),
                  "<a  b = '2'\t\n   /><b b=\"5\">");
}

// A hand-written backup and the records it must give.
const std::string SmallBackup =
    "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n"
    "<smses count=\"6\" backup_date=\"1700000200000\">\n"
    "  <sms protocol=\"0\" address=\" +1 555 0100 \" date=\"1700000000000\" type=\"1\" "
    "body=\"Hi &#55357;&#56832; there&#10;second&#13;&#10;third&#27;&#13;\" contact_name=\"(Unknown)\" />\n"
    "  <sms address=\"5550101~5550109\" date=\"1690000000000\" type=\"2\" body=\"summer &amp; " + Grin +
    "\" contact_name=\"Ann Example\" />\n"
    "  <sms address=\"5550102\" date=\"1690000000000\" type=\"3\" body=\"draft\" contact_name=\"null\" />\n"
    "  <sms address=\"null\" date=\"1690000000000\" type=\"1\" body=\"no phone\" />\n"
    "  <sms address=\"5550105\" date=\"1690000000000\" type=\"1\" body=\"\" />\n"
    "  <mms date=\"1700000100000\" msg_box=\"1\" address=\"5550103~5550104\" contact_name=\"Group Of Many Friends From School\">\n"
    "    <parts><part ct=\"application/smil\" text=\"&lt;smil&gt;\" /><part ct=\"text/plain\" text=\"look\" />"
    "<part ct=\"image/jpeg\" data=\"QUJD\" /><part ct=\"text/x-vcard\" data=\"x\"/><part ct=\"video/mp4\" data=\"\"/>"
    "<part ct=\"audio/amr\"/><part ct=\"application/pdf\"/></parts>\n"
    "    <addrs><addr address=\"insert-address-token\" type=\"151\"/><addr address=\"5550104\" type=\"137\"/></addrs>\n"
    "  </mms>\n"
    "  <mms date=\"1700000100000\" msg_box=\"4\" address=\"5550103\"><parts/></mms>\n"
    "  <call number=\"5550100\"/>\n"
    "</smses>\n";

std::vector<XMsgRecType> Records(std::string_view bytes, BackupReadResult& result) {
    std::vector<XMsgRecType> out;
    result = ReadSmsBackupBytes(bytes, [&](BackupMessage& m) { out.push_back(m.Record); });
    return out;
}

TEST(SmsBackup, MapsASmallBackupToExactRecords) {
    CentralEuropeanTime zone;
    BackupReadResult result;
    const std::vector<XMsgRecType> got = Records(SmallBackup, result);
    EXPECT_EQ(result.End, BackupEnd::Complete);
    EXPECT_EQ(result.OtherTypes, 2);
    EXPECT_EQ(result.WithoutContent, 2);
    struct Want {
        std::uint16_t Flags;
        std::string Time, Phone, Name, Text;
    };
    const std::vector<Want> want = {
        {MsgSms | MsgExactTime | MsgReceived, "2023.11.14 23:13", "+1 555 0100", "",
         "Hi " + Grin + " there\r\nsecond\r\nthird\r\n"},
        {MsgSms | MsgExactTime | MsgSent, "2023.07.22 06:26", "5550101", "Ann Example",
         "[group: 5550109]\r\nsummer & " + Grin},
        {MsgMms | MsgExactTime | MsgReceived, "2023.11.14 23:15", "5550104", "Group Of Many Friends From Sch",
         "[group: 5550103]\r\nlook\r\n[image]\r\n[contact]\r\n[video]\r\n[audio]\r\n[file]"},
    };
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].Flags, want[i].Flags) << i;
        EXPECT_EQ(got[i].Time.str(), want[i].Time) << i;
        EXPECT_EQ(got[i].Phone.str(), want[i].Phone) << i;
        EXPECT_EQ(got[i].Name.str(), want[i].Name) << i;
        EXPECT_EQ(got[i].Text, want[i].Text) << i;
    }
}

TEST(SmsBackup, NamesAndPhonesAreCutOnCharacterBoundaries) {
    const std::string longName = std::string(29, 'a') + "\xC3\xA9";  // 31 bytes, the last character two
    const std::string bytes = "<smses><sms address=\"5550100\" date=\"0\" type=\"1\" body=\"x\" contact_name=\"" +
                              longName + "\"/></smses>";
    BackupReadResult result;
    const std::vector<XMsgRecType> got = Records(bytes, result);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Name.str(), std::string(29, 'a'));
}

// A generated backup with every pitfall: emoji both ways, lone surrogates, control
// references, entities, line breaks, pictures, skipped types.
std::string GeneratedBackup(unsigned seed, int messages) {
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::vector<std::string> pieces = {"ok",        " ",        "&#55357;&#56832;", Grin,   "&#55357;",
                                             "&#56832;",  "&#27;",    "&amp;",            "&lt;", "&#10;",
                                             "&#13;&#10;", "\xC3\xA9", "&#233;",           "&#x1F600;", "text"};
    std::string x = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\r\n<smses count=\"" +
                    std::to_string(messages) + "\">\r\n";
    for (int k = 0; k < messages; ++k) {
        std::string body;
        for (int p = pick(8); p >= 0; --p) body += pieces[static_cast<std::size_t>(pick(static_cast<int>(pieces.size())))];
        const std::string date = std::to_string(1500000000000LL + pick(1000) * 60000LL + pick(3) * 1000);
        const std::string phone = "555010" + std::to_string(pick(10));
        if (pick(4) == 0) {
            x += "<mms date=\"" + date + "\" msg_box=\"" + std::to_string(1 + pick(3)) + "\" address=\"" + phone +
                 "~5550199\" contact_name=\"null\"><parts><part ct=\"text/plain\" text=\"" + body +
                 "\"/><part ct=\"image/png\" data=\"" + std::string(static_cast<std::size_t>(pick(3000)), 'Q') +
                 "\r\nQUJD\"/></parts><addrs><addr address=\"" + phone + "\" type=\"137\"/></addrs></mms>\r\n";
        } else {
            x += "<sms address=\"" + phone + "\" date=\"" + date + "\" type=\"" + std::to_string(1 + pick(3)) +
                 "\" body=\"" + body + "\" contact_name=\"Bo Example\"/>\r\n";
        }
    }
    return x + "</smses>\r\n";
}

// The plain reference of the repair: the whole file at once, by pattern.
std::string NaivelyRepaired(const std::string& x) {
    std::string out;
    const std::regex ref("&#(x?)([0-9A-Fa-f]+);");
    auto begin = std::sregex_iterator(x.begin(), x.end(), ref);
    std::size_t at = 0;
    unsigned high = 0;
    const auto flushHigh = [&] {
        if (high) out += Replacement;
        high = 0;
    };
    for (auto it = begin; it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        const auto pos = static_cast<std::size_t>(m.position());
        if (pos != at) flushHigh();
        out += x.substr(at, pos - at);
        at = pos + static_cast<std::size_t>(m.length());
        const unsigned v = static_cast<unsigned>(std::stoul(m[2].str(), nullptr, m[1].length() ? 16 : 10));
        if (high && v >= 0xDC00 && v <= 0xDFFF) {
            const unsigned c = 0x10000 + ((high - 0xD800) << 10) + (v - 0xDC00);
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
            high = 0;
            continue;
        }
        flushHigh();
        if (v >= 0xD800 && v <= 0xDBFF) high = v;
        else if (v >= 0xDC00 && v <= 0xDFFF) out += Replacement;
        else if (v >= 0x20 || v == 9 || v == 10 || v == 13) out += m.str();
    }
    flushHigh();
    return out + x.substr(at);
}

TEST(SmsBackup, StreamingReadGivesWhatTheWholeRepairedFileGives) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const std::string x = GeneratedBackup(seed, 60);
        BackupReadResult reference;
        const std::vector<XMsgRecType> want = Records(NaivelyRepaired(x), reference);
        ASSERT_EQ(reference.End, BackupEnd::Complete);

        std::vector<XMsgRecType> got;
        SmsBackupParser parser([&](BackupMessage& m) { got.push_back(m.Record); });
        std::mt19937 rng(seed);
        for (std::size_t at = 0; at < x.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 700, x.size() - at);
            parser.Feed(std::string_view(x).substr(at, n), at + n == x.size());
            at += n;
        }
        EXPECT_EQ(parser.Result().End, BackupEnd::Complete);
        EXPECT_EQ(parser.Result().OtherTypes, reference.OtherTypes);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].Flags, want[i].Flags);
            EXPECT_EQ(got[i].Time, want[i].Time);
            EXPECT_EQ(got[i].Phone, want[i].Phone);
            EXPECT_EQ(got[i].Text, want[i].Text);
        }
    }
}

// A file's pieces are read (and repaired, without media) ahead on a second thread: the same
// records come as from its bytes at once; a stop and a sink that throws end it cleanly.
TEST(SmsBackup, AFileReadAheadGivesWhatItsBytesGive) {
    TempDir dir;
    const std::string x = GeneratedBackup(5, 3000);  // some pieces of the file reader
    const std::string path = dir.Write("big.xml", x);
    BackupReadResult reference;
    const std::vector<XMsgRecType> want = Records(x, reference);
    for (const bool media : {false, true}) {
        SCOPED_TRACE(media);
        MediaWriter writer((dir.Path() / "media").string());
        std::vector<XMsgRecType> got;
        BackupReadResult result;
        ASSERT_EQ(ReadSmsBackupFile(path, [&](BackupMessage& m) { got.push_back(m.Record); }, result, {},
                                    media ? &writer : nullptr),
                  0);
        EXPECT_EQ(result.End, BackupEnd::Complete);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].Time, want[i].Time);
            EXPECT_EQ(got[i].Phone, want[i].Phone);
            EXPECT_EQ(got[i].Text, want[i].Text);
        }
    }
    int calls = 0;
    std::int64_t given = 0;
    BackupReadResult stopped;
    ReadSmsBackupFile(path, [&](BackupMessage&) { ++given; }, stopped, [&](std::uint64_t, std::int64_t) { return ++calls < 2; });
    EXPECT_EQ(stopped.End, BackupEnd::Stopped);
    EXPECT_LT(given, reference.Messages);
    EXPECT_THROW(ReadSmsBackupFile(path, [](BackupMessage&) { throw IoError("Disk full"); }, stopped), IoError);
}

TEST(SmsBackup, CutOrBrokenFilesKeepWhatCameBeforeAndNameTheLine) {
    struct Case {
        std::string Bytes;
        std::size_t Messages;
        std::uint64_t Line;
    };
    const std::size_t cut = SmallBackup.find("  <sms address=\"5550102\"");
    const std::vector<Case> cases = {
        {SmallBackup.substr(0, cut + 30), 2, 5},           // an interrupted copy
        {SmallBackup.substr(0, cut) + "<sms <</smses>", 2, 5},  // not well-formed
    };
    for (const Case& c : cases) {
        BackupReadResult result;
        EXPECT_EQ(Records(c.Bytes, result).size(), c.Messages);
        EXPECT_EQ(result.End, BackupEnd::Damaged);
        EXPECT_EQ(result.Line, c.Line);
        EXPECT_FALSE(result.Reason.empty());
    }
    for (const std::string notBackup : {"<html><body/></html>", "<<<", "<?xml version='1.0'?>"}) {
        BackupReadResult result;
        EXPECT_TRUE(Records(notBackup, result).empty());
        EXPECT_EQ(result.End, BackupEnd::NotBackup) << notBackup;
    }
}

// Markup that a backup may carry between its messages and that gives no message, holding
// what the repair must not touch: quotes, apostrophes, surrogate references, `data="`.
std::string Noise(std::mt19937& rng) {
    static const std::vector<std::string> held = {"'", "\"", "data=\"", "data='", "&#55357;", "&#56832;", "&amp;",
                                                  "<sms>", "x", " ", "\r\n", "-", "]", "?", "&"};
    std::string inside;
    for (int k = static_cast<int>(rng() % 6); k >= 0; --k) inside += held[rng() % held.size()];
    switch (rng() % 3) {
        case 0: return "<!--" + (inside.find("--") == std::string::npos && inside.back() != '-' ? inside : "x") + "-->";
        case 1: return "<?note " + (inside.find("?>") == std::string::npos ? inside : "x") + "?>";
        default: return "<![CDATA[" + (inside.find("]]>") == std::string::npos ? inside : "x") + "]]>";
    }
}

// Generated backups with comments, processing instructions and CDATA sections between
// their messages, fed in random pieces, give the messages of the same backup without them
// repaired whole by the plain reference; and the repair passes every such piece unchanged.
TEST(SmsBackup, MarkupBetweenMessagesChangesNothing) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const std::string plain = GeneratedBackup(seed, 60);
        std::mt19937 rng(seed);
        std::string noisy;
        std::vector<std::string> inserted;
        const std::size_t body = plain.find("<smses"), end = plain.rfind("</smses>");
        for (std::size_t at = 0; at < plain.size(); ++at) {
            noisy += plain[at];
            if (at > body && at < end && plain.compare(at - 2, 3, ">\r\n") == 0 && rng() % 2) {
                inserted.push_back(Noise(rng));
                noisy += inserted.back();
            }
        }
        BackupReadResult reference;
        const std::vector<XMsgRecType> want = Records(NaivelyRepaired(plain), reference);

        std::vector<XMsgRecType> got;
        SmsBackupParser parser([&](BackupMessage& m) { got.push_back(m.Record); });
        XmlRepairFilter filter;
        std::string repaired;
        for (std::size_t at = 0; at < noisy.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 300, noisy.size() - at);
            const std::string_view piece = std::string_view(noisy).substr(at, n);
            parser.Feed(piece, at + n == noisy.size());
            filter.Feed(piece, repaired);
            at += n;
        }
        filter.Finish(repaired);
        EXPECT_EQ(parser.Result().End, BackupEnd::Complete) << parser.Result().Reason << " line " << parser.Result().Line;
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].Time, want[i].Time);
            EXPECT_EQ(got[i].Phone, want[i].Phone);
            EXPECT_EQ(got[i].Text, want[i].Text);
        }
        std::size_t from = 0;
        for (const std::string& n : inserted) {
            const std::size_t found = repaired.find(n, from);
            ASSERT_NE(found, std::string::npos) << n;
            from = found + n.size();
        }
    }
}

std::string Sms(const std::string& date, const std::string& body, const std::string& more = "") {
    return "<sms address=\"5550100\" date=\"" + date + "\" type=\"1\" body=\"" + body + "\"" + more + "/>\n";
}

// A date is milliseconds since 1970 written in digits, from 1970 to 9999; anything else keeps
// its message out and is counted. A DOCTYPE makes the file no backup: no entity is expanded.
TEST(SmsBackup, DatesThatAreNoDatesAndDoctypes) {
    const std::vector<std::pair<std::string, bool>> dates = {
        {"1700000000000", true},  {" 1700000000000 ", true}, {"0", true},          {"253402214399999", true},
        {"+1700000000002", false}, {"1.7e12", false},         {"1700000000000x", false}, {"", false},
        {"-1", false},             {"-62135596800000", false}, {"253402300799999", false}, {"99999999999999999999", false},
        {"0x1A", false},           {"null", false},
    };
    std::string x = "<smses>\n";
    int good = 0;
    for (const auto& [date, ok] : dates) {
        x += Sms(date, "d " + date);
        good += ok;
    }
    BackupReadResult result;
    const std::vector<XMsgRecType> got = Records(x + "</smses>\n", result);
    EXPECT_EQ(result.End, BackupEnd::Complete);
    EXPECT_EQ(static_cast<int>(got.size()), good);
    EXPECT_EQ(result.NotADate, static_cast<std::int64_t>(dates.size()) - good);
    for (const XMsgRecType& m : got) EXPECT_EQ(m.Time.size(), 16u);

    const std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE smses [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>\n"
                               "<smses>" + Sms("1700000000000", "&b;") + "</smses>\n";
    EXPECT_TRUE(Records(laughs, result).empty());
    EXPECT_EQ(result.End, BackupEnd::NotBackup);
}

// A text longer than a record holds is cut on a character boundary and counted, however
// long the attribute (past the repair's limit too) and wherever the pieces end.
TEST(SmsBackup, LongTextsAreCutAndCounted) {
    const std::string e = "\xC3\xA9";  // two bytes: 16,383 is cut to 16,382
    for (const std::size_t chars : {std::size_t(8191), std::size_t(8192), std::size_t(600000), std::size_t(3) << 20}) {
        std::string body;
        body.reserve(chars * 2);
        for (std::size_t k = 0; k < chars; ++k) body += e;
        const std::string x = "<smses>\n" + Sms("1700000000000", body, " contact_name=\"Bo\"") + Sms("1700000000000", "after") +
                              "</smses>\n";
        BackupReadResult result;
        const std::vector<XMsgRecType> got = Records(x, result);
        ASSERT_EQ(got.size(), 2u) << chars;
        EXPECT_EQ(got[0].Text.size(), std::min<std::size_t>(chars * 2, MaxTextLength - 1)) << chars;
        EXPECT_EQ(got[0].Name.str(), "Bo");
        EXPECT_EQ(got[1].Text, "after");
        EXPECT_EQ(result.TextsCut, chars * 2 > MaxTextLength ? 1 : 0) << chars;
    }
}

// A long comment, CDATA section or processing instruction keeps only its line feeds past
// the repair's limit: the parser holds little of it, reads on, and counts the same lines.
TEST(SmsBackup, LongMarkupIsCutButEndsAndKeepsItsLines) {
    std::string inside;
    while (inside.size() < (std::size_t(3) << 20)) inside += "a-b \xC3\xA9 ]?x\n";
    for (const auto& [open, close] : std::vector<std::pair<std::string, std::string>>{
             {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?note ", "?>"}}) {
        const std::string x = "<smses>\n" + open + inside + close + "\n" + Sms("1700000000000", "after") + "</smses>\n";
        XmlRepairFilter filter;
        std::string repaired;
        filter.Feed(x, repaired);
        filter.Finish(repaired);
        EXPECT_LT(repaired.size(), XmlRepairFilter::MaxMarkupBytes + inside.size() / 10) << open;
        EXPECT_EQ(std::count(repaired.begin(), repaired.end(), '\n'), std::count(x.begin(), x.end(), '\n')) << open;
        BackupReadResult result;
        const std::vector<XMsgRecType> got = Records(x, result);
        EXPECT_EQ(result.End, BackupEnd::Complete) << open << result.Reason;
        ASSERT_EQ(got.size(), 1u) << open;
        EXPECT_EQ(got[0].Text, "after");
    }
    // So do names: an element's or attribute's name past its limit, in pieces too.
    const std::string name(3 << 20, 'n');
    for (const std::string& x : {"<smses><" + name + " " + name + "=\"1\">" + Sms("1700000000000", "in") + "</" + name + "></smses>",
                                 "<" + name + ">"}) {
        XmlRepairFilter filter;
        std::string repaired;
        for (std::size_t at = 0; at < x.size(); at += 4096) filter.Feed(std::string_view(x).substr(at, 4096), repaired);
        filter.Finish(repaired);
        EXPECT_LT(repaired.size(), 4 * XmlRepairFilter::LongestName + 200);
    }
    BackupReadResult result;
    const std::vector<XMsgRecType> got =
        Records("<smses><" + name + " " + name + "=\"1\">" + Sms("1700000000000", "in") + "</" + name + "></smses>", result);
    EXPECT_EQ(result.End, BackupEnd::Complete) << result.Reason;
    EXPECT_EQ(got.size(), 0u);  // a message is read only as a child of the root
}

// The other party and the group of an MMS or an SMS: from `addrs` when `address` is missing
// or names several numbers; the group's other members in the text's first line.
TEST(SmsBackup, GroupsAreKeptOnceUnderOneNumber) {
    struct Case {
        const char* What;
        std::string Element;
        std::string Phone, Text;
    };
    const std::string addr137 = "<addr address=\"5550111\" type=\"137\"/>";
    const std::string parts = "<parts><part ct=\"text/plain\" text=\"hi\"/></parts>";
    const auto mms = [&](const std::string& box, const std::string& address, const std::string& addrs) {
        return "<mms date=\"1700000000000\" msg_box=\"" + box + "\"" + address + ">" + parts + "<addrs>" + addrs +
               "</addrs></mms>\n";
    };
    const std::vector<Case> cases = {
        {"received, no address", mms("1", "", addr137 + "<addr address=\"5550199\" type=\"151\"/>"), "5550111", "hi"},
        {"received, a group's address",
         mms("1", " address=\"5550112~5550111\"", addr137 + "<addr address=\"5550199\" type=\"151\"/>"), "5550111",
         "[group: 5550112]\r\nhi"},
        {"received, no address, to several",
         mms("1", "", addr137 + "<addr address=\"5550199\" type=\"151\"/><addr address=\"5550113\" type=\"130\"/>"),
         "5550111", "[group: 5550113, 5550199]\r\nhi"},
        {"sent, no address",
         mms("2", "", "<addr address=\"insert-address-token\" type=\"137\"/><addr address=\"5550121\" type=\"151\"/>"
                      "<addr address=\"5550122\" type=\"151\"/>"),
         "5550121", "[group: 5550122]\r\nhi"},
        {"sent, receivers in another order",
         mms("2", "", "<addr address=\"5550122\" type=\"151\"/><addr address=\"5550121\" type=\"151\"/>"),
         "5550121", "[group: 5550122]\r\nhi"},
        {"sent, one address", mms("2", " address=\"5550123\"", "<addr address=\"5550124\" type=\"151\"/>"), "5550123", "hi"},
        {"SMS, a group address", "<sms address=\"+14155550141,~;+12485550142\" date=\"1700000000000\" type=\"2\" body=\"yo\"/>",
         "+14155550141", "[group: +12485550142]\r\nyo"},
    };
    for (const Case& c : cases) {
        BackupReadResult result;
        const std::vector<XMsgRecType> got = Records("<smses>" + c.Element + "</smses>", result);
        ASSERT_EQ(got.size(), 1u) << c.What;
        EXPECT_EQ(got[0].Phone.str(), c.Phone) << c.What;
        EXPECT_EQ(got[0].Text, c.Text) << c.What;
    }
}

std::string Backup(const std::vector<std::pair<long long, std::string>>& messages) {
    std::string x = "<smses>\n";
    for (const auto& [ms, body] : messages)
        x += "<sms address=\"5550100\" date=\"" + std::to_string(ms) + "\" type=\"1\" body=\"" + body + "\"/>\n";
    return x + "</smses>\n";
}

TEST(SmsBackupImport, OverlappingBackupsGiveEachMessageOnce) {
    TempDir dir;
    const std::string a = dir.Write("a.xml", Backup({{60000, "ok"}, {120000, "ok"}, {180000, "on my way"}}));
    const std::string b = dir.Write("b.xml", Backup({{120000, "ok"}, {180000, "on my way"}, {240000, "ok"}}));
    MsgStore S;
    ImportFileReport report;
    EXPECT_EQ(ImportFile(S, a, report), 0);
    EXPECT_TRUE(report.Backup);
    EXPECT_EQ(ImportFile(S, b, report), 0);
    EXPECT_EQ(report.BackupReport.Added, 1);
    ASSERT_EQ(S.MessageCount, 4);
    EXPECT_EQ(S.Messages[4].Text, "ok");

    const std::string html = dir.Write("page.xml", "\xEF\xBB\xBF <html/>");
    EXPECT_EQ(ImportFile(S, html, report), NotValidFileCode);
    EXPECT_EQ(S.MessageCount, 4);
}

TEST(SmsBackupImport, KeepsTheNewestThatFit) {
    TempDir dir;
    MsgStore S;
    for (int k = 0; k < MaxMessages - 3; ++k) AddMessage(S, "2001.01.01 00:00", "5550199", std::to_string(k));
    // Five messages for three places: the newest, and of the two at equal times the later.
    const std::string x = dir.Write("big.xml", Backup({{300000, "c"}, {60000, "a"}, {600000, "e"}, {300000, "d"},
                                                       {120000, "b"}}));
    ImportFileReport report;
    EXPECT_EQ(ImportFile(S, x, report), 0);
    EXPECT_EQ(report.BackupReport.OlderNotImported, 2);
    ASSERT_EQ(S.MessageCount, MaxMessages);
    EXPECT_EQ(S.Messages[MaxMessages - 2].Text, "c");
    EXPECT_EQ(S.Messages[MaxMessages - 1].Text, "e");
    EXPECT_EQ(S.Messages[MaxMessages].Text, "d");
}

// "(Unknown)", an empty name and the number itself are no names: the first real name the
// backup gives a number names all its messages.
TEST(SmsBackupImport, TheFirstRealNameOfANumberWins) {
    TempDir dir;
    std::string x = "<smses>\n";
    const std::vector<std::string> names = {"(Unknown)", "", "5550100", "Ann Example", "Ann (work)", "null"};
    for (std::size_t k = 0; k < names.size(); ++k)
        x += Sms(std::to_string(1700000000000LL + static_cast<long long>(k) * 60000), "m" + std::to_string(k),
                 " contact_name=\"" + names[k] + "\"");
    MsgStore S;
    ImportFileReport report;
    ASSERT_EQ(ImportFile(S, dir.Write("n.xml", x + "</smses>\n"), report), 0);
    ASSERT_EQ(S.MessageCount, static_cast<std::int32_t>(names.size()));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        EXPECT_EQ(S.Messages[n].Name.str(), n == 5 ? "Ann (work)" : "Ann Example") << n;
}

// The selection of the newest that fit against the plain one: every message sorted by time
// (of equal times the later in the file first), the first `room` kept, in file order.
TEST(SmsBackupImport, KeepsWhatSortingEverythingKeeps) {
    std::mt19937 rng(5);
    for (int round = 0; round < 20; ++round) {
        const std::int32_t held = MaxMessages - 1 - static_cast<std::int32_t>(rng() % 200);
        const int offered = static_cast<int>(rng() % 900);
        MsgStore S;
        for (std::int32_t k = 0; k < held; ++k) AddMessage(S, "2001.01.01 00:00", "5550199", std::to_string(k));
        std::vector<std::pair<long long, int>> all;  // time, file position
        BackupSelection selection(S);
        const bool ascending = round % 2;
        for (int k = 0; k < offered; ++k) {
            const long long ms = ascending ? k * 1000LL : static_cast<long long>(rng() % 50) * 60000;
            all.emplace_back(ms, k);
            BackupMessage m;
            m.Record.Phone = "5550100";
            m.Record.Text = "t" + std::to_string(k);
            m.Record.Time = "2020.01.01 00:00";
            m.Millis = ms;
            selection.Offer(m);
        }
        const std::size_t room = static_cast<std::size_t>(MaxMessages - held);
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a > b; });
        if (all.size() > room) all.resize(room);
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        EXPECT_EQ(selection.OlderLeftOut(), offered - static_cast<std::int64_t>(all.size()));
        ASSERT_EQ(selection.AddTo(S), static_cast<std::int32_t>(all.size()));
        for (std::size_t i = 0; i < all.size(); ++i)
            EXPECT_EQ(S.Messages[held + 1 + static_cast<std::int32_t>(i)].Text, "t" + std::to_string(all[i].second));
    }
}

TEST(SmsBackupImport, ADamagedBackupAddsWhatWasRead) {
    TempDir dir;
    MsgStore S;
    const std::string full = Backup({{60000, "one"}, {120000, "two"}});
    const std::string x = dir.Write("cut.xml", full.substr(0, full.size() - 12));
    ImportFileReport report;
    EXPECT_EQ(ImportFile(S, x, report), 0);
    EXPECT_EQ(report.BackupReport.Read.End, BackupEnd::Damaged);
    EXPECT_EQ(report.BackupReport.Read.Line, 3u);
    EXPECT_EQ(S.MessageCount, 1);

    // A read stopped by the caller adds nothing.
    MsgStore T;
    SmsBackupReport stopped;
    EXPECT_EQ(ImportSmsBackup(T, dir.Write("whole.xml", full), stopped, [](std::uint64_t, std::int64_t) { return false; }),
              0);
    EXPECT_EQ(stopped.Read.End, BackupEnd::Stopped);
    EXPECT_EQ(T.MessageCount, 0);
}

}  // namespace

#include "cli/ImportCommand.h"
#include <sstream>

namespace {
TEST(SmsBackupImport, SplitByYearWritesOneDataFilePerYear) {
    CentralEuropeanTime zone;
    TempDir dir;
    // 2019-12-31 22:30 UTC is 2019.12.31 23:30 here; 2020-01-01 00:30 UTC is already 2020.
    const std::string x = dir.Write("b.xml", Backup({{1577831400000, "late"}, {1577838600000, "new year"},
                                                     {1577838600000, "again"}}));
    std::ostringstream out, err;
    ASSERT_EQ(RunImportCommand({"--split-by-year", dir.Path().string(), x}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), BackupYearSplit::PathOf(dir.Path().string(), 2019) + ": 1 messages\n" +
                             BackupYearSplit::PathOf(dir.Path().string(), 2020) + ": 2 messages\n");
    MsgStore S;
    DefaultsType D;
    ASSERT_EQ(OpenCollection(S, D, BackupYearSplit::PathOf(dir.Path().string(), 2020)), 0);
    EXPECT_EQ(S.MessageCount, 2);

    // A cut backup writes nothing.
    const std::string cut = dir.Write("cut.xml", "<smses>\n<sms address=\"5550100\" date=\"0\" type=\"1\" body=\"a\"/>\n");
    TempDir empty;
    std::ostringstream o, e;
    EXPECT_EQ(RunImportCommand({"--split-by-year", empty.Path().string(), cut}, o, e), 1);
    EXPECT_NE(e.str().find("damaged at line 3"), std::string::npos) << e.str();
    EXPECT_TRUE(std::filesystem::is_empty(empty.Path()));
}
}  // namespace

namespace {
// The command line names what a backup passed over or cut, and the import still succeeds.
TEST(SmsBackupImport, TheCommandLineCountsBadDatesAndCutTexts) {
    TempDir dir;
    const std::string x = dir.Write("b.xml", "<smses>\n" + Sms("1700000000000", std::string(20000, 'a')) +
                                                 Sms("1.7e12", "b") + Sms("-5", "c") + Sms("1700000060000", "d") + "</smses>\n");
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({x}, out, err), 0) << err.str();
    EXPECT_NE(err.str().find("kestro-cli: 2 messages not taken: with a date that is not a date\n"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("kestro-cli: 1 text cut to 16,383 bytes\n"), std::string::npos) << err.str();
    EXPECT_NE(out.str().find("2 messages"), std::string::npos) << out.str();
}
}  // namespace

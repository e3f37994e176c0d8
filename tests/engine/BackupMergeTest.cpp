// SPDX-License-Identifier: GPL-3.0-or-later
#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Formats/BackupMerge.h"
#include "Formats/BackupMergeRepair.h"
#include "Formats/SmsBackupReader.h"
#include "support/FileTestHelpers.h"

namespace {

const std::string Grin = "\xF0\x9F\x98\x80";
const std::string Replacement = "\xEF\xBF\xBD";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A text of the generator in both forms: as one copy writes it, and as a strict parser
// must get it. Emoji and a lone surrogate come raw or as references, at random per copy.
struct Piece {
    std::string Raw, Strict;
};

// One message, as its copies vary: what makes it the same message is fixed, the rest
// (read flag, name, emoji forms, order of addresses, spaces around numbers) drawn anew.
struct Message {
    bool Mms = false;
    long long Date = 0;
    int Type = 1;
    std::vector<std::string> Addresses;
    std::vector<std::string> BodyTokens;  // "GRIN" and "LONE" stand for the two forms
    std::string Data;                     // the picture's base64 (MMS)
    std::size_t Control = std::string::npos;  // where a stray control byte lies in it
};

Piece Body(const Message& m, std::mt19937& rng) {
    Piece p;
    for (const std::string& t : m.BodyTokens) {
        const bool ref = rng() % 2;
        if (t == "GRIN") {
            p.Raw += ref ? "&#55357;&#56832;" : Grin;
            p.Strict += Grin;
        } else if (t == "LONE") {
            p.Raw += ref ? "&#56832;" : Replacement;
            p.Strict += Replacement;
        } else {
            p.Raw += t;
            p.Strict += t;
        }
    }
    return p;
}

Piece Copy(const Message& m, std::mt19937& rng) {
    const auto both = [](Piece& p, const std::string& s) {
        p.Raw += s;
        p.Strict += s;
    };
    Piece e;
    const std::string read = std::to_string(rng() % 2);
    std::string group;
    for (const std::string& a : m.Addresses) group += (group.empty() ? "" : "~") + a;
    const std::string pad = rng() % 3 == 0 ? " " : "";
    if (!m.Mms) {
        both(e, "<sms protocol=\"0\" address=\"" + pad + group + "\" date=\"" + std::to_string(m.Date) + "\" type=\"" +
                    std::to_string(m.Type) + "\" subject=\"null\" body=\"");
        const Piece b = Body(m, rng);
        e.Raw += b.Raw;
        e.Strict += b.Strict;
        both(e, "\" read=\"" + read + "\" contact_name=\"(Unknown)\" />");
        return e;
    }
    both(e, "<mms date=\"" + std::to_string(m.Date) + "\" msg_box=\"" + std::to_string(m.Type) + "\" address=\"" + group +
                "\" read=\"" + read + "\">\n    <parts>\n      <part seq=\"-1\" ct=\"application/smil\" "
                "text=\"&lt;smil&gt;&lt;/smil&gt;\" />\n      <part seq=\"0\" ct=\"image/jpeg\" data=\"");
    e.Raw += m.Control == std::string::npos ? m.Data : m.Data.substr(0, m.Control) + '\x02' + m.Data.substr(m.Control);
    e.Strict += m.Data;
    both(e, "\" />\n      <part seq=\"1\" ct=\"text/plain\" text=\"");
    const Piece b = Body(m, rng);
    e.Raw += b.Raw;
    e.Strict += b.Strict;
    both(e, "\" />\n    </parts>\n    <addrs>\n");
    std::vector<std::string> addrs = m.Addresses;
    std::shuffle(addrs.begin(), addrs.end(), rng);
    for (const std::string& a : addrs)
        both(e, "      <addr address=\"" + pad + a + pad + "\" type=\"" + (a == m.Addresses[0] ? "137" : "151") +
                    "\" charset=\"106\" />\n");
    both(e, "    </addrs>\n  </mms>");
    return e;
}

// A pool of distinct messages, some of them alike but for one thing that makes them differ.
std::vector<Message> Pool(std::mt19937& rng, int n) {
    static const std::vector<std::string> words = {"ok ", "caf\xC3\xA9 ", "&amp; ", "&lt;3 ", "&#10;", "GRIN", "LONE", "see you "};
    std::vector<Message> pool;
    long long date = 1500000000000;
    while (static_cast<int>(pool.size()) < n) {
        Message m;
        m.Mms = rng() % 3 == 0;
        m.Date = date += 1000 * (1 + rng() % 5);
        m.Type = 1 + static_cast<int>(rng() % 2);
        for (unsigned k = 0, c = 1 + rng() % 3; k < c; ++k) m.Addresses.push_back("555" + std::to_string(1000 + rng() % 20));
        for (unsigned k = 0, c = 1 + rng() % 6; k < c; ++k) m.BodyTokens.push_back(words[rng() % words.size()]);
        for (unsigned k = 0, c = 8 + rng() % 64; k < c; ++k) m.Data += "QUJDRA+/"[rng() % 8];
        if (m.Mms && rng() % 2) m.Data += "\nQUJD";
        // Long pictures, which the copy passes over, and stray controls, which it drops.
        if (m.Mms && rng() % 4 == 0) m.Data += std::string(BackupMergeRepair::LongValue + rng() % 3, 'Q');
        if (m.Mms && rng() % 5 == 0) m.Control = rng() % m.Data.size();
        pool.push_back(m);
        if (rng() % 4 != 0) continue;
        Message v = m;  // the same date, one difference
        switch (rng() % 4) {
            case 0: v.BodyTokens.push_back("!"); break;
            case 1: v.Type = 3 - v.Type; break;
            case 2: v.Addresses[0] += "9"; break;
            default: v.Mms ? void(v.Data += "AB") : v.BodyTokens.push_back("GRIN");
        }
        pool.push_back(v);
    }
    return pool;
}

struct Backup {
    std::string Raw, Strict;
    std::vector<std::pair<int, std::string>> Elements;  // message number, strict bytes
};

Backup Write(const std::vector<Message>& pool, const std::vector<int>& chosen, const std::string& root,
             std::mt19937& rng) {
    Backup b;
    const std::string head = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n" + root;
    b.Raw = b.Strict = head;
    for (const int i : chosen) {
        const Piece e = Copy(pool[static_cast<std::size_t>(i)], rng);
        b.Raw += "\n  " + e.Raw;
        b.Strict += "\n  " + e.Strict;
        b.Elements.emplace_back(i, e.Strict);
    }
    b.Raw += "\n</smses>\n";
    b.Strict += "\n</smses>\n";
    return b;
}

// The `sms` and `mms` elements of a file that a strict parser reads whole; none when it refuses it.
std::vector<std::string> StrictElements(const std::string& xml, std::string* rootTag = nullptr) {
    struct State {
        XML_Parser P;
        int Depth = 0;
        std::size_t Start = 0;
        std::vector<std::string> Elements;
        std::string Root;
        const std::string* Xml;
    } s;
    s.Xml = &xml;
    s.P = XML_ParserCreate(nullptr);
    XML_SetUserData(s.P, &s);
    XML_SetElementHandler(
        s.P,
        [](void* d, const XML_Char*, const XML_Char**) {
            auto& st = *static_cast<State*>(d);
            const auto at = static_cast<std::size_t>(XML_GetCurrentByteIndex(st.P));
            if (++st.Depth == 2) st.Start = at;
            if (st.Depth == 1) st.Root = st.Xml->substr(at, static_cast<std::size_t>(XML_GetCurrentByteCount(st.P)));
        },
        [](void* d, const XML_Char*) {
            auto& st = *static_cast<State*>(d);
            const auto end = static_cast<std::size_t>(XML_GetCurrentByteIndex(st.P) + XML_GetCurrentByteCount(st.P));
            if (st.Depth-- == 2) st.Elements.push_back(st.Xml->substr(st.Start, end - st.Start));
        });
    const bool ok = XML_Parse(s.P, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(s.P);
    if (rootTag) *rootTag = s.Root;
    return ok ? s.Elements : std::vector<std::string>{};
}

std::set<std::string> ReadMessages(const std::vector<std::string>& paths) {
    std::set<std::string> records;
    for (const std::string& p : paths) {
        BackupReadResult r;
        ReadSmsBackupFile(p, [&](BackupMessage& m) {
            records.insert(std::to_string(m.Millis) + '|' + std::string(m.Record.Phone.view()) + '|' +
                           std::to_string(m.Record.Flags) + '|' + m.Record.Text);
        }, r);
    }
    return records;
}

TEST(BackupMerge, EveryDistinctMessageOnceByteForByteInOrder) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        const std::vector<Message> pool = Pool(rng, 60);
        std::vector<int> inA, inB;
        for (int i = 0; i < static_cast<int>(pool.size()); ++i) {
            const unsigned where = rng() % 10;
            if (where < 6) inA.push_back(i);
            if (where >= 3) inB.push_back(i);
            if (where == 9) inA.push_back(i);  // twice in one backup
        }
        const Backup a = Write(pool, inA, "<smses count=\"1\" backup_date=\"1000\">", rng);
        const Backup b = Write(pool, inB, "<smses backup_set=\"x\" backup_date=\"2000\" type=\"full\">", rng);
        TempDir dir;
        const std::string pa = dir.Write("a.xml", a.Raw), pb = dir.Write("b.xml", b.Raw);
        const std::string ab = PathIn(dir, "ab.xml"), ba = PathIn(dir, "ba.xml"), aa = PathIn(dir, "aa.xml");
        const MergeResult r = MergeBackups({pa, pb}, ab);
        ASSERT_EQ(r.End, MergeEnd::Written);
        ASSERT_EQ(MergeBackups({pb, pa}, ba).End, MergeEnd::Written);

        // What must come out: each message once, as the newer backup (b) has it.
        std::map<int, std::string> expected;
        for (const auto& [i, bytes] : a.Elements) expected.try_emplace(i, bytes);
        for (const auto& [i, bytes] : b.Elements) expected.insert_or_assign(i, bytes);
        std::set<int> firstInB;
        for (const auto& [i, bytes] : b.Elements)
            if (firstInB.insert(i).second) expected[i] = bytes;  // the first copy of b
        std::string root;
        const std::vector<std::string> got = StrictElements(ReadAll(ab), &root);
        ASSERT_EQ(got.size(), expected.size());
        std::multiset<std::string> want, gotSet(got.begin(), got.end());
        for (const auto& [i, bytes] : expected) want.insert(bytes);
        EXPECT_EQ(gotSet, want);
        for (std::size_t k = 1; k < got.size(); ++k) {
            const auto dateOf = [](const std::string& e) { return e.substr(e.find("date=\"") + 6, 13); };
            EXPECT_LE(dateOf(got[k - 1]), dateOf(got[k]));
        }
        EXPECT_EQ(root, "<smses count=\"" + std::to_string(expected.size()) +
                            "\" backup_set=\"x\" backup_date=\"2000\" type=\"full\">");
        const std::vector<std::string> reversed = StrictElements(ReadAll(ba));
        EXPECT_EQ(std::multiset<std::string>(reversed.begin(), reversed.end()), gotSet);

        // The report adds up.
        EXPECT_EQ(r.Inputs[0].Read, static_cast<std::int64_t>(inA.size()));
        EXPECT_EQ(r.Inputs[1].Read, static_cast<std::int64_t>(inB.size()));
        EXPECT_EQ(r.Inputs[1].Written, static_cast<std::int64_t>(firstInB.size()));
        EXPECT_EQ(r.Written, static_cast<std::int64_t>(expected.size()));
        for (const MergeInputReport& in : r.Inputs) EXPECT_EQ(in.Read, in.Written + in.Twice);

        // Read back, it holds what the two backups hold.
        EXPECT_EQ(ReadMessages({ab}), ReadMessages({pa, pb}));

        // A backup merged with itself comes back, in its strict form (its count found
        // across blanks).
        const Backup single = Write(pool, inB, "<smses\tcount\n=\"" + std::to_string(inB.size()) + "\">", rng);
        const std::string ps = dir.Write("s.xml", single.Raw);
        ASSERT_EQ(MergeBackups({ps, ps}, aa).End, MergeEnd::Written);
        EXPECT_EQ(ReadAll(aa), single.Strict);
    }
}

TEST(BackupMerge, DamagedOrForeignInputStopsBeforeAnythingIsWritten) {
    const std::string good =
        "<?xml version='1.0' encoding='UTF-8'?>\n<smses count=\"2\">\n"
        "  <sms address=\"5550100\" date=\"1500000000000\" type=\"1\" body=\"one\" />\n"
        "  <sms address=\"5550100\" date=\"1500000001000\" type=\"1\" body=\"two\" />\n</smses>\n";
    struct Case {
        std::string Bytes;
        MergeEnd End;
        std::uint64_t Line;       // damaged: where
        std::int64_t TakenRead;  // with damaged inputs taken: the messages read of it
    };
    const std::vector<Case> cases = {
        {good.substr(0, good.size() - 30), MergeEnd::Damaged, 4, 1},                // cut short
        {good.substr(0, 100) + "<sms\x01 & />" + good.substr(100), MergeEnd::Damaged, 3, 0},
        {"<?xml version='1.0'?>\n<html><body/></html>\n", MergeEnd::NotBackup, 0, 0},
        {"not xml at all", MergeEnd::NotBackup, 0, 0},
        {"<smses>\n  <sms body=\"caf\xE9\" date=\"1\" />\n</smses>", MergeEnd::Damaged, 2, 0},  // Latin-1, no UTF-8
        // A picture's base64 with markup in it would be copied into a file no XML reader takes.
        {"<smses>\n<mms date=\"1500000002000\" msg_box=\"1\" address=\"5550101\"><parts>\n"
         "<part ct=\"image/png\" data=\"QUJD&#\nREVG\"/></parts></mms>\n</smses>\n",
         MergeEnd::Damaged, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bytes);
        TempDir dir;
        const std::string in = dir.Write("in.xml", c.Bytes), other = dir.Write("good.xml", good);
        const std::string out = PathIn(dir, "out.xml");
        MergeResult r = MergeBackups({other, in}, out);
        EXPECT_EQ(r.End, c.End);
        EXPECT_EQ(r.Input, 1u);
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(FileCount(dir), 2u);
        // First of two, it stops the merge as well, though both are read at once.
        const MergeResult first = MergeBackups({in, other}, out);
        EXPECT_EQ(first.End, c.End);
        EXPECT_EQ(first.Input, 0u);
        EXPECT_EQ(first.Inputs[1].Read, 0);
        EXPECT_FALSE(std::filesystem::exists(out));
        const std::vector<std::string> lines = MergeReportLines(r, out);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("\"" + in + "\""), std::string::npos);
        if (c.End != MergeEnd::Damaged) continue;
        EXPECT_EQ(r.Inputs[1].Line, c.Line);
        EXPECT_NE(lines[0].find("line " + std::to_string(c.Line)), std::string::npos);

        r = MergeBackups({other, in}, out, MergeOptions{.SkipDamaged = true, .Progress = {}});
        ASSERT_EQ(r.End, MergeEnd::Written);
        EXPECT_TRUE(r.Inputs[1].Damaged);
        EXPECT_EQ(r.Inputs[1].Read, c.TakenRead);
        EXPECT_EQ(r.Written, 2);
        EXPECT_EQ(StrictElements(ReadAll(out)).size(), 2u);
        EXPECT_NE(MergeReportLines(r, out)[1].find("damaged at line"), std::string::npos);
    }
}

TEST(BackupMerge, StoppedByProgressWritesNothing) {
    TempDir dir;
    const std::string in = dir.Write("in.xml", "<smses><sms date=\"1\" body=\"x\"/></smses>");
    const std::string out = PathIn(dir, "out.xml");
    for (int stopAt = 0; stopAt < 3; ++stopAt) {
        int calls = 0;
        const MergeResult r = MergeBackups({in}, out, MergeOptions{.SkipDamaged = false, .Progress = [&](std::uint64_t, std::uint64_t) {
                                                                       return calls++ < stopAt;
                                                                   }});
        EXPECT_EQ(r.End, MergeEnd::Stopped);
        EXPECT_EQ(FileCount(dir), 1u);
    }
}

// A reference right after an element's end (one the filter holds until it sees the next
// byte) stays out of the element: the elements come out exactly, and strict.
TEST(BackupMerge, ReferenceAfterAnElementStaysOutOfIt) {
    TempDir dir;
    const std::string a = "<sms address=\"5550100\" date=\"1\" type=\"1\" body=\"one\" />";
    const std::string b = "<sms address=\"5550100\" date=\"2\" type=\"1\" body=\"two\"></sms>";
    const std::string in = dir.Write("in.xml", "<smses>&#xD83D;\n  " + a + "&#xD83D;\n  " + b + "&#55357;&#56832;</smses>");
    const std::string out = PathIn(dir, "out.xml");
    ASSERT_EQ(MergeBackups({in}, out).End, MergeEnd::Written);
    EXPECT_EQ(ReadAll(out), "<smses count=\"2\">\n  " + a + "\n  " + b + "\n</smses>\n");
}

// The repair gives the same bytes however the file is cut into pieces, and leads every
// tag's `<` back to the file's.
TEST(BackupMergeRepair, SameBytesAndPlacesWhereverThePiecesEnd) {
    const std::string file =
        "<?xml version='1.0'?><!-- &#55357; <a data=\" --><smses>\x01<sms body=\"&#55357;&#56832;&#56832;&#1;x&#xD83D;\" "
        "data=\"QUJD\nREVG\" b='&#55357;&amp;'/><![CDATA[&#55357;]]><?pi &#55357;?><mms>&#55357;<part "
        "data='\x02QQ' text=\"&#65;\"/>&#x1F600;</mms>&#55357;</smses>";
    for (const auto data : {BackupMergeRepair::DataValues::Keep, BackupMergeRepair::DataValues::Hash}) {
        std::string whole;
        {
            BackupMergeRepair r(data);
            r.Feed(file, whole);
            r.Finish(whole);
        }
        for (std::size_t step = 1; step <= 7; ++step) {
            BackupMergeRepair r(data);
            std::string out;
            for (std::size_t i = 0; i < file.size(); i += step) r.Feed(std::string_view(file).substr(i, step), out);
            r.Finish(out);
            EXPECT_EQ(out, whole);
            std::vector<std::size_t> tagsIn, tagsOut;
            for (std::size_t i = 0; (i = file.find('<', i)) != std::string::npos; ++i) tagsIn.push_back(i);
            for (std::size_t i = 0; (i = out.find('<', i)) != std::string::npos; ++i) tagsOut.push_back(r.InputOffset(i));
            EXPECT_EQ(tagsOut, tagsIn);
        }
        if (data == BackupMergeRepair::DataValues::Keep) {
            EXPECT_NE(whole.find("<!-- &#55357; <a data=\" -->"), std::string::npos);
            EXPECT_NE(whole.find("body=\"" + Grin + Replacement + "x" + Replacement + "\""), std::string::npos);
            EXPECT_NE(whole.find("<![CDATA[&#55357;]]><?pi &#55357;?>"), std::string::npos);
            EXPECT_NE(whole.find("data='QQ' text=\"&#65;\"/>&#x1F600;</mms>" + Replacement + "</smses>"), std::string::npos);
        } else {
            EXPECT_EQ(whole.find("QUJD"), std::string::npos);
            EXPECT_NE(whole.find("\n\" b='"), std::string::npos);  // the data's line feed stays
        }
    }
}

// The runs the filter scans sixteen bytes at a time give what the same bytes give one to
// seven at a time (scanned byte by byte), in random files of tags, values, references,
// controls, comments and long runs; where the filter says it changed nothing, its output
// is the file.
TEST(BackupMergeRepair, LongRunsAsBytesOneByOne) {
    const std::vector<std::string> tokens = {"<", ">", "\"", "'", "=", " ", "\t", "\x01", "&", "&#55357;", "&#56832;",
                                             "&#10;", "<!--", "-->", "<![CDATA[", "]]>", "<?", "?>", " data=\"",
                                             "body='", std::string(40, 'Q'), "caf\xC3\xA9 see you at eight"};
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::string file;
        for (int k = std::uniform_int_distribution<int>(1, 80)(rng); k > 0; --k)
            file += tokens[std::uniform_int_distribution<std::size_t>(0, tokens.size() - 1)(rng)];
        for (const auto data : {BackupMergeRepair::DataValues::Keep, BackupMergeRepair::DataValues::Hash}) {
            BackupMergeRepair whole(data), bytes(data);
            std::string a, b;
            whole.Feed(file, a);
            whole.Finish(a);
            for (std::size_t i = 0; i < file.size(); i += 1 + i % 7) bytes.Feed(std::string_view(file).substr(i, 1 + i % 7), b);
            bytes.Finish(b);
            ASSERT_EQ(a, b) << file;
            if (data == BackupMergeRepair::DataValues::Keep && !whole.ChangedIn(0, file.size() + 1)) {
                ASSERT_EQ(a, file);
            }
        }
    }
}

}  // namespace

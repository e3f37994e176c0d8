// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "Formats/VCard.h"
#include "OFuncs/Utf8.h"

namespace {

struct CardCase {
    const char* What;
    std::string File;
    std::vector<VCardContact> Expected;
    int CardsRead;
};

// The examples of the vCard standards' texts (3.0: RFC 2426 section 7; 4.0: RFC 6350
// section 8; 2.1: the example in the 2.1 format's own text), then the forms phones and mail
// programs write.
const std::vector<CardCase>& Cases() {
    static const std::vector<CardCase> cases = {
        {"RFC 2426",
         "BEGIN:vCard\r\nVERSION:3.0\r\nFN:Frank Dawson\r\nORG:Lotus Development Corporation\r\n"
         "ADR;TYPE=WORK,POSTAL,PARCEL:;;6544 Battleford Drive\r\n ;Raleigh;NC;27613-3502;U.S.A.\r\n"
         "TEL;TYPE=VOICE,MSG,WORK:+1-919-676-9515\r\nTEL;TYPE=FAX,WORK:+1-919-676-9564\r\n"
         "EMAIL;TYPE=INTERNET,PREF:Frank_Dawson@Lotus.com\r\nEMAIL;TYPE=INTERNET:fdawson@earthlink.net\r\n"
         "URL:http://home.earthlink.net/~fdawson\r\nEND:vCard\r\n\r\n"
         "BEGIN:vCard\r\nVERSION:3.0\r\nFN:Tim Howes\r\nORG:Netscape Communications Corp.\r\n"
         "ADR;TYPE=WORK:;;501 E. Middlefield Rd.;Mountain View;\r\n CA; 94043;U.S.A.\r\n"
         "TEL;TYPE=VOICE,MSG,WORK:+1-415-937-3419\r\nTEL;TYPE=FAX,WORK:+1-415-528-4164\r\n"
         "EMAIL;TYPE=INTERNET:howes@netscape.com\r\nEND:vCard\r\n",
         {{"Frank Dawson", {"+1-919-676-9515", "+1-919-676-9564"}}, {"Tim Howes", {"+1-415-937-3419", "+1-415-528-4164"}}},
         2},
        {"RFC 6350",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Simon Perreault\r\nN:Perreault;Simon;;;ing. jr,M.Sc.\r\n"
         "BDAY:--0203\r\nANNIVERSARY:20090808T1430-0500\r\nGENDER:M\r\nLANG;PREF=1:fr\r\nLANG;PREF=2:en\r\n"
         "ORG;TYPE=work:Viagenie\r\nADR;TYPE=work:;Suite D2-630;2875 Laurier;\r\n Quebec;QC;G1V 2M2;Canada\r\n"
         "TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-656-9254;ext=102\r\n"
         "TEL;VALUE=uri;TYPE=\"work,cell,voice,video,text\":tel:+1-418-262-6501\r\n"
         "EMAIL;TYPE=work:simon.perreault@viagenie.ca\r\nGEO;TYPE=work:geo:46.772673,-71.282945\r\n"
         "KEY;TYPE=work;VALUE=uri:\r\n http://www.viagenie.ca/simon.perreault/simon.asc\r\nTZ:-0500\r\n"
         "URL;TYPE=home:http://nomis80.org\r\nEND:VCARD\r\n",
         {{"Simon Perreault", {"+1-418-656-9254", "+1-418-262-6501"}}},
         1},
        {"vCard 2.1",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Smith;John;M.;Mr.;Esq.\r\nTEL;WORK;VOICE;MSG:+1 (919) 555-1234\r\n"
         "TEL;CELL:+1 (919) 554-6758\r\nTEL;WORK;FAX:+1 (919) 555-9876\r\n"
         "ADR;WORK;PARCEL;POSTAL;DOM:Suite 101;1 Central St.;Any Town;NC;27654\r\nEND:VCARD\r\n",
         {{"John M. Smith", {"+1 (919) 555-1234", "+1 (919) 554-6758", "+1 (919) 555-9876"}}},
         1},
        {"quoted-printable soft break inside a character, UTF-8",
         "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=\n=BCrgen M=C3=BC=\nller\nTEL;CELL:+49 155 50200\nEND:VCARD\n",
         {{"J\xC3\xBCrgen M\xC3\xBCller", {"+49 155 50200"}}},
         1},
        {"ISO-8859-1, N only, bare QUOTED-PRINTABLE",
         "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:M=FCller;J=FCrgen;;;\nTEL:0155 50201\nEND:VCARD\n",
         {{"J\xC3\xBCrgen M\xC3\xBCller", {"0155 50201"}}},
         1},
        {"Windows-1252",
         "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=WINDOWS-1252;ENCODING=QUOTED-PRINTABLE:Fran=E7ois =80\nTEL:555 0102\nEND:VCARD\n",
         {{"Fran\xC3\xA7ois \xE2\x82\xAC", {"555 0102"}}},
         1},
        {"escapes, empty FN, group prefixes, folding with a tab",
         "BEGIN:VCARD\nVERSION:3.0\nFN:\nN:Doe\\, Sr;Jane\\;Ann;;;\nitem1.TEL;type=pref:+1 555\n\t0103\n"
         "item1.X-ABLabel:mobile\nitem2.TEL:BANK\nEND:VCARD\n"
         "BEGIN:VCARD\nVERSION:3.0\nFN:Line\\nBreak\\\\Slash\nTEL:5550104\nEND:VCARD\n",
         {{"Jane;Ann Doe, Sr", {"+1 5550103", "BANK"}}, {"Line Break\\Slash", {"5550104"}}},
         2},
        {"no number, damaged card, an agent's card, no END at the end",
         "BEGIN:VCARD\nVERSION:3.0\nFN:No Number\nEMAIL:a@example.org\nEND:VCARD\n"
         "BEGIN:VCARD\nVERSION:3.0\nFN:Cut Off\nTEL:5550105\n"
         "BEGIN:VCARD\nVERSION:2.1\nFN:Boss\nTEL:5550106\nAGENT:\nBEGIN:VCARD\nFN:Agent\nTEL:5550107\nEND:VCARD\nEND:VCARD\n"
         "BEGIN:VCARD\nFN:Unfinished\nTEL:5550108\n",
         {{"Boss", {"5550106"}}},
         2},
        {"byte-order mark, lower case, blank lines",
         "\xEF\xBB\xBF\r\nbegin:vcard\r\nversion:4.0\r\nfn:Eve Lee\r\ntel;value=uri:TEL:+1-555-0109\r\nend:vcard\r\n",
         {{"Eve Lee", {"+1-555-0109"}}},
         1},
    };
    return cases;
}

TEST(VCard, StandardsExamplesAndWrittenForms) {
    for (const CardCase& c : Cases()) {
        SCOPED_TRACE(c.What);
        EXPECT_TRUE(LooksLikeVCard(c.File));
        const VCardBook book = ParseVCards(c.File);
        EXPECT_EQ(book.CardsRead, c.CardsRead);
        ASSERT_EQ(book.Contacts.size(), c.Expected.size());
        for (std::size_t i = 0; i < c.Expected.size(); ++i) {
            EXPECT_EQ(book.Contacts[i].Name, c.Expected[i].Name);
            EXPECT_EQ(book.Contacts[i].Phones, c.Expected[i].Phones);
        }
    }
    EXPECT_FALSE(LooksLikeVCard("\"Title\",\"First name\"\r\nBEGIN:VCARD"));
}

// Quoted-printable bytes of s, with a soft line break after a random number of them.
std::string QuotedPrintable(const std::string& s, std::mt19937& rng) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (rng() % 4 == 0) out += "=\r\n";
        out += '=';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

// Escaped as 3.0 and 4.0 do, or as 2.1 does: only the semicolon.
std::string Escaped(const std::string& s, bool version21 = false) {
    std::string out;
    for (const char c : s) {
        if (c == ';' || (!version21 && (c == '\\' || c == ','))) out += '\\';
        out += c;
    }
    return out;
}

// Folded at random byte positions, also inside a character: a line break and a space.
std::string Folded(const std::string& line, std::mt19937& rng) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i > 0 && rng() % 9 == 0) out += "\r\n ";
        out += line[i];
    }
    return out;
}

// UTF-16 with its byte-order mark, of UTF-8 text; empty for bytes that are no UTF-8 (a
// line folded inside a character).
std::string Utf16(const std::string& s, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    const auto unit = [&](char32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += littleEndian ? lo : hi;
        out += littleEndian ? hi : lo;
    };
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0) return {};
        const char32_t c = DecodeUtf8At(s, i, n);
        i += n;
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

// The file as other programs write it: CR LF made LF, CR or CR CR LF, for the whole file
// or line by line; with a byte-order mark, or as UTF-16 of either byte order.
std::string Dressed(const std::string& file, std::mt19937& rng) {
    static const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\r\r\n"};
    const unsigned form = rng() % 5;  // 4: a random end for each line
    std::string out;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file.compare(i, 2, "\r\n") == 0) {
            out += ends[form < 4 ? form : rng() % 4];
            ++i;
        } else {
            out += file[i];
        }
    }
    const unsigned encoding = rng() % 4;
    const std::string utf16 = encoding == 1 || encoding == 2 ? Utf16(out, encoding == 1) : std::string();
    return encoding == 0 ? "\xEF\xBB\xBF" + out : utf16.empty() ? out : utf16;
}

// Random names (letters, accents, symbols, the characters that need escapes) and numbers,
// written as 2.1 quoted-printable, as 3.0 folded and escaped, and as 4.0 tel: URIs, with
// any line ends and in UTF-8 or UTF-16: every form reads back as written.
TEST(VCard, EveryWrittenFormReadsBack) {
    std::mt19937 rng(24);
    const std::vector<std::string> pieces = {"a", "Z", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", ";", ",", "\\", ":", "-"};
    for (int round = 0; round < 200; ++round) {
        std::vector<VCardContact> cards(1 + rng() % 5);
        std::string file;
        for (VCardContact& card : cards) {
            card.Name = "N";
            for (int k = rng() % 12; k > 0; --k) card.Name += pieces[rng() % pieces.size()] + (rng() % 5 ? "" : " x");
            for (int k = 1 + rng() % 3; k > 0; --k) card.Phones.push_back("+1 555 01" + std::to_string(10 + rng() % 90));
            switch (rng() % 3) {
                case 0:
                    file += "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + QuotedPrintable(Escaped(card.Name, true), rng) + "\r\n";
                    for (const std::string& p : card.Phones) file += "TEL;CELL;PREF:" + p + "\r\n";
                    break;
                case 1:
                    file += "BEGIN:VCARD\r\nVERSION:3.0\r\n" + Folded("FN:" + Escaped(card.Name), rng) + "\r\n";
                    for (const std::string& p : card.Phones) file += Folded("item" + std::to_string(rng() % 9) + ".TEL;TYPE=CELL:" + p, rng) + "\r\n";
                    break;
                default:
                    file += "BEGIN:VCARD\r\nVERSION:4.0\r\n" + Folded("FN:" + Escaped(card.Name), rng) + "\r\n";
                    for (const std::string& p : card.Phones) file += "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:" + p + ";ext=1\r\n";
            }
            file += "END:VCARD\r\n";
        }
        file = Dressed(file, rng);
        ASSERT_TRUE(LooksLikeVCard(file.substr(0, 64)));
        const VCardBook book = ParseVCards(file);
        ASSERT_EQ(book.CardsRead, static_cast<int>(cards.size())) << file;
        ASSERT_EQ(book.Contacts.size(), cards.size()) << file;
        for (std::size_t i = 0; i < cards.size(); ++i) {
            EXPECT_EQ(book.Contacts[i].Name, cards[i].Name) << file;
            EXPECT_EQ(book.Contacts[i].Phones, cards[i].Phones) << file;
        }
    }
}

}  // namespace

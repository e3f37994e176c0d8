// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "OFuncs/Links.h"

namespace {
// As the detail line calls them: the text with a space before and after.
std::string Link(std::string_view text) { return FindWebLink(" " + std::string(text) + " "); }
std::string Email(std::string_view text) { return FindEmailAddress(" " + std::string(text) + " "); }
}  // namespace

TEST(FindWebLink, TrailingPunctuationGoesKindByKind) {
    EXPECT_EQ(Link("see http://example.com/a?!"), "http://example.com/a");
    EXPECT_EQ(Link("see http://example.com/a!?"), "http://example.com/a!");
    EXPECT_EQ(Link("see http://example.com/a.,"), "http://example.com/a.");
    EXPECT_EQ(Link("see http://example.com/a,.;;..."), "http://example.com/a,.");
    EXPECT_EQ(Link("http://example.com/?q=1"), "http://example.com/?q=1");
}

TEST(FindWebLink, SecureLinksStaySecureOtherSchemesBecomeHttp) {
    EXPECT_EQ(Link("go https://secure.example.org/x."), "https://secure.example.org/x");
    EXPECT_EQ(Link("go HTTPS://Example.org"), "https://Example.org");
    EXPECT_EQ(Link("(https://example.org)"), "https://example.org)");
    EXPECT_EQ(Link("ftp://files.example.net/f"), "http://files.example.net/f");
    EXPECT_EQ(Link("xhttps://example.org"), "http://example.org");
    EXPECT_EQ(Link("hxxp://example.org"), "http://example.org");
    EXPECT_EQ(Link("odd ://example.org"), "http://example.org");
}

TEST(FindWebLink, FirstLinkOnlyAndOnlySpacesDelimit) {
    EXPECT_EQ(Link("a http://one.example b https://two.example"), "http://one.example");
    EXPECT_EQ(Link("http://a.example\tnext\r\nline"), "http://a.example\tnext\r\nline");
    EXPECT_EQ(Link("no link at www.example.com"), "");
    EXPECT_EQ(Link(""), "");
    EXPECT_EQ(Link("empty :// host"), "http://");
    EXPECT_EQ(FindWebLink("http://unpadded.example"), "http://unpadded.example");
}

TEST(FindEmailAddress, RulesOfAnAddress) {
    EXPECT_EQ(Email("mail jo.doe@example.com now"), "jo.doe@example.com");
    EXPECT_EQ(Email("x@y.z"), "x@y.z");
    // Punctuation after an address ends the sentence, as after a web link.
    for (const char* written : {"me@example.com.", "me@example.com,", "me@example.com?!", "me@example.com,,"})
        EXPECT_EQ(Email(written), "me@example.com") << written;
    EXPECT_EQ(Email("Write to bookings@example.org, please"), "bookings@example.org");
    EXPECT_EQ(Email("see a@b."), "");                     // no dot after the @ once trimmed
    EXPECT_EQ(Email("first.last@localhost"), "");           // no dot after the @
    EXPECT_EQ(Email("a@b"), "");
    EXPECT_EQ(Email("@.a"), "");                            // not longer than 3 characters
    EXPECT_EQ(Email("@.ab"), "@.ab");
    EXPECT_EQ(Email("one@two.example three@four.example"), "one@two.example");
    EXPECT_EQ(Email("no address"), "");
    EXPECT_EQ(Email("tab\tx@y.example\tz"), "tab\tx@y.example\tz");
}

TEST(FindEmailAddress, NeverTakesTheLastCharacter) {
    EXPECT_EQ(FindEmailAddress("a@b.c"), "");  // "a@b." without its final dot has none
    EXPECT_EQ(FindEmailAddress("a@b."), "");  // the dot is the last character
    EXPECT_EQ(FindEmailAddress("@"), "");
}

TEST(FindLinkInText, TheDetailLinesLinkAndWhereItIsWritten) {
    struct Case {
        std::string text, url, written;
    };
    const Case cases[] = {
        {"See https://example.com/menu today", "https://example.com/menu", "https://example.com/menu"},
        {"go to www.x.org and ftp://files.example.com/a.txt!", "http://files.example.com/a.txt", "ftp://files.example.com/a.txt"},
        {"Write to mia@example.org.", "mailto:mia@example.org", "mia@example.org"},
        {"both a@b.com and http://example.com", "http://example.com", "http://example.com"},
        {"http://", "http://", "http://"},
        // The address alone: no query that could attach a file or set headers.
        {"a@b.co?attach=/root/.ssh/id_rsa&subject=hi", "mailto:a@b.co", "a@b.co?attach=/root/.ssh/id_rsa&subject=hi"},
        {"mail me@example.org#frag.", "mailto:me@example.org", "me@example.org#frag"},
        {"x?y@b.co", "", ""},
        {"no link at all", "", ""},
        // Links written without their scheme, as people write them.
        {"Menu at www.Example.com/menu.", "http://www.Example.com/menu", "www.Example.com/menu"},
        {"WWW.example.org or mia@example.org", "http://WWW.example.org", "WWW.example.org"},
        {"www. is no link, nor awww.example.org", "", ""},
        {"www.!", "", ""},
    };
    for (const Case& c : cases) {
        const LinkInText found = FindLinkInText(c.text);
        EXPECT_EQ(found.Url, c.url) << c.text;
        EXPECT_EQ(c.text.substr(found.Begin, found.End - found.Begin), c.written) << c.text;
    }
}

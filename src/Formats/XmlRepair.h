// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A streaming byte filter in front of the XML parser for the files phones write, which a
// conforming parser refuses or would hold whole:
// - numeric character references: a high and a low surrogate reference in a row become
//   the UTF-8 of the one character they make, a lone surrogate (or any other reference to
//   no character) becomes U+FFFD, references to characters below U+0020 other than tab,
//   CR and LF are dropped; other references pass unchanged, for the parser to decode;
// - raw bytes below 0x20 other than tab, CR and LF are dropped;
// - the value of every attribute named `data` is passed over, never copied: it comes out
//   empty but for its line feeds, so that the parser's line numbers stay the file's.
// Written by hand because no parser offers it: expat and libxml2 stop at these references.
// Comments, CDATA sections and declarations are not told apart from text: the filter is
// meant for the backups, which have none.
#include <cstdint>
#include <string>
#include <string_view>

class XmlRepairFilter {
public:
    // Appends the repaired form of the next bytes of the file to `out`.
    void Feed(std::string_view in, std::string& out);
    // The end of the file: a reference still open is passed on as it was.
    void Finish(std::string& out);

private:
    enum class Mode : std::uint8_t { Text, Tag, Value, SkipValue };
    void Byte(char c, std::string& out);
    void EndReference(std::string& out);  // ref_ holds a complete "&#...;"
    void FlushPending(std::string& out);  // a high surrogate not followed by a low one
    void TagByte(char c, std::string& out);

    Mode mode_ = Mode::Text;
    char quote_ = 0;
    // The attribute-name state in a tag: the name read so far (up to 5 bytes) and whether
    // `data` was followed by '='.
    std::string name_;
    bool inName_ = false;
    bool afterDataEquals_ = false;
    bool afterEquals_ = false;
    std::string ref_;          // an open "&#..." reference, not yet complete
    std::uint32_t pending_ = 0;  // a high surrogate waiting for its low half
};

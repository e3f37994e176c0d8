// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A streaming byte filter in front of the XML parser for the files phones write, which a
// conforming parser refuses or would hold whole. It follows XML's own structure: comments,
// processing instructions, CDATA sections, a DOCTYPE and other declarations pass through
// untouched (raw control bytes aside, which no XML may hold); in character data and
// attribute values:
// - numeric character references: a high and a low surrogate reference in a row become
//   the UTF-8 of the one character they make, a lone surrogate (or any other reference to
//   no character) becomes U+FFFD, references to characters below U+0020 other than tab,
//   CR and LF are dropped; other references pass unchanged, for the parser to decode;
// - raw bytes below 0x20 other than tab, CR and LF are dropped;
// - attributes the caller does not want (by default those named `data`) are passed over,
//   never copied: of such an attribute only its line feeds come out, so that the parser's
//   line numbers stay the file's (and the parser does not spend its time on them);
// - a value longer than MaxValueBytes is cut there on a character boundary and the rest
//   passed over the same way (no text kept from it is that long), and once the values of
//   one tag have given MaxTagValueBytes its further values come out empty, so that the
//   parser never holds an unfinished token of more than a few MiB; for the same reason a
//   comment, CDATA section or processing instruction longer than MaxMarkupBytes keeps only
//   its line feeds past that, and a name in a tag keeps its first LongestName bytes.
// Written by hand because no parser offers it: expat and libxml2 stop at these references.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Takes, in place of the parser, the values of one attribute of one element (the megabytes
// of a picture's base64), so that the parser never sees them: only a short token stands in
// the value's place (and the value's line feeds, for the line numbers).
class XmlValueSink {
public:
    virtual ~XmlValueSink() = default;
    virtual std::string Begin() = 0;  // a value begins: the token that stands for it
    virtual void Feed(std::string_view raw) = 0;  // its bytes as the file has them, in pieces
    virtual void End() = 0;
    virtual void TagStarts() = 0;  // a start or end tag begins
};

class XmlRepairFilter {
public:
    // Keeps the attributes named in `kept`; with none named, every attribute but `data`.
    explicit XmlRepairFilter(std::vector<std::string> kept = {});

    static constexpr std::size_t MaxValueBytes = std::size_t(1) << 20;
    static constexpr std::size_t MaxTagValueBytes = std::size_t(4) << 20;
    static constexpr std::size_t MaxMarkupBytes = std::size_t(64) << 10;
    static constexpr std::size_t LongestName = 1024;  // of an element or attribute: the rest is left out

    // Sends the first value of `attribute` in each tag of `element` to the sink (which
    // must outlive the filter's use); no sink sends none.
    void SendValues(std::string_view element, std::string_view attribute, XmlValueSink* sink);

    // Appends the repaired form of the next bytes of the file to `out`.
    void Feed(std::string_view in, std::string& out);
    // The end of the file: a reference still open is passed on as it was.
    void Finish(std::string& out);
    // How many attribute values were cut (or came out empty) for their length.
    std::int64_t ValuesCut() const { return valuesCut_; }

private:
    enum class Mode : std::uint8_t { Text, Markup, Tag, Value, SkipValue, SinkValue, Comment, CData, Pi, Doctype, Declaration };
    void Byte(char c, std::string& out);
    bool ReferenceByte(char c, std::string& out);  // true when c went into the open reference
    void ValueByte(char c, std::string& out);
    void OtherMarkupByte(char c, std::string& out);
    void MarkupByte(char c, std::string& out);
    void TagByte(char c, std::string& out);
    void TagName(std::string_view run, std::string& out);  // name bytes in a tag
    void StartValue(char quote, std::string& out);
    void FlushHeld(std::string& out);
    std::string_view HeldName() const;  // of the attribute held
    bool Wanted() const;  // whether the held attribute is kept
    bool ForSink() const;  // whether the held attribute's value goes to the sink
    void EndReference(std::string& out);  // ref_ holds a complete "&#...;"
    void FlushReference(std::string& out);  // ref_ is no reference the filter repairs
    void FlushPending(std::string& out);  // a high surrogate not followed by a low one

    Mode mode_ = Mode::Text;
    char quote_ = 0;  // the quote that ends the value (or the DOCTYPE's literal) being read
    std::vector<std::string> kept_;
    // The state in a tag: whether its element's name has ended; an attribute's name (and
    // the blank and '=' after it) held back until its value shows whether it is kept.
    bool elementNamed_ = false;
    bool inName_ = false;
    bool holding_ = false;
    bool afterEquals_ = false;
    bool dropValue_ = false;  // the value passed over belongs to an attribute left out whole
    std::string held_;
    XmlValueSink* sink_ = nullptr;
    std::string sinkElement_, sinkAttribute_;
    std::string elementName_;  // of the tag being read, as far as the sink's element name goes
    bool sunk_ = false;        // a value of this tag went to the sink
    std::size_t nameBytes_ = 0;  // of the name being read
    std::string head_;  // what follows '<' until the kind of markup is known
    int closers_ = 0;   // "--" or "]]" seen before a '>' in a comment or CDATA section; '?' in a PI
    int depth_ = 0;     // '[' open in a DOCTYPE
    std::size_t markupBytes_ = 0;  // of the comment, CDATA section or instruction being read
    bool markupCut_ = false;       // past MaxMarkupBytes of it
    std::size_t valueBytes_ = 0;  // of the value being read
    std::size_t valueRoom_ = 0;   // how many bytes the value may keep
    std::size_t tagValueBytes_ = 0;  // of the values of the tag being read
    std::int64_t valuesCut_ = 0;
    std::string ref_;          // an open reference "&#..." or "&name", not yet complete
    std::uint32_t pending_ = 0;  // a high surrogate waiting for its low half
};

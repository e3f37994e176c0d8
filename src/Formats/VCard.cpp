// SPDX-License-Identifier: GPL-3.0-or-later
// Written here rather than taken from a library: the vCard readers Debian ships come with Qt
// (KContacts) or GLib (Evolution's address book), which the engine does not use, and only
// three properties are wanted, read as the phones and mail programs really write them.
#include "Formats/VCard.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cctype>

#include "OFuncs/AsciiCase.h"
#include "OFuncs/Cp1252.h"
#include "OFuncs/DisplayText.h"

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The position of the first `c` outside double quotes, or npos.
std::size_t FindUnquoted(std::string_view s, char c) {
    bool quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') quoted = !quoted;
        else if (s[i] == c && !quoted) return i;
    }
    return std::string_view::npos;
}

// The pieces of s between unquoted `sep`s.
std::vector<std::string_view> SplitUnquoted(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    for (std::size_t at = FindUnquoted(s, sep); at != std::string_view::npos; at = FindUnquoted(s, sep)) {
        parts.push_back(s.substr(0, at));
        s.remove_prefix(at + 1);
    }
    parts.push_back(s);
    return parts;
}

// The pieces of s between `;`s that no backslash escapes.
std::vector<std::string_view> SplitUnescaped(std::string_view s) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\') ++i;
        else if (s[i] == ';') {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(std::min(start, s.size())));
    return parts;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// =XX becomes its byte; an = that starts no such pair stays.
std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int hi = s[i] == '=' && i + 2 < s.size() ? HexValue(s[i + 1]) : -1;
        const int lo = hi >= 0 ? HexValue(s[i + 2]) : -1;
        if (lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Bytes in the card's character set as UTF-8. ISO-8859-1 is read as Windows-1252, as the
// web's encoding rules read that label: the writers that name it use the 0x80 row for
// Windows-1252's letters. Without a character set, or with a UTF-8 one that the bytes do
// not keep to, bytes that are not UTF-8 are taken as Windows-1252.
std::string ToUtf8(std::string_view bytes, std::string_view charset) {
    const bool eightBit = SameAsciiNoCase(charset, "ISO-8859-1") || SameAsciiNoCase(charset, "ISO8859-1") ||
                          SameAsciiNoCase(charset, "LATIN1") || SameAsciiNoCase(charset, "WINDOWS-1252") ||
                          SameAsciiNoCase(charset, "CP1252");
    if (!eightBit && IsValidUtf8(bytes)) return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

// \\ \, \; \: and \n (\N) undone; a backslash before anything else stays. vCard 2.1
// escapes only the semicolon.
std::string Unescape(std::string_view s, bool version21) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char next = s[i + 1];
        if (version21 && next != ';') {
            out += '\\';
            continue;
        }
        if (next == 'n' || next == 'N') out += '\n';
        else if (next == '\\' || next == ',' || next == ';' || next == ':') out += next;
        else {
            out += '\\';
            continue;
        }
        ++i;
    }
    return out;
}

// A name on one line: control characters (line breaks among them) become spaces, runs of
// spaces one, and none at either end.
std::string OneLine(std::string_view s) {
    std::string out;
    for (const char c : s) {
        const char d = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        if (d == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += d;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

struct Property {
    std::string_view Name;  // without its group
    std::string_view Value;
    bool QuotedPrintable = false;
    std::string_view Charset;
};

// group.NAME;PARAM=...;BARE:value. False for a line that has no colon.
bool ParseProperty(std::string_view line, Property& p) {
    const std::size_t colon = FindUnquoted(line, ':');
    if (colon == std::string_view::npos) return false;
    p = Property{};
    p.Value = line.substr(colon + 1);
    const std::vector<std::string_view> head = SplitUnquoted(line.substr(0, colon), ';');
    p.Name = Trim(head[0]);
    if (const std::size_t dot = p.Name.rfind('.'); dot != std::string_view::npos) p.Name.remove_prefix(dot + 1);
    for (std::size_t i = 1; i < head.size(); ++i) {
        const std::string_view param = Trim(head[i]);
        const std::size_t eq = param.find('=');
        const std::string_view key = eq == std::string_view::npos ? std::string_view() : Trim(param.substr(0, eq));
        std::string_view value = Trim(eq == std::string_view::npos ? param : param.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (SameAsciiNoCase(value, "QUOTED-PRINTABLE") && (key.empty() || SameAsciiNoCase(key, "ENCODING")))
            p.QuotedPrintable = true;
        else if (SameAsciiNoCase(key, "CHARSET"))
            p.Charset = value;
    }
    return true;
}

// The property's value as UTF-8 text, escapes still in.
std::string DecodedValue(const Property& p) {
    return ToUtf8(p.QuotedPrintable ? DecodeQuotedPrintable(p.Value) : std::string(p.Value), p.Charset);
}

// N is family;given;additional;prefixes;suffixes: the name reads "given additional family".
std::string NameFromN(std::string_view value, bool version21) {
    const std::vector<std::string_view> parts = SplitUnescaped(value);
    std::string name;
    for (const std::size_t i : {1, 2, 0}) {
        if (i >= parts.size()) continue;
        const std::string part = OneLine(Unescape(parts[i], version21));
        if (part.empty()) continue;
        if (!name.empty()) name += ' ';
        name += part;
    }
    return name;
}

// TEL's number; a tel: URI (4.0) without its scheme and parameters.
std::string PhoneFromTel(std::string_view value, bool version21) {
    std::string phone = OneLine(Unescape(Trim(value), version21));
    if (StartsWithAsciiNoCase(phone, "tel:")) {
        phone.erase(0, 4);
        phone.erase(std::min(phone.find(';'), phone.size()));
    }
    return OneLine(phone);
}

// The lines of a file as its cards mean them: folded lines joined (a line break and one
// space or tab continue the line; vCard 2.1 keeps that blank space), and quoted-printable
// values joined over their soft line breaks before they are decoded, so that a character
// whose bytes the break split comes out whole.
class LogicalLines {
public:
    explicit LogicalLines(std::string_view bytes) : rest_(bytes) {
        if (StartsWithAsciiNoCase(rest_, "\xEF\xBB\xBF")) rest_.remove_prefix(3);
    }
    bool Next(std::string& line, bool keepFoldBlank) {
        std::string_view physical;
        if (!NextPhysical(physical)) return false;
        line.assign(physical);
        const std::size_t colon = FindUnquoted(line, ':');
        const bool qp = colon != std::string::npos && Upper(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
        for (;;) {
            std::string_view ahead = rest_;
            if (!NextPhysical(physical)) break;
            if (qp && !line.empty() && line.back() == '=') {
                line.pop_back();
                line.append(physical);
            } else if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
                line.append(physical.substr(keepFoldBlank ? 0 : 1));
            } else {
                rest_ = ahead;
                break;
            }
        }
        return true;
    }

private:
    static std::string Upper(std::string_view s) {
        std::string u(s);
        for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return u;
    }
    // A line ends at LF, CR LF, a lone CR, or CRs before an LF (CR CR LF, written by
    // programs that turn every LF of a CR LF file into CR LF once more).
    bool NextPhysical(std::string_view& line) {
        if (rest_.empty()) return false;
        const std::size_t end = rest_.find_first_of("\r\n");
        line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            rest_ = {};
            return true;
        }
        std::size_t next = end;
        while (next < rest_.size() && rest_[next] == '\r') ++next;
        if (next < rest_.size() && rest_[next] == '\n') ++next;
        rest_.remove_prefix(next);
        return true;
    }
    std::string_view rest_;
};

bool IsUtf16LittleEndian(std::string_view bytes) { return bytes.starts_with("\xFF\xFE"); }
bool IsUtf16BigEndian(std::string_view bytes) { return bytes.starts_with("\xFE\xFF"); }

// A file that begins with a UTF-16 byte-order mark, as UTF-8 (ICU's converter: a lone
// surrogate becomes U+FFFD, an odd last byte is left out); empty when it cannot be converted.
std::string Utf16ToUtf8(std::string_view bytes) {
    const char* from = IsUtf16LittleEndian(bytes) ? "UTF-16LE" : "UTF-16BE";
    bytes.remove_prefix(2);
    bytes = bytes.substr(0, std::min<std::size_t>(bytes.size() & ~std::size_t(1), 0x3FFFFFFE));
    const auto length = static_cast<std::int32_t>(bytes.size());
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t need = ucnv_convert("UTF-8", from, nullptr, 0, bytes.data(), length, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
    std::string out(static_cast<std::size_t>(need), '\0');
    status = U_ZERO_ERROR;
    const std::int32_t got = ucnv_convert("UTF-8", from, out.data(), need, bytes.data(), length, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
    out.resize(static_cast<std::size_t>(std::max(0, std::min(got, need))));
    return out;
}

}  // namespace

bool LooksLikeVCard(std::string_view start) {
    if (IsUtf16LittleEndian(start) || IsUtf16BigEndian(start)) {
        const std::string utf8 = Utf16ToUtf8(start);
        return !utf8.empty() && LooksLikeVCard(utf8);
    }
    if (StartsWithAsciiNoCase(start, "\xEF\xBB\xBF")) start.remove_prefix(3);
    while (!start.empty() && std::isspace(static_cast<unsigned char>(start.front()))) start.remove_prefix(1);
    return StartsWithAsciiNoCase(start, "BEGIN:VCARD");
}

VCardBook ParseVCards(std::string_view bytes) {
    if (IsUtf16LittleEndian(bytes) || IsUtf16BigEndian(bytes)) return ParseVCards(Utf16ToUtf8(bytes));
    VCardBook book;
    LogicalLines lines(bytes);
    std::string line;
    int depth = 0;             // 1 inside a card, more inside a card an AGENT property holds
    bool agentPending = false;  // the last property was a 2.1 AGENT whose card follows
    bool version21 = false;
    std::string fn, n;
    VCardContact card;
    while (lines.Next(line, version21)) {
        Property p;
        if (!ParseProperty(line, p)) continue;
        const bool isBegin = SameAsciiNoCase(p.Name, "BEGIN") && SameAsciiNoCase(Trim(p.Value), "VCARD");
        const bool isEnd = SameAsciiNoCase(p.Name, "END") && SameAsciiNoCase(Trim(p.Value), "VCARD");
        if (isBegin) {
            // A card that begins where the one before has not ended: that one is damaged.
            if (depth == 0 || (depth == 1 && !agentPending)) {
                depth = 1;
                card = VCardContact{};
                fn.clear();
                n.clear();
                version21 = false;
            } else {
                ++depth;
            }
            agentPending = false;
            continue;
        }
        if (isEnd) {
            if (depth == 1) {
                ++book.CardsRead;
                card.Name = fn.empty() ? NameFromN(n, version21) : fn;
                if (!card.Name.empty() && !card.Phones.empty()) book.Contacts.push_back(std::move(card));
                card = VCardContact{};
            }
            depth = std::max(depth - 1, 0);
            continue;
        }
        if (depth != 1) continue;
        agentPending = SameAsciiNoCase(p.Name, "AGENT") && Trim(p.Value).empty();
        if (SameAsciiNoCase(p.Name, "VERSION")) {
            version21 = Trim(p.Value) == "2.1";
        } else if (SameAsciiNoCase(p.Name, "FN")) {
            fn = OneLine(Unescape(DecodedValue(p), version21));
        } else if (SameAsciiNoCase(p.Name, "N")) {
            n = DecodedValue(p);
        } else if (SameAsciiNoCase(p.Name, "TEL")) {
            if (std::string phone = PhoneFromTel(DecodedValue(p), version21); !phone.empty()) card.Phones.push_back(std::move(phone));
        }
    }
    return book;
}

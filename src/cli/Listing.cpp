// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Listing.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "MBVars/People.h"

namespace {

// True when one of the eight bytes of `word` may need an escape: a byte below 14 (tab, LF
// and CR among them) or a backslash. Exact for "any": a borrow only runs upwards from a
// byte that is itself a match.
bool MayNeedEscape(std::uint64_t word) {
    constexpr std::uint64_t Ones = 0x0101010101010101ULL, Highs = 0x8080808080808080ULL;
    const std::uint64_t low = (word - Ones * 14) & ~word & Highs;
    const std::uint64_t x = word ^ (Ones * '\\');
    const std::uint64_t backslash = (x - Ones) & ~x & Highs;
    return (low | backslash) != 0;
}

// Writes one byte, escaped when it needs it.
char* PutEscaped(char* out, char c) {
    char code = 0;
    switch (c) {
        case '\\': code = '\\'; break;
        case '\t': code = 't'; break;
        case '\r': code = 'r'; break;
        case '\n': code = 'n'; break;
        default: *out++ = c; return out;
    }
    *out++ = '\\';
    *out++ = code;
    return out;
}

// Writes the field escaped (at most twice its size): plain bytes go over eight at a time.
char* PutField(char* out, std::string_view field) {
    const char* p = field.data();
    const char* const end = p + field.size();
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (!MayNeedEscape(word)) {
            std::memcpy(out, &word, 8);
            out += 8;
            p += 8;
            continue;
        }
        for (const char* const wordEnd = p + 8; p < wordEnd; ++p) out = PutEscaped(out, *p);
    }
    for (; p < end; ++p) out = PutEscaped(out, *p);
    return out;
}

char* PutNumber(char* out, long long value) {
    return std::to_chars(out, out + 24, value).ptr;
}

char* PutFlags(char* out, std::uint16_t flags) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const char text[6] = {'0', 'x', Hex[(flags >> 12) & 15], Hex[(flags >> 8) & 15], Hex[(flags >> 4) & 15], Hex[flags & 15]};
    std::memcpy(out, text, sizeof text);
    return out + sizeof text;
}

// The most bytes the listing line of m can take, its line feed included.
std::size_t ListingLineBound(const XMsgRecType& m) {
    return 64 + 2 * (m.Time.size() + m.Phone.size() + m.Name.size() + m.Text.size());
}

// Writes the listing line of one message, without its line feed, into room for
// ListingLineBound(m) bytes; returns its end.
char* PutListingLine(char* out, const XMsgRecType& m) {
    out = PutNumber(out, m.Serial);
    *out++ = '\t';
    out = PutFlags(out, m.Flags);
    *out++ = '\t';
    out = PutNumber(out, m.Color);
    for (const std::string_view field : {m.Time.view(), m.Phone.view(), m.Name.view(), std::string_view(m.Text)}) {
        *out++ = '\t';
        out = PutField(out, field);
    }
    return out;
}

}  // namespace

std::string EscapeField(std::string_view field) {
    std::string out(2 * field.size(), '\0');
    out.resize(static_cast<std::size_t>(PutField(out.data(), field) - out.data()));
    return out;
}

std::string ListingLine(const XMsgRecType& m) {
    std::string line(ListingLineBound(m), '\0');
    line.resize(static_cast<std::size_t>(PutListingLine(line.data(), m) - line.data()));
    return line;
}

void WriteMessageLines(std::ostream& out, const MsgStore& S) {
    // Lines are written into a block, and the stream is written a block at a time.
    constexpr std::size_t BlockSize = 1 << 16;
    std::string block(BlockSize + ListingLineBound(XMsgRecType{}) + 2 * MaxTextLength, '\0');
    std::size_t used = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[n];
        if (used + ListingLineBound(m) > block.size()) {  // only a text past its capacity
            out.write(block.data(), static_cast<std::streamsize>(used));
            used = 0;
            if (ListingLineBound(m) > block.size()) block.resize(ListingLineBound(m));
        }
        char* const end = PutListingLine(block.data() + used, m);
        *end = '\n';
        used = static_cast<std::size_t>(end + 1 - block.data());
        if (used >= BlockSize) {
            out.write(block.data(), static_cast<std::streamsize>(used));
            used = 0;
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(used));
}

std::string MessageCountLine(const MsgStore& S) {
    return std::to_string(S.MessageCount) + " messages (" + std::to_string(S.SentCount) + " sent, " +
           std::to_string(S.ReceivedCount) + " received)";
}

std::string ImportReportLine(const MsgStore& S, std::int32_t blocked) {
    char line[160];
    std::snprintf(line, sizeof line, "%d messages (%d sent, %d received, %d blocked), ", S.MessageCount, S.SentCount,
                  S.ReceivedCount, blocked);
    return line + PeopleCountText(GroupPeople(S));
}

#include "cli/Listing.h"

#include <charconv>
#include <cstring>

namespace {

// The escape of a byte that needs one, or nothing.
const char* EscapeOf(char c) {
    switch (c) {
        case '\\': return "\\\\";
        case '\t': return "\\t";
        case '\r': return "\\r";
        case '\n': return "\\n";
        default: return nullptr;
    }
}

bool NeedsEscape(char c) { return c == '\\' || c == '\t' || c == '\r' || c == '\n'; }

// Appends the field escaped: runs of plain bytes go over in one piece.
void AppendEscaped(std::string& out, std::string_view field) {
    const char* p = field.data();
    const char* const end = p + field.size();
    while (p < end) {
        const char* run = p;
        while (p < end && !NeedsEscape(*p)) ++p;
        out.append(run, static_cast<std::size_t>(p - run));
        if (p == end) break;
        out += EscapeOf(*p);
        ++p;
    }
}

void AppendNumber(std::string& out, long long value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendFlags(std::string& out, std::uint16_t flags) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const char text[6] = {'0', 'x', Hex[(flags >> 12) & 15], Hex[(flags >> 8) & 15], Hex[(flags >> 4) & 15], Hex[flags & 15]};
    out.append(text, sizeof text);
}

// Appends the listing line of one message, without its line feed.
void AppendListingLine(std::string& out, const XMsgRecType& m) {
    AppendNumber(out, m.Serial);
    out.push_back('\t');
    AppendFlags(out, m.Flags);
    out.push_back('\t');
    AppendNumber(out, m.Color);
    for (const std::string_view field : {m.Time.view(), m.Phone.view(), m.Name.view(), std::string_view(m.Text)}) {
        out.push_back('\t');
        AppendEscaped(out, field);
    }
}

}  // namespace

std::string EscapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    AppendEscaped(out, field);
    return out;
}

std::string ListingLine(const XMsgRecType& m) {
    std::string line;
    AppendListingLine(line, m);
    return line;
}

void WriteMessageLines(std::ostream& out, const MsgStore& S) {
    // Lines are gathered into blocks, so the stream is written a block at a time.
    constexpr std::size_t BlockSize = 1 << 16;
    std::string block;
    block.reserve(BlockSize + 4096);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        AppendListingLine(block, S.Messages[n]);
        block.push_back('\n');
        if (block.size() >= BlockSize) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

std::string MessageCountLine(const MsgStore& S) {
    return std::to_string(S.MessageCount) + " messages (" + std::to_string(S.SentCount) + " sent, " +
           std::to_string(S.ReceivedCount) + " received)";
}

std::string ImportReportLine(const MsgStore& S, std::int32_t blocked) {
    char line[160];
    std::snprintf(line, sizeof line, "%d messages (%d sent, %d received, %d blocked), %d contacts",
                  S.MessageCount, S.SentCount, S.ReceivedCount, blocked, S.ContactCount);
    return line;
}

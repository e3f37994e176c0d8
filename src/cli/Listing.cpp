#include "cli/Listing.h"

#include <cstdio>

std::string EscapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (const char c : field) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default: out.push_back(c); break;
        }
    }
    return out;
}

std::string ListingLine(const XMsgRecType& m) {
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%04X", static_cast<unsigned>(m.Flags));
    const std::string color = std::to_string(m.Color);
    std::string line = std::to_string(m.Serial);
    for (const std::string_view field : {std::string_view(flags), std::string_view(color), m.Time.view(),
                                         m.Phone.view(), m.Name.view(), std::string_view(m.Text)}) {
        line.push_back('\t');
        line += EscapeField(field);
    }
    return line;
}

void WriteMessageLines(std::ostream& out, const MsgStore& S) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) out << ListingLine(S.Messages[n]) << '\n';
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

// SPDX-License-Identifier: GPL-3.0-or-later
// One line of a message export and one line of a contacts export, taken apart directly
// (faster than through files). A message line that is accepted has exactly one direction,
// one type and one code form, a phone, a time and a text, each within its capacity and
// the text without trailing spaces. A contact has a number of "+" and digits only and a
// name as the names' rule promises: no control character, no double space, at most 30
// bytes, no quote that only belongs to the file's syntax, and, with an ASCII separator,
// UTF-8 cut on a character boundary.
//
// Input: the separator byte, then the line.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "MBVars/ImportContactLine.h"
#include "MBVars/ImportMessageLine.h"
#include "MBVars/Store.h"

namespace {

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

// Every quote of the line opens or closes a quoted field: a field either holds no quote,
// or starts with one and ends with the next one (or runs to the end of the line).
bool OnlySyntaxQuotes(std::string_view line, char separator) {
    for (std::size_t pos = 0; pos < line.size();) {
        if (line[pos] == '"') {
            const std::size_t close = line.find('"', pos + 1);
            if (close == std::string_view::npos) return true;
            if (close + 1 < line.size() && line[close + 1] != separator) return false;
            pos = close + 2;
        } else {
            const std::size_t end = std::min(line.find(separator, pos), line.size());
            if (line.substr(pos, end - pos).find('"') != std::string_view::npos) return false;
            pos = end + 1;
        }
    }
    return true;
}

int Bits(std::uint16_t flags, std::uint16_t mask) { return __builtin_popcount(flags & mask); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputCutter in(data, size);
    const unsigned char separator = in.Byte();
    const std::string_view line = in.Rest();

    XMsgRecType work;
    work.Text = "left over";
    if (ParseMessageLine(line, separator, work)) {
        FUZZ_CHECK(separator != 0);
        FUZZ_CHECK(Bits(work.Flags, MsgSent | MsgReceived) == 1);
        FUZZ_CHECK(Bits(work.Flags, MsgSms | MsgMms) == 1);
        FUZZ_CHECK(Bits(work.Flags, MsgWordCodes | MsgNumericCodes) == 1);
        FUZZ_CHECK(!((work.Flags & MsgMms) && (work.Flags & MsgNumericCodes)));
        FUZZ_CHECK((work.Flags & ~(MsgSent | MsgReceived | MsgSms | MsgMms | MsgWordCodes | MsgNumericCodes)) == 0);
        FUZZ_CHECK(!work.Phone.empty() && !work.Time.empty() && !work.Text.empty());
        FUZZ_CHECK(work.Text.size() <= MaxTextLength && work.Text.back() != ' ');
        FUZZ_CHECK(work.Name.empty() && work.Serial == 0 && work.Color == 0 && work.Reserved == 0);
    } else {
        FUZZ_CHECK(work.Name.empty() && work.Serial == 0 && work.Color == 0);
    }

    const ContactLine contact = ParseContactLine(line, separator);
    for (const char c : contact.Phone) FUZZ_CHECK(c == '+' || (c >= '0' && c <= '9'));
    const std::string_view name = contact.Name;
    for (const char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
    FUZZ_CHECK(name.size() <= 30 && name.find("  ") == std::string_view::npos);
    if (separator < 0x80) FUZZ_CHECK(ValidUtf8(name));
    if (separator >= 0x20 && separator < 0x80 && separator != '"' && OnlySyntaxQuotes(line, static_cast<char>(separator)))
        FUZZ_CHECK(name.find('"') == std::string_view::npos);
    return 0;
}

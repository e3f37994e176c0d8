#include "MBVars/Search.h"

#include <array>
#include <string>

#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"

namespace {
std::array<char, 256> LowerTable() {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<std::size_t>(c)] = static_cast<char>(Cp1252Lower(static_cast<unsigned char>(c)));
    return t;
}
}  // namespace

std::int32_t MarkFound(MsgStore& S, int mode, std::string_view text) {
    static const std::array<char, 256> lower = LowerTable();
    const std::string needle = Cp1252Lower(text);
    std::string hay;  // one buffer for every message's lower-cased display form
    std::int32_t marked = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        m.Flags = static_cast<std::uint16_t>(m.Flags & ~MsgFound);
        bool match = text.empty();
        if (!match && mode == FetchByName) {
            match = m.Name.view() == text;
        } else if (!match && mode == FetchByPhone) {
            match = m.Phone.view() == text;
        } else if (!match && mode == FetchByText && m.Text.size() >= needle.size()) {
            // (A display form is never longer than its stored text.)
            NormaliseTextInto(m.Text, hay);
            for (char& c : hay) c = lower[static_cast<unsigned char>(c)];
            match = hay.find(needle) != std::string::npos;
        }
        if (match) {
            m.Flags = static_cast<std::uint16_t>(m.Flags | MsgFound);
            ++marked;
        }
    }
    return marked;
}

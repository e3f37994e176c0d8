// SPDX-License-Identifier: GPL-3.0-or-later
// The phone-backup reader on any bytes: fed whole and fed in pieces of the first byte's
// size, it gives the same messages and the same end; every message it gives has a
// direction, a time of the stored form, one phone number (no group's separators) and a
// text within the record's limits.
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "Formats/SmsBackupReader.h"
#include "MBVars/Store.h"

namespace {
struct Seen {
    std::vector<XMsgRecType> Messages;
    BackupReadResult Result;
};

void Check(const XMsgRecType& m) {
    FUZZ_CHECK(((m.Flags & MsgSent) != 0) != ((m.Flags & MsgReceived) != 0));
    FUZZ_CHECK((m.Flags & MsgExactTime) != 0);
    FUZZ_CHECK(m.Time.size() == 16 && !m.Phone.empty() && !m.Text.empty());
    FUZZ_CHECK(m.Text.size() <= MaxTextLength);
    FUZZ_CHECK(m.Phone.view().find_first_of("~,;") == std::string_view::npos);
}

bool Same(const Seen& a, const Seen& b) {
    if (a.Messages.size() != b.Messages.size() || a.Result.End != b.Result.End || a.Result.Line != b.Result.Line)
        return false;
    for (std::size_t i = 0; i < a.Messages.size(); ++i) {
        const XMsgRecType &x = a.Messages[i], &y = b.Messages[i];
        if (x.Flags != y.Flags || x.Time != y.Time || x.Phone != y.Phone || x.Name != y.Name || x.Text != y.Text)
            return false;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    Seen whole;
    whole.Result = ReadSmsBackupBytes(bytes, [&](BackupMessage& m) { whole.Messages.push_back(m.Record); });
    for (const XMsgRecType& m : whole.Messages) Check(m);

    Seen pieces;
    SmsBackupParser parser([&](BackupMessage& m) { pieces.Messages.push_back(m.Record); });
    for (std::size_t at = 0; at < bytes.size() || at == 0; at += piece) {
        const std::string_view part = bytes.substr(at, piece);
        if (!parser.Feed(part, at + piece >= bytes.size())) break;
    }
    pieces.Result = parser.Result();
    FUZZ_CHECK(Same(whole, pieces));
    return 0;
}

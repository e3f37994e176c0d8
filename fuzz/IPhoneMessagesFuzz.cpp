// SPDX-License-Identifier: GPL-3.0-or-later
// An iPhone's Messages database as any bytes (read from memory, as a file is read): every
// message given has a number or address, a text, a time and one direction, and the
// counts add up; a database SQLite cannot read is refused or damaged, never a crash.
#include <string>

#include "FuzzSupport.h"
#include "Formats/IPhoneMessages.h"
#include "MBVars/Store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::int64_t given = 0;
    const BackupReadResult result = ReadIPhoneMessagesBytes(bytes, [&](BackupMessage& m) {
        ++given;
        const XMsgRecType& r = m.Record;
        FUZZ_CHECK(!r.Phone.empty() && !r.Text.empty() && !r.Time.empty());
        FUZZ_CHECK(r.Text.size() <= MaxTextLength);
        FUZZ_CHECK(((r.Flags & MsgSent) != 0) != ((r.Flags & MsgReceived) != 0));
        FUZZ_CHECK(r.Flags & MsgExactTime);
    });
    FUZZ_CHECK(given == result.Messages);
    if (result.End == BackupEnd::NotBackup) FUZZ_CHECK(given == 0);
    FUZZ_CHECK(result.End != BackupEnd::Stopped);
    return 0;
}

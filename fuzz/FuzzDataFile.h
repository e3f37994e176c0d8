// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the targets that end with a collection check of it: every field of a message, and
// that the collection written as a data file reads back to the same messages and writes
// again to the same bytes.
#include <string>

#include "FuzzSupport.h"
#include "MBVars/DataFile.h"
#include "MBVars/Store.h"

namespace fuzz {

// Stores made once and kept between inputs: making one reserves the room of a full
// collection, which would cost more than a small input's whole run.
inline MsgStore& KeptStore(int which) {
    static MsgStore* stores[3] = {new MsgStore, new MsgStore, new MsgStore};
    return *stores[which];
}

inline bool SameMessage(const XMsgRecType& a, const XMsgRecType& b) {
    return a.Flags == b.Flags && a.Serial == b.Serial && a.Color == b.Color && a.Reserved == b.Reserved &&
           a.Time == b.Time && a.Phone == b.Phone && a.Name == b.Name && a.Text == b.Text;
}

// Writes S to `first`, reads it into `readBack` and writes that to `second`. Returns the
// bytes of `first`.
inline std::string CheckDataFileRoundTrip(MsgStore& S, MsgStore& readBack, const std::string& first,
                                          const std::string& second) {
    FUZZ_CHECK(WriteDataFile(S, first) == 0);
    FUZZ_CHECK(!S.Modified);
    const std::string bytes = ReadBytes(first);
    std::size_t textBytes = 0;
    for (int k = 1; k <= S.MessageCount; ++k) textBytes += S.Messages[k].Text.size();
    FUZZ_CHECK(bytes.size() == 20 + 91 * std::size_t(S.MessageCount + 1) + 8 * std::size_t(S.MessageCount) + textBytes);

    DefaultsType defaults;
    ClearStore(readBack, defaults);
    FUZZ_CHECK(ReadDataFile(readBack, first) == 0);
    FUZZ_CHECK(readBack.MessageCount == S.MessageCount);
    for (int k = 1; k <= S.MessageCount; ++k) FUZZ_CHECK(SameMessage(readBack.Messages[k], S.Messages[k]));
    FUZZ_CHECK(WriteDataFile(readBack, second) == 0);
    FUZZ_CHECK(ReadBytes(second) == bytes);
    return bytes;
}

}  // namespace fuzz

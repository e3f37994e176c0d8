// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro's own spreadsheet export read back, from any bytes after its header: whatever it
// takes becomes messages of one direction with a stored-form time, a phone and fields
// within their capacities. Exported and read again, those messages come back in the shown
// form (UTF-8); from then on export and import change nothing, field for field.
//
// Input: the bytes after the header line (the header is put in front).
#include <string>
#include <vector>

#include "FuzzDataFile.h"
#include "FuzzSupport.h"
#include "Formats/CsvExport.h"
#include "Formats/CsvExportImport.h"
#include "MBVars/Store.h"

namespace {
MsgStore& EmptyStore(int which) {
    DefaultsType defaults;
    ClearStore(fuzz::KeptStore(which), defaults);
    return fuzz::KeptStore(which);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string file(CsvExportHeader);
    file += "\r\n";
    file.append(reinterpret_cast<const char*>(data), size);

    MsgStore& S = EmptyStore(0);
    FUZZ_CHECK(ImportCsvExportBytes(S, file) == 0);
    std::vector<std::int32_t> rows;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        FUZZ_CHECK(__builtin_popcount(m.Flags & (MsgSent | MsgReceived)) == 1);
        FUZZ_CHECK(m.Time.size() == 16 && m.Time.view()[4] == '.' && m.Time.view()[7] == '.');
        FUZZ_CHECK(!m.Phone.empty() && m.Text.size() <= MaxTextLength);
        rows.push_back(n);
    }

    MsgStore& once = EmptyStore(1);
    MsgStore& twice = EmptyStore(2);
    FUZZ_CHECK(ImportCsvExportBytes(once, CsvExport(S, rows)) == 0);
    FUZZ_CHECK(once.MessageCount <= S.MessageCount);
    rows.resize(static_cast<std::size_t>(once.MessageCount));
    FUZZ_CHECK(ImportCsvExportBytes(twice, CsvExport(once, rows)) == 0);
    FUZZ_CHECK(twice.MessageCount == once.MessageCount);
    for (std::int32_t n = 1; n <= once.MessageCount && n <= twice.MessageCount; ++n) {
        const XMsgRecType& a = once.Messages[static_cast<std::size_t>(n)];
        const XMsgRecType& b = twice.Messages[static_cast<std::size_t>(n)];
        FUZZ_CHECK(a.Time == b.Time && a.Phone == b.Phone && a.Name == b.Name && a.Flags == b.Flags);
        FUZZ_CHECK(a.Text == b.Text);
    }
    return 0;
}

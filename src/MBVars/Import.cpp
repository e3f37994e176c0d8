// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/Import.h"

#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "Formats/CsvExportImport.h"
#include "MBVars/ImportContactLine.h"
#include "MBVars/ImportMessageLines.h"
#include "Formats/ImportVCard.h"
#include "MBVars/ImportSource.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t LongestMessageFirstLine = 1000;

// A contacts export starts with a header naming the "Title" column, or with a line longer
// than any message export's.
bool IsContactsHeader(std::string_view firstLine) {
    return firstLine.find("\"Title\"") != std::string_view::npos ||
           firstLine.size() > LongestMessageFirstLine;
}

void ImportContactLines(MsgStore& S, TextLines& lines, unsigned char separator) {
    std::string_view line;
    lines.Next(line);  // the header
    while (lines.Next(line)) {
        if (S.ContactCount >= MaxContacts) continue;  // read and dropped
        ContactLine contact = ParseContactLine(line, separator);
        GrowContacts(S, S.ContactCount + 1);
        ContactRec& entry = S.Contacts[++S.ContactCount];
        entry = ContactRec{};  // no colour or totals left from an earlier table
        entry.Phone = contact.Phone;
        entry.Name = contact.Name;
    }
}
}  // namespace

int ImportCsvFile(MsgStore& S, const std::string& path) {
    std::int32_t droppedWhenFull = 0;
    return ImportCsvFile(S, path, droppedWhenFull);
}

int ImportCsvFile(MsgStore& S, const std::string& path, std::int32_t& droppedWhenFull) {
    ImportNotTaken notTaken;
    const int code = ImportCsvFile(S, path, notTaken);
    droppedWhenFull = static_cast<std::int32_t>(notTaken[NotTakenReason::PastCapacity]);
    return code;
}

int ImportCsvFile(MsgStore& S, const std::string& path, ImportNotTaken& notTaken) {
    if (const std::optional<int> own = ImportCsvExportFile(S, path, notTaken)) return *own;
    try {
        if (const int vcard = ImportVCardFile(S, path); vcard != NotVCardFile) return vcard;
    } catch (const std::bad_alloc&) {
        return OutOfMemoryCode;
    }
    FileReader file;
    if (const int err = file.Open(path, true)) return err;
    return ImportCsvFrom(S, file, path, notTaken);
}

int ImportCsvFrom(MsgStore& S, FileReader& file, const std::string& path, ImportNotTaken& notTaken) {
    try {
        PreparedCsv prepared;
        if (const int err = PrepareCsvFrom(S, file, path, prepared)) return err;

        TextLines probe(prepared.Bytes);
        std::string_view firstLine;
        const bool contacts = probe.Next(firstLine) && IsContactsHeader(firstLine);

        if (contacts) {
            TextLines lines(prepared.Bytes);
            ImportContactLines(S, lines, prepared.Separator);
        } else {
            ImportMessageLines(S, prepared.Bytes, prepared.Separator, {}, &notTaken);
        }
    } catch (const std::bad_alloc&) {
        S.Messages[0].Clear();
        return OutOfMemoryCode;
    }
    return 0;
}

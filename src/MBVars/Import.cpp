#include "MBVars/Import.h"

#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "MBVars/HeldMessages.h"
#include "MBVars/ImportContactLine.h"
#include "MBVars/ImportMessageLine.h"
#include "MBVars/ImportSource.h"
#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t LongestMessageFirstLine = 1000;
// Fewer bytes than an export line with a short text takes, for a guess at the line count.
constexpr std::size_t ShortestUsualLine = 64;

// A contacts export starts with a header naming the "Title" column, or with a line longer
// than any message export's.
bool IsContactsHeader(std::string_view firstLine) {
    return firstLine.find("\"Title\"") != std::string_view::npos ||
           firstLine.size() > LongestMessageFirstLine;
}

// Returns how many new message lines found the store full.
std::int32_t ImportMessageLines(MsgStore& S, TextLines& lines, unsigned char separator, std::size_t bytes) {
    HeldMessages held(S, bytes / ShortestUsualLine);
    ReserveRoom(S);  // the work record stays where it is while the table grows
    XMsgRecType& work = S.Messages[0];
    std::string_view line;
    std::string scratch;  // for the few lines that change before their fields are read
    std::int32_t dropped = 0;
    while (lines.Next(line)) {
        if (!ParseMessageLine(line, separator, work, scratch)) continue;
        const std::uint64_t key = HeldMessages::HashOf(work);
        if (held.Holds(work, key)) continue;
        if (S.MessageCount >= MaxMessages) {
            ++dropped;
            continue;
        }
        GrowMessages(S, S.MessageCount + 1);
        S.Messages[++S.MessageCount] = std::move(work);  // the next parse clears `work`
        held.Add(S.MessageCount, key);
    }
    work.Clear();
    return dropped;
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
    droppedWhenFull = 0;
    try {
        PreparedCsv prepared;
        if (const int err = PrepareCsvFile(S, path, prepared)) return err;

        TextLines probe(prepared.Bytes);
        std::string_view firstLine;
        const bool contacts = probe.Next(firstLine) && IsContactsHeader(firstLine);

        TextLines lines(prepared.Bytes);
        if (contacts)
            ImportContactLines(S, lines, prepared.Separator);
        else
            droppedWhenFull = ImportMessageLines(S, lines, prepared.Separator, prepared.Bytes.size());
    } catch (const std::bad_alloc&) {
        S.Messages[0].Clear();
        return OutOfMemoryCode;
    }
    return 0;
}

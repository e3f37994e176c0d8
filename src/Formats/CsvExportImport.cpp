// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/CsvExportImport.h"

#include <array>
#include <new>

#include "Formats/CsvExport.h"
#include "MBVars/HeldMessages.h"
#include "MBVars/ImportSource.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t FieldCount = 5;

// Reads one RFC 4180 record from `rest` into `fields` (quotes undone, line breaks inside
// quotes kept) and passes over it and its line end; false when the record has not
// exactly five fields. Written by hand: the record is five fields of one known layout, and
// the ordinary import's reader joins line breaks that this format keeps.
bool NextRecord(std::string_view& rest, std::array<std::string, FieldCount>& fields) {
    std::size_t count = 0;
    for (std::string& f : fields) f.clear();
    std::size_t i = 0;
    for (;;) {
        std::string* field = count < FieldCount ? &fields[count] : nullptr;
        ++count;
        if (i < rest.size() && rest[i] == '"') {
            ++i;
            for (;;) {
                const std::size_t quote = rest.find('"', i);
                const std::size_t end = quote == std::string_view::npos ? rest.size() : quote;
                if (field) field->append(rest.substr(i, end - i));
                i = end;
                if (quote == std::string_view::npos) break;
                if (quote + 1 < rest.size() && rest[quote + 1] == '"') {
                    if (field) field->push_back('"');
                    i = quote + 2;
                    continue;
                }
                i = quote + 1;
                break;
            }
        }
        // The unquoted part (all of an unquoted field; anything after a closing quote).
        const std::size_t stop = rest.find_first_of(",\r\n", i);
        const std::size_t end = stop == std::string_view::npos ? rest.size() : stop;
        if (field) field->append(rest.substr(i, end - i));
        i = end;
        if (i < rest.size() && rest[i] == ',') {
            ++i;
            continue;
        }
        break;
    }
    if (i < rest.size() && rest[i] == '\r') ++i;
    if (i < rest.size() && rest[i] == '\n') ++i;
    rest.remove_prefix(i);
    return count == FieldCount;
}

bool IsDigits(std::string_view s, std::size_t from, std::size_t n) {
    for (std::size_t k = from; k < from + n; ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    return true;
}

// "yyyy-mm-dd hh:mm" (seconds ":ss" after it are allowed and dropped) as the stored
// "yyyy.mm.dd hh:mm"; nothing for any other form.
std::optional<std::string> StoredTime(std::string_view t) {
    if (t.size() == 19 && t[16] == ':' && IsDigits(t, 17, 2)) t = t.substr(0, 16);
    if (t.size() != 16 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':') return std::nullopt;
    if (!IsDigits(t, 0, 4) || !IsDigits(t, 5, 2) || !IsDigits(t, 8, 2) || !IsDigits(t, 11, 2) || !IsDigits(t, 14, 2))
        return std::nullopt;
    std::string stored(t);
    stored[4] = stored[7] = '.';
    return stored;
}

// The message of a record, or the reason it gives none.
std::optional<NotTakenReason> ToMessage(const std::array<std::string, FieldCount>& f, XMsgRecType& m) {
    if (f[1].empty()) return NotTakenReason::WithoutNumberOrText;
    const std::optional<std::string> time = StoredTime(f[0]);
    if (!time) return NotTakenReason::NotADate;
    std::uint16_t direction = 0;
    if (f[3] == "Sent") direction = MsgSent;
    if (f[3] == "Received") direction = MsgReceived;
    if (direction == 0) return NotTakenReason::NotSentOrReceived;
    m.Clear();
    m.Flags = direction | MsgSms | MsgWordCodes;
    m.Time = *time;
    m.Phone = CutOnCharBoundary(UnguardCsvCell(f[1]), PhoneText::Capacity);
    m.Name = CutOnCharBoundary(UnguardCsvCell(f[2]), NameText::Capacity);
    m.Text.assign(CutOnCharBoundary(UnguardCsvCell(f[4]), MaxTextLength));
    return std::nullopt;
}
}  // namespace

bool IsCsvExportStart(std::string_view head) {
    if (head.starts_with(Utf8ByteOrderMark)) head.remove_prefix(Utf8ByteOrderMark.size());
    if (!head.starts_with(CsvExportHeader)) return false;
    head.remove_prefix(CsvExportHeader.size());
    return head.starts_with("\r\n") || head.starts_with("\n");
}

std::int32_t ImportCsvExportBytes(MsgStore& S, std::string_view bytes, ImportNotTaken* notTaken) {
    if (!IsCsvExportStart(bytes)) return 0;
    bytes.remove_prefix(bytes.find('\n') + 1);
    ReserveRoom(S);
    HeldMessages held(S, bytes.size() / 64);
    std::array<std::string, FieldCount> fields;
    XMsgRecType m, other;
    std::int32_t dropped = 0;
    ImportNotTaken ignored;
    ImportNotTaken& counted = notTaken ? *notTaken : ignored;
    while (!bytes.empty()) {
        if (!NextRecord(bytes, fields)) continue;
        if (const std::optional<NotTakenReason> refused = ToMessage(fields, m)) {
            ++counted[*refused];
            continue;
        }
        const std::uint64_t hash = HeldMessages::HashOf(m);
        bool isHeld = held.Holds(m, hash);
        if (!isHeld) {  // a text Kestro held in Windows-1252 reads back as UTF-8: the same message
            other = m;
            other.Text = StoredFromUtf8(m.Text);
            isHeld = other.Text != m.Text && held.Holds(other);
        }
        if (isHeld) {
            ++counted[NotTakenReason::AlreadyHeld];
            continue;
        }
        if (S.MessageCount >= MaxMessages) {
            ++dropped;
            ++counted[NotTakenReason::PastCapacity];
            continue;
        }
        GrowMessages(S, S.MessageCount + 1);
        S.Messages[static_cast<std::size_t>(++S.MessageCount)] = std::move(m);
        held.Add(S.MessageCount, hash);
    }
    return dropped;
}

std::optional<int> ImportCsvExportFile(MsgStore& S, const std::string& path, ImportNotTaken& notTaken) {
    FileReader file;
    if (file.Open(path) != 0) return std::nullopt;
    return ImportCsvExportFrom(S, file, path, notTaken);
}

std::optional<int> ImportCsvExportFrom(MsgStore& S, FileReader& file, const std::string& path,
                                       ImportNotTaken& notTaken) {
    try {
        std::string bytes(Utf8ByteOrderMark.size() + CsvExportHeader.size() + 2, '\0');
        bytes.resize(file.ReadSome(bytes.data(), bytes.size()));
        if (!IsCsvExportStart(bytes)) return std::nullopt;
        char block[1 << 16];
        while (const std::size_t n = file.ReadSome(block, sizeof block)) {
            if (bytes.size() + n > MaxImportFileSize) return EFBIG;
            bytes.append(block, n);
        }
        ImportCsvExportBytes(S, bytes, &notTaken);
    } catch (const std::bad_alloc&) {
        return OutOfMemoryCode;
    } catch (const IoError& e) {
        throw e.In(path, "import");
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/CsvExport.h"

#include <cstdint>
#include <cstring>

#include "OFuncs/DisplayText.h"
#include "OFuncs/Utf8.h"

namespace {
bool StartsFormula(char c) { return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r'; }

// Where the cell's run of leading apostrophes ends.
std::size_t AfterApostrophes(std::string_view cell) {
    const std::size_t end = cell.find_first_not_of('\'');
    return end == std::string_view::npos ? cell.size() : end;
}

bool IsPlainNumber(std::string_view cell) {
    return cell.find_first_not_of("+0123456789 -()") == std::string_view::npos;
}
}  // namespace

std::string_view GuardCsvCell(std::string_view cell, std::string& room, bool phone) {
    const std::size_t start = AfterApostrophes(cell);
    if (start == cell.size() || !StartsFormula(cell[start]) || (phone && IsPlainNumber(cell))) return cell;
    room.assign(1, '\'');
    room += cell;
    return room;
}

std::string_view UnguardCsvCell(std::string_view cell) {
    const std::size_t start = AfterApostrophes(cell);
    return start > 0 && start < cell.size() && StartsFormula(cell[start]) ? cell.substr(1) : cell;
}

namespace {
// The text with every quote written twice, as inside a quoted field.
void AppendQuotesDoubled(std::string& out, std::string_view text) {
    for (std::size_t from = 0;;) {
        const std::size_t quote = text.find('"', from);
        out += text.substr(from, quote == std::string_view::npos ? quote : quote + 1 - from);
        if (quote == std::string_view::npos) return;
        out += '"';
        from = quote + 1;
    }
}
}  // namespace

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    AppendQuotesDoubled(out, field);
    out += '"';
}

namespace {
// What one pass over a field finds: whether it is UTF-8 (and so shown as it is stored) and
// whether it needs quotes. Eight bytes at a time while they are ASCII; each word compared
// with the four bytes that ask for quotes (exact: a word has a zero byte exactly when the
// subtraction borrows into a byte's top bit that was clear).
struct FieldScan {
    bool Utf8 = true;
    bool Quotes = false;
};
FieldScan ScanField(std::string_view field) {
    constexpr std::uint64_t Ones = 0x0101010101010101ULL, Tops = 0x8080808080808080ULL;
    const auto has = [](std::uint64_t word, unsigned char byte) {
        const std::uint64_t x = word ^ (Ones * byte);
        return (x - Ones) & ~x & Tops;
    };
    FieldScan scan;
    const std::size_t n = field.size();
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, field.data() + i, 8);
            if ((word & Tops) == 0) {
                if (has(word, ',') | has(word, '"') | has(word, '\r') | has(word, '\n')) scan.Quotes = true;
                i += 8;
                continue;
            }
        }
        const char c = field[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            if (c == ',' || c == '"' || c == '\r' || c == '\n') scan.Quotes = true;
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(field, i);
        if (length == 0) {
            scan.Utf8 = false;  // shown converted; the caller scans what is shown
            return scan;
        }
        i += length;
    }
    return scan;
}

// AppendCsvField(out, GuardCsvCell(shown, room, phone)) without the copies: the guard's
// apostrophe never needs quotes, so the field is quoted exactly when the shown text is.
void AppendCell(std::string& out, std::string_view shown, bool quotes, bool phone) {
    const std::size_t start = AfterApostrophes(shown);
    const bool guard = start < shown.size() && StartsFormula(shown[start]) && !(phone && IsPlainNumber(shown));
    if (!quotes) {
        if (guard) out += '\'';
        out += shown;
        return;
    }
    out += '"';
    if (guard) out += '\'';
    AppendQuotesDoubled(out, shown);
    out += '"';
}

// A stored phone, name (`message` false) or text as shown: the stored bytes themselves
// when they are UTF-8, else converted into `room`.
void AppendStoredCell(std::string& out, std::string_view stored, std::string& room, bool message = false,
                      bool phone = false) {
    const FieldScan scan = ScanField(stored);
    if (scan.Utf8) return AppendCell(out, stored, scan.Quotes, phone);
    if (message)
        DisplayMessageUtf8Into(stored, room);
    else
        room = DisplayUtf8(stored);
    AppendCell(out, room, ScanField(room).Quotes, phone);
}
}  // namespace

std::string CsvExport(const MsgStore& S, ExportRows rows) {
    std::string out;
    std::size_t size = 64;
    for (const std::int32_t n : rows) size += 48 + S.Messages[static_cast<std::size_t>(n)].Text.size() * 3 / 2;
    out.reserve(size);
    out += Utf8ByteOrderMark;
    out += CsvExportHeader;
    out += "\r\n";
    std::string room;  // a shown text that is not the stored bytes
    for (const std::int32_t n : rows) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        AppendExportTime(out, m.Time.view());
        out += ',';
        AppendStoredCell(out, m.Phone.view(), room, false, true);
        out += ',';
        AppendStoredCell(out, m.Name.view(), room);
        out += ',';
        out += ExportDirection(m);
        out += ',';
        AppendStoredCell(out, m.Text, room, true);
        out += "\r\n";
    }
    return out;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/CsvExport.h"

#include "OFuncs/DisplayText.h"

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

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (std::size_t start = 0;;) {
        const std::size_t quote = field.find('"', start);
        out += field.substr(start, quote == std::string_view::npos ? quote : quote + 1 - start);
        if (quote == std::string_view::npos) break;
        out += '"';  // the quote written twice
        start = quote + 1;
    }
    out += '"';
}

std::string CsvExport(const MsgStore& S, ExportRows rows) {
    std::string out;
    out.reserve(64 + rows.size() * 160);
    out += Utf8ByteOrderMark;
    out += CsvExportHeader;
    out += "\r\n";
    std::string text, room;  // buffers for every message's shown text and guarded cell
    for (const std::int32_t n : rows) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        out += ExportTime(m.Time.view());
        out += ',';
        AppendCsvField(out, GuardCsvCell(DisplayUtf8(m.Phone.view()), room, true));
        out += ',';
        AppendCsvField(out, GuardCsvCell(DisplayUtf8(m.Name.view()), room));
        out += ',';
        out += ExportDirection(m);
        out += ',';
        DisplayMessageUtf8Into(m.Text, text);
        AppendCsvField(out, GuardCsvCell(text, room));
        out += "\r\n";
    }
    return out;
}

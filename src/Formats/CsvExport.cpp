// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/CsvExport.h"

#include "OFuncs/DisplayText.h"

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
    std::string text;  // one buffer for every message's shown text
    for (const std::int32_t n : rows) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        out += ExportTime(m.Time.view());
        out += ',';
        AppendCsvField(out, DisplayUtf8(m.Phone.view()));
        out += ',';
        AppendCsvField(out, DisplayUtf8(m.Name.view()));
        out += ',';
        out += ExportDirection(m);
        out += ',';
        DisplayMessageUtf8Into(m.Text, text);
        AppendCsvField(out, text);
        out += "\r\n";
    }
    return out;
}

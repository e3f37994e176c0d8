// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/ExportFields.h"

#include "Lang/DateTimeFormat.h"
#include "Lang/LocaleInfo.h"
#include "Lang/TimeValue.h"
#include "OFuncs/AsciiCase.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"

namespace {

bool IsStoredTimeForm(std::string_view t) {
    static constexpr std::string_view Shape = "0000.00.00 00:00";
    if (t.size() != Shape.size()) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (Shape[i] == '0' ? (t[i] < '0' || t[i] > '9') : t[i] != Shape[i]) return false;
    }
    return true;
}
}  // namespace

std::optional<ExportFormat> ExportFormatOfPath(std::string_view path) {
    if (EndsWithAsciiNoCase(path, ".csv")) return ExportFormat::Csv;
    if (EndsWithAsciiNoCase(path, ".html") || EndsWithAsciiNoCase(path, ".htm")) return ExportFormat::Html;
    if (EndsWithAsciiNoCase(path, ".pdf")) return ExportFormat::Pdf;
    return std::nullopt;
}

std::string ExportTime(std::string_view stored) {
    std::string out;
    AppendExportTime(out, stored);
    return out;
}

void AppendExportTime(std::string& out, std::string_view stored) {
    if (IsStoredTimeForm(stored)) {
        const std::size_t at = out.size();
        out += stored;
        out[at + 4] = out[at + 7] = '-';
        return;
    }
    static const LocaleInfo english = LocaleInfo::English();  // ":" between hours and minutes
    out += FormatDateTime("yyyy-mm-dd hh:mm", TimeValue(stored), english);
}

std::string_view ExportDirection(const XMsgRecType& m) { return (m.Flags & MsgSent) ? "Sent" : "Received"; }

void WriteExportFile(const std::string& path, std::string_view bytes) {
    AtomicFileWriter file;
    if (const int code = file.Open(path)) throw IoError(FileErrorReason(code), path, "write");
    try {
        file.Write(bytes);
        file.Commit();
    } catch (const IoError& e) {
        throw e.In(path, "write");
    }
}

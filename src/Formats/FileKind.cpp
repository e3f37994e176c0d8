// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/FileKind.h"

#include "Formats/CsvExportImport.h"
#include "Formats/IPhoneMessages.h"
#include "Formats/SmsBackupReader.h"
#include "Formats/VCard.h"

namespace {
constexpr std::size_t FirstTextBytes = 4;

bool IsBlank(std::string_view head) { return head.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// Text from its first bytes on (compressed files, pictures, programs and archives start
// with bytes that are no text), with a byte between two double quotes somewhere.
bool LooksLikeSuiteExport(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    const std::size_t text = head.find_first_not_of(" \t\r\n");
    for (std::size_t k = text; k < head.size() && k < text + FirstTextBytes; ++k) {
        const auto c = static_cast<unsigned char>(head[k]);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c > 0x7E) return false;
    }
    for (std::size_t q = head.find('"'); q != std::string_view::npos && q + 2 < head.size(); q = head.find('"', q + 1))
        if (head[q + 2] == '"') return true;
    return false;
}
}  // namespace

FileKind KindOfFile(std::string_view head) {
    if (IsSqliteHeader(head)) return FileKind::MessagesDatabase;
    if (IsCsvExportStart(head)) return FileKind::CsvExport;
    if (LooksLikeVCard(head)) return FileKind::AddressBook;
    if (LooksLikeXml(head)) return FileKind::SmsBackup;
    if (IsBlank(head) || LooksLikeSuiteExport(head)) return FileKind::SuiteExport;
    return FileKind::Unknown;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/SmsBackupFields.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "OFuncs/AsciiCase.h"
#include "OFuncs/WholeCharacters.h"

namespace {
std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}
}  // namespace

std::optional<std::int64_t> BackupMillis(std::string_view millis) {
    millis = Trim(millis);
    std::int64_t ms = 0;
    const auto [end, ec] = std::from_chars(millis.data(), millis.data() + millis.size(), ms);
    if (ec != std::errc() || end != millis.data() + millis.size()) return std::nullopt;
    return ms;
}

std::optional<TimeText> BackupTime(std::string_view millis) {
    const std::optional<std::int64_t> ms = BackupMillis(millis);
    if (!ms) return std::nullopt;
    return BackupTimeOfMillis(*ms);
}

std::optional<TimeText> BackupTimeOfMillis(std::int64_t millis) {
    const std::int64_t* ms = &millis;
    // Whole seconds toward the past, so that a time before 1970 keeps its minute.
    const std::int64_t seconds = *ms / 1000 - (*ms % 1000 < 0 ? 1 : 0);
    constexpr std::int64_t Year10000 = 253402300800;  // 10000-01-01 UTC
    if (seconds < -62135596800 + 86400 || seconds >= Year10000 - 86400) return std::nullopt;
    const auto t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::nullopt;
    const int year = local.tm_year + 1900;
    if (year < 1 || year > 9999) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d", year, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min);
    return TimeText(text);
}

std::string_view BackupPhone(std::string_view address) {
    const std::size_t tilde = address.find('~');
    const std::string_view first = Trim(address.substr(0, tilde));
    if (first == "null") return {};
    return CutToWholeCharacters(first, PhoneText::Capacity);
}

bool IsPhoneNumber(std::string_view address) {
    address = Trim(address);
    bool digit = false;
    for (const char c : address) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c != '+' && c != ' ' && c != '-' && c != '(' && c != ')' && c != '.' && c != '*' && c != '#')
            return false;
    }
    return digit;
}

std::string_view BackupName(std::string_view contactName) {
    if (contactName.empty() || contactName == "null" || contactName == "(Unknown)") return {};
    return CutToWholeCharacters(contactName, NameText::Capacity);
}

void AppendBackupText(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
            out += c;
        }
    }
}

std::optional<std::string_view> PartPlaceholder(std::string_view contentType) {
    if (StartsWithAsciiNoCase(contentType, "application/smil")) return std::string_view();
    if (StartsWithAsciiNoCase(contentType, "image/")) return "[image]";
    if (StartsWithAsciiNoCase(contentType, "video/")) return "[video]";
    if (StartsWithAsciiNoCase(contentType, "audio/")) return "[audio]";
    if (StartsWithAsciiNoCase(contentType, "text/x-vcard") || StartsWithAsciiNoCase(contentType, "text/vcard")) return "[contact]";
    if (StartsWithAsciiNoCase(contentType, "text/plain")) return std::nullopt;  // its own text
    return "[file]";
}

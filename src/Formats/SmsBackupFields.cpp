// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/SmsBackupFields.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "MBVars/Store.h"
#include "OFuncs/AsciiCase.h"
#include "OFuncs/WholeCharacters.h"

namespace {
// From 1970 to the day before 10000-01-01 UTC, so that every time zone's local date still
// has four digits.
constexpr std::int64_t LastBackupMillis = (253402300800LL - 86400) * 1000 - 1;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}
}  // namespace

std::optional<std::int64_t> BackupMillis(std::string_view millis) {
    millis = Trim(millis);
    std::int64_t ms = 0;
    if (millis.empty() || millis.front() < '0' || millis.front() > '9') return std::nullopt;
    const auto [end, ec] = std::from_chars(millis.data(), millis.data() + millis.size(), ms);
    if (ec != std::errc() || end != millis.data() + millis.size() || ms > LastBackupMillis) return std::nullopt;
    return ms;
}

std::optional<TimeText> BackupTimeOfMillis(std::int64_t ms) {
    if (ms < 0 || ms > LastBackupMillis) return std::nullopt;
    const auto t = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::nullopt;
    const int year = local.tm_year + 1900;
    if (year < 1 || year > 9999) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d", year, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min);
    return TimeText(text);
}

std::vector<std::string_view> BackupNumbers(std::string_view address) {
    std::vector<std::string_view> numbers;
    while (!address.empty()) {
        const std::size_t sep = address.find_first_of("~,;");
        const std::string_view piece = Trim(address.substr(0, sep));
        if (!piece.empty() && piece != "null") numbers.push_back(CutToWholeCharacters(piece, PhoneText::Capacity));
        if (sep == std::string_view::npos) break;
        address.remove_prefix(sep + 1);
    }
    return numbers;
}

std::string_view BackupPhone(std::string_view address) {
    for (;;) {
        const std::size_t sep = address.find_first_of("~,;");
        const std::string_view piece = Trim(address.substr(0, sep));
        if (!piece.empty() && piece != "null") return CutToWholeCharacters(piece, PhoneText::Capacity);
        if (sep == std::string_view::npos) return {};
        address.remove_prefix(sep + 1);
    }
}

std::string GroupLine(const std::vector<std::string>& others) {
    std::string line = "[group: ";
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (i) line += ", ";
        line += others[i];
    }
    return line + "]";
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

std::string_view BackupName(std::string_view contactName, std::string_view phone) {
    const std::string_view trimmed = Trim(contactName);
    if (trimmed.empty() || trimmed == "null" || trimmed == "(Unknown)" || trimmed == Trim(phone)) return {};
    return CutToWholeCharacters(contactName, NameText::Capacity);
}

void AppendBackupText(std::string_view text, std::string& out) {
    // Past a few bytes over the limit nothing more can be kept.
    const std::size_t room = MaxTextLength + 4;
    std::size_t i = 0;
    while (i < text.size() && out.size() <= room) {
        std::size_t run = i;
        while (run < text.size() && static_cast<unsigned char>(text[run]) >= 0x20) ++run;
        out.append(text.substr(i, std::min(run - i, room + 1 - out.size())));
        if (run == text.size() || out.size() > room) break;
        const char c = text[run];
        i = run + 1;
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
        } else if (c == '\t') {
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

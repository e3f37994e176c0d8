// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/MessageMedia.h"

#include <cstdio>

#include "OFuncs/AsciiCase.h"

MediumKind KindOfMedium(std::string_view type) {
    if (StartsWithAsciiNoCase(type, "image/")) return MediumKind::Picture;
    if (StartsWithAsciiNoCase(type, "video/")) return MediumKind::Video;
    if (StartsWithAsciiNoCase(type, "audio/")) return MediumKind::Audio;
    if (StartsWithAsciiNoCase(type, "text/x-vcard") || StartsWithAsciiNoCase(type, "text/vcard")) return MediumKind::Contact;
    return MediumKind::Other;
}

std::string MediumTypeName(std::string_view type) {
    std::string_view sub = type.substr(type.find('/') == std::string_view::npos ? type.size() : type.find('/') + 1);
    sub = sub.substr(0, sub.find_first_of("; "));
    if (StartsWithAsciiNoCase(sub, "x-")) sub.remove_prefix(2);
    std::string name;
    for (const char c : sub) name += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return name;
}

std::string ReadableSize(std::uint64_t bytes) {
    char out[32];
    if (bytes < 1024) {
        std::snprintf(out, sizeof out, "%llu bytes", static_cast<unsigned long long>(bytes));
    } else if (bytes < 1024 * 1024) {
        std::snprintf(out, sizeof out, "%llu KB", static_cast<unsigned long long>((bytes + 512) / 1024));
    } else {
        std::snprintf(out, sizeof out, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    }
    return out;
}

std::string MediumCaption(const MediaItem& item) {
    if (item.Damaged || item.File.empty()) return std::string(UnreadableMedium);
    static const char* const Kinds[] = {"Picture", "Video", "Audio", "Contact card", "File"};
    std::string caption = Kinds[static_cast<int>(KindOfMedium(item.ContentType))];
    if (const std::string type = MediumTypeName(item.ContentType); !type.empty()) caption += ", " + type;
    return caption + ", " + ReadableSize(item.Size);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform/Cp1252Text.h"

#include "OFuncs/Cp1252.h"
#include "OFuncs/DisplayText.h"

namespace {
QString FromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
}  // namespace

QString FromCp1252(std::string_view bytes) { return FromUtf8(Cp1252ToUtf8(bytes)); }

std::string ToCp1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const int byte = Cp1252ByteOf(c.unicode());
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

QString ShownText(std::string_view stored) {
    return IsValidUtf8(stored) ? FromUtf8(stored) : FromCp1252(stored);
}

QString ShownMessageText(std::string_view stored) { return FromUtf8(DisplayMessageUtf8(stored)); }

std::string StoredFromTyped(const QString& typed, std::size_t maxBytes) {
    const QByteArray utf8 = typed.toUtf8();
    const std::string stored = StoredFromUtf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    return std::string(CutOnCharBoundary(stored, maxBytes));
}

#include "Platform/Cp1252Text.h"

#include <array>

#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"

QString FromCp1252(std::string_view bytes) { return QString::fromUtf8(Cp1252ToUtf8(bytes)); }

namespace {

// The characters of the bytes 0x80..0x9F, the only ones not equal to their code point.
const std::array<char16_t, 32>& HighRow() {
    static const std::array<char16_t, 32> row = [] {
        std::array<char16_t, 32> r{};
        for (int b = 0; b < 32; ++b) {
            const char byte = static_cast<char>(0x80 + b);
            const QString one = FromCp1252(std::string_view(&byte, 1));
            r[static_cast<std::size_t>(b)] = one.isEmpty() ? u'?' : one.at(0).unicode();
        }
        return r;
    }();
    return row;
}

}  // namespace

std::string ToCp1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        char byte = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            byte = static_cast<char>(u);
        } else {
            const auto& row = HighRow();
            for (std::size_t b = 0; b < row.size(); ++b)
                if (row[b] == u) byte = static_cast<char>(0x80 + b);
        }
        out.push_back(byte);
    }
    return out;
}

QString ShownText(std::string_view stored) { return FromCp1252(stored); }

QString ShownMessageText(std::string_view stored) { return ShownText(NormaliseText(stored)); }

std::string StoredFromTyped(const QString& typed) { return ToCp1252(typed); }

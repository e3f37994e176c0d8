// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pages/PdfText.h"

#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

// Qt writes a classic cross-reference table, each object as "N 0 obj ... endobj", each
// font as a Type0 font with a subset of the glyphs, numbered in order of first use, their
// widths in a /W array, and an uncompressed ToUnicode CMap whose bfrange and bfchar entries
// leave out the glyphs of characters beyond U+FFFF. So the glyphs a font lacks in its map,
// in order, are the distinct characters beyond U+FFFF that the texts drew from that font,
// in the order drawn; their widths confirm the match.

namespace {

struct Pdf {
    const QByteArray& Bytes;
    std::vector<qsizetype> Offsets;  // by object number; 0 when free
    qsizetype XrefAt = 0;

    // The object's text from after "N 0 obj" up to "endobj".
    QByteArray Object(int n) const {
        if (n <= 0 || static_cast<std::size_t>(n) >= Offsets.size() || Offsets[static_cast<std::size_t>(n)] == 0) return {};
        const qsizetype at = Offsets[static_cast<std::size_t>(n)];
        const QByteArray head = QByteArray::number(n) + " 0 obj";
        if (!Bytes.mid(at, head.size()).startsWith(head)) return {};
        const qsizetype end = Bytes.indexOf("endobj", at);
        return end < 0 ? QByteArray() : Bytes.mid(at + head.size(), end - at - head.size());
    }
};

std::optional<Pdf> Parse(const QByteArray& bytes) {
    const qsizetype start = bytes.lastIndexOf("startxref");
    if (start < 0) return std::nullopt;
    bool ok = false;
    const qsizetype xref = bytes.mid(start + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || xref <= 0 || xref >= bytes.size() || !bytes.mid(xref, 4).startsWith("xref")) return std::nullopt;
    const qsizetype line = bytes.indexOf('\n', xref + 5);
    if (line < 0) return std::nullopt;
    const QList<QByteArray> range = bytes.mid(xref + 5, line - xref - 5).trimmed().split(' ');
    if (range.size() != 2 || range[0] != "0") return std::nullopt;
    const int count = range[1].toInt(&ok);
    if (!ok || count <= 0 || line + 1 + qsizetype(count) * 20 > bytes.size()) return std::nullopt;
    Pdf pdf{bytes, std::vector<qsizetype>(static_cast<std::size_t>(count), 0), xref};
    for (int n = 0; n < count; ++n) {
        const QByteArray entry = bytes.mid(line + 1 + qsizetype(n) * 20, 20);
        if (entry.size() < 18 || (entry[17] != 'n' && entry[17] != 'f')) return std::nullopt;
        if (entry[17] == 'n') pdf.Offsets[static_cast<std::size_t>(n)] = entry.left(10).toLongLong();
    }
    return pdf;
}

QByteArray StreamData(const QByteArray& object) {
    const qsizetype s = object.indexOf("stream\n"), e = object.lastIndexOf("endstream");
    if (s < 0 || e < s + 7) return {};
    QByteArray data = object.mid(s + 7, e - s - 7);
    if (data.endsWith('\n')) data.chop(1);
    if (!object.left(s).contains("/FlateDecode")) return data;
    // qUncompress takes zlib data after the expected size, as four bytes big-endian;
    // it grows its buffer beyond that as needed.
    const quint32 guess = static_cast<quint32>(std::min<qsizetype>(data.size() * 4 + 64, 1 << 30));
    QByteArray prefixed(4, '\0');
    prefixed[0] = char(guess >> 24), prefixed[1] = char(guess >> 16), prefixed[2] = char(guess >> 8), prefixed[3] = char(guess);
    return qUncompress(prefixed + data);
}

int Reference(const QByteArray& object, const char* key) {
    const QRegularExpression re(QString::fromLatin1(key) + QStringLiteral("\\s*(\\d+)\\s+0\\s+R"));
    const auto m = re.match(QString::fromLatin1(object));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The subset glyphs that the map gives characters to.
QSet<int> MappedGlyphs(const QByteArray& cmap) {
    QSet<int> mapped;
    static const QRegularExpression range(QStringLiteral("<([0-9A-Fa-f]{4})>\\s*<([0-9A-Fa-f]{4})>\\s*(<[0-9A-Fa-f]+>|\\[[^\\]]*\\])"));
    static const QRegularExpression single(QStringLiteral("<([0-9A-Fa-f]{4})>\\s*<[0-9A-Fa-f]+>"));
    const QString text = QString::fromLatin1(cmap);
    qsizetype at = 0;
    while (true) {
        const qsizetype r = text.indexOf(QStringLiteral("beginbfrange"), at), c = text.indexOf(QStringLiteral("beginbfchar"), at);
        if (r < 0 && c < 0) break;
        const bool isRange = r >= 0 && (c < 0 || r < c);
        const qsizetype from = isRange ? r : c;
        const qsizetype to = text.indexOf(isRange ? QStringLiteral("endbfrange") : QStringLiteral("endbfchar"), from);
        if (to < 0) break;
        const QString block = text.mid(from, to - from);
        auto it = (isRange ? range : single).globalMatch(block);
        while (it.hasNext()) {
            const auto m = it.next();
            const int first = m.captured(1).toInt(nullptr, 16);
            const int last = isRange ? m.captured(2).toInt(nullptr, 16) : first;
            for (int g = first; g <= last && g - first < 0x10000; ++g) mapped.insert(g);
        }
        at = to;
    }
    return mapped;
}

// The widths of the subset glyphs, from the descendant font's /W array: "first [w w ...]"
// and "first last w".
QHash<int, double> Widths(const QByteArray& font) {
    QHash<int, double> widths;
    const qsizetype w = font.indexOf("/W [");
    if (w < 0) return widths;
    QList<QByteArray> tokens;
    QByteArray token;
    for (qsizetype at = w + 4, depth = 0; at < font.size(); ++at) {
        const char ch = font[at];
        if (ch == '[' || ch == ']' || ch == ' ' || ch == '\n' || ch == '\r') {
            if (!token.isEmpty()) tokens.push_back(token), token.clear();
            if (ch == '[') ++depth, tokens.push_back("[");
            if (ch == ']') {
                if (depth-- == 0) break;
                tokens.push_back("]");
            }
        } else {
            token += ch;
        }
    }
    for (qsizetype k = 0; k + 1 < tokens.size();) {
        const int first = tokens[k].toInt();
        if (tokens[k + 1] == "[") {
            k += 2;
            for (int g = first; k < tokens.size() && tokens[k] != "]"; ++k, ++g) widths[g] = tokens[k].toDouble();
            ++k;
        } else if (k + 2 < tokens.size()) {
            const int last = tokens[k + 1].toInt();
            for (int g = first; g <= last && g - first < 0x10000; ++g) widths[g] = tokens[k + 2].toDouble();
            k += 3;
        } else {
            break;
        }
    }
    return widths;
}

QByteArray Utf16Hex(char32_t c) {
    const char16_t high = char16_t(0xD800 + ((c - 0x10000) >> 10)), low = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    return QByteArray::number(high, 16).toUpper() + QByteArray::number(low, 16).toUpper();
}

QByteArray Hex4(int g) { return QByteArray::number(g, 16).toUpper().rightJustified(4, '0'); }

}  // namespace

QByteArray WithTextBeyondBmp(const QByteArray& pdf, const QStringList& painted, const QStringList& families) {
    // The characters beyond U+FFFF in the order drawn, once each.
    std::vector<char32_t> drawn;
    QSet<char32_t> seen;
    for (const QString& text : painted) {
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isHighSurrogate(); })) continue;
        for (const char32_t c : text.toUcs4())
            if (c > 0xFFFF && !seen.contains(c)) seen.insert(c), drawn.push_back(c);
    }
    if (drawn.empty()) return pdf;
    const std::optional<Pdf> parsed = Parse(pdf);
    if (!parsed) return pdf;
    const Pdf& doc = *parsed;

    // The Type0 fonts, by their object numbers: their heads are short, their font files
    // and the pages' contents (large) are other objects.
    std::vector<int> fonts;
    for (std::size_t n = 1; n < doc.Offsets.size(); ++n) {
        const qsizetype at = doc.Offsets[n];
        if (at <= 0) continue;
        const QByteArray head = pdf.mid(at, 160);
        const qsizetype stream = head.indexOf("stream");
        if (head.indexOf("/Subtype /Type0") >= 0 && (stream < 0 || head.indexOf("/Subtype /Type0") < stream)) fonts.push_back(int(n));
    }

    // Which family draws each character: the first that has it.
    std::vector<QRawFont> raws;
    for (const QString& family : families) {
        QFont f(family);
        f.setPixelSize(1000);
        raws.push_back(QRawFont::fromFont(f));
    }
    const auto familyOf = [&](char32_t c) {
        for (std::size_t k = 0; k < raws.size(); ++k)
            if (raws[k].isValid() && raws[k].supportsCharacter(c)) return static_cast<int>(k);
        return -1;
    };

    // The new maps, by ToUnicode object.
    std::map<int, QByteArray> replaced;
    for (const int fontObject : fonts) {
        const QByteArray font = doc.Object(fontObject);
        const int toUnicode = Reference(font, "/ToUnicode");
        const int descendant = Reference(font, "/DescendantFonts\\s*\\[");
        const QByteArray cid = doc.Object(descendant);
        const QByteArray descriptor = doc.Object(Reference(cid, "/FontDescriptor"));
        const qsizetype nameAt = descriptor.indexOf("/FontName /");
        if (toUnicode < 0 || cid.isEmpty() || nameAt < 0) continue;
        const qsizetype nameEnd = descriptor.indexOf('\n', nameAt);
        QByteArray name = descriptor.mid(nameAt + 11, nameEnd - nameAt - 11).trimmed();
        name = name.mid(name.indexOf('+') + 1);
        const QByteArray cmapObject = doc.Object(toUnicode);
        const QByteArray cmap = StreamData(cmapObject);
        const QSet<int> mapped = MappedGlyphs(cmap);
        // Qt numbers a subset's glyphs in order of first use (0 is the missing glyph's), and
        // gives each its width: the glyphs without a character, in that order.
        const QHash<int, double> widths = Widths(cid);
        int glyphCount = 0;
        for (auto it = widths.constBegin(); it != widths.constEnd(); ++it) glyphCount = std::max(glyphCount, it.key() + 1);
        std::vector<int> missing;
        for (int g = 1; g < glyphCount; ++g)
            if (!mapped.contains(g)) missing.push_back(g);
        if (missing.empty()) continue;
        // The family of this font: the one whose PostScript name it bears.
        int family = -1;
        for (std::size_t k = 0; k < raws.size(); ++k) {
            const QString ps = QString::fromLatin1(name);
            if (raws[k].isValid() && (ps.startsWith(QString(raws[k].familyName()).remove(QLatin1Char(' '))))) family = int(k);
        }
        if (family < 0) continue;
        std::vector<char32_t> chars;
        for (const char32_t c : drawn)
            if (familyOf(c) == family) chars.push_back(c);
        if (chars.size() != missing.size()) continue;
        // The style of the family whose widths these are (bold and italic are fonts of their own).
        QByteArray entries;
        for (const int style : {0, 1, 2, 3}) {
            QFont f(families[family]);
            f.setPixelSize(1000);
            f.setBold(style & 1);
            f.setItalic(style & 2);
            const QRawFont raw = QRawFont::fromFont(f);
            bool same = raw.isValid();
            for (std::size_t k = 0; k < chars.size() && same; ++k) {
                const QList<QPointF> advance = raw.advancesForGlyphIndexes(raw.glyphIndexesForString(QString::fromUcs4(&chars[k], 1)));
                same = advance.size() == 1 && widths.contains(missing[k]) && std::abs(advance[0].x() - widths[missing[k]]) <= 2;
            }
            if (!same) continue;
            for (std::size_t k = 0; k < chars.size(); ++k) entries += '<' + Hex4(missing[k]) + "> <" + Utf16Hex(chars[k]) + ">\n";
            break;
        }
        if (entries.isEmpty()) continue;
        QByteArray extended = cmap;
        const qsizetype end = extended.indexOf("endcmap");
        if (end < 0) continue;
        // At most 100 entries a block.
        QByteArray blocks;
        const QList<QByteArray> lines = entries.split('\n');
        for (qsizetype k = 0; k < lines.size() - 1; k += 100) {
            const qsizetype count = std::min<qsizetype>(100, lines.size() - 1 - k);
            blocks += QByteArray::number(count) + " beginbfchar\n";
            for (qsizetype j = k; j < k + count; ++j) blocks += lines[j] + '\n';
            blocks += "endbfchar\n";
        }
        extended.insert(end, blocks);
        replaced[toUnicode] = "\n<< /Length " + QByteArray::number(extended.size()) + " >>\nstream\n" + extended + "\nendstream\n";
    }
    if (replaced.empty()) return pdf;

    // The file anew: the replaced objects, every later offset moved, the table rewritten.
    std::vector<std::pair<qsizetype, int>> order;  // offset, object
    for (std::size_t n = 1; n < doc.Offsets.size(); ++n)
        if (doc.Offsets[n] > 0) order.emplace_back(doc.Offsets[n], int(n));
    std::sort(order.begin(), order.end());
    QByteArray out;
    out.reserve(pdf.size() + 4096);
    std::vector<qsizetype> offsets(doc.Offsets.size(), 0);
    qsizetype copied = 0;
    for (const auto& [offset, n] : order) {
        const auto r = replaced.find(n);
        if (r == replaced.end()) continue;
        const QByteArray head = QByteArray::number(n) + " 0 obj";
        const qsizetype end = pdf.indexOf("endobj", offset);
        out += pdf.mid(copied, offset + head.size() - copied);
        out += r->second;
        copied = end;
    }
    out += pdf.mid(copied, doc.XrefAt - copied);
    // Offsets again from the copied pieces: each object's place moves by the growth before it.
    qsizetype shift = 0;
    for (const auto& [offset, n] : order) {
        offsets[std::size_t(n)] = offset + shift;
        const auto r = replaced.find(n);
        if (r != replaced.end()) {
            const QByteArray head = QByteArray::number(n) + " 0 obj";
            const qsizetype end = pdf.indexOf("endobj", offset);
            shift += r->second.size() - (end - offset - head.size());
        }
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(qsizetype(offsets.size())) + "\n0000000000 65535 f \n";
    for (std::size_t n = 1; n < offsets.size(); ++n)
        out += QByteArray::number(offsets[n]).rightJustified(10, '0') + (offsets[n] ? " 00000 n \n" : " 00000 f \n");
    const qsizetype trailer = pdf.indexOf("trailer", doc.XrefAt);
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    if (trailer < 0) return pdf;
    out += pdf.mid(trailer, startxref - trailer);
    out += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

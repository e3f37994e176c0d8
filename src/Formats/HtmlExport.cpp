// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/HtmlExport.h"

#include <cstdio>

#include "Formats/MessageMedia.h"
#include "OFuncs/DisplayText.h"

namespace {
std::string FontCss(std::uint8_t style) {
    std::string css;
    if (style & 1) css += "font-style:italic;";
    if (style & 2) css += "font-weight:bold;";
    return css;
}

void AppendRowStyle(std::string& out, const char* selector, std::int32_t color, std::uint8_t font) {
    out += selector;
    out += '{';
    if (color >= 0) out += "background:" + CssColor(color) + ';';
    out += FontCss(font);
    out += "}\n";
}

std::string StyleSheet(const ExportLook& look) {
    std::string css =
        "body{font-family:sans-serif;font-size:11pt;margin:1.5em;color:#000;background:#fff}\n"
        "h1{font-size:16pt;margin:0 0 .2em}\n"
        "p.source{color:#444;margin:0 0 1em}\n"
        "table{border-collapse:collapse;width:100%}\n"
        "th,td{border:1px solid #999;padding:.2em .4em;text-align:left;vertical-align:top}\n"
        "td.time{white-space:nowrap}\n"
        "td.message{white-space:pre-wrap;overflow-wrap:anywhere}\n"
        "thead{display:table-header-group}\n"
        "tr{page-break-inside:avoid;break-inside:avoid}\n"
        "img.picture{display:block;max-width:min(100%,320px);max-height:320px;margin:.3em 0}\n"
        "span.medium{display:block;margin:.3em 0}\n"
        "*{-webkit-print-color-adjust:exact;print-color-adjust:exact}\n";
    css += "th{background:" + CssColor(look.HeaderColor) + "}\n";
    const bool sentReceived = look.ColorMode == 1;
    const std::int32_t plain = look.ColorMode == 0 ? look.DefaultColor : -1;
    AppendRowStyle(css, "tr.sent", sentReceived ? look.SentColor : plain, look.SentFont);
    AppendRowStyle(css, "tr.received", sentReceived ? look.ReceivedColor : plain, look.ReceivedFont);
    return css;
}

void Cell(std::string& out, const char* cls, std::string_view utf8) {
    out += cls == nullptr ? "<td>" : std::string("<td class=\"") + cls + "\">";
    AppendHtmlText(out, utf8);
    out += "</td>";
}

// A relative address: every byte but the unreserved ones and "/" percent-encoded, so that a
// page named "a #1.html" finds its "a #1_files".
std::string AddressOf(std::string_view folder, std::string_view file) {
    std::string address;
    const std::string path = std::string(folder) + "/" + std::string(file);
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || std::string_view("-._~/").find(c) != std::string_view::npos) {
            address += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            address += hex;
        }
    }
    return address;
}

// Browsers show these pictures themselves; others (HEIC) are links like a video's.
bool BrowsersShow(std::string_view contentType) {
    for (const std::string_view shown : {"image/jpeg", "image/jpg", "image/png", "image/gif", "image/webp", "image/bmp"})
        if (contentType == shown) return true;
    return false;
}

void AppendMedia(std::string& out, const std::vector<MediaItem>& items, const PageMedia& media) {
    for (const MediaItem& item : items) {
        const bool present = !item.Damaged && !item.File.empty() && media.Files.count(item.File) > 0;
        if (!present) {
            out += "<span class=\"medium\">";
            AppendHtmlText(out, UnreadableMedium);
            out += "</span>";
            continue;
        }
        std::string address;
        AppendHtmlText(address, AddressOf(media.Folder, item.File));
        const std::string caption = MediumCaption(item);
        if (BrowsersShow(item.ContentType)) {
            out += "<a href=\"" + address + "\"><img class=\"picture\" src=\"" + address + "\" alt=\"";
            AppendHtmlText(out, caption);
            out += "\"></a>";
        } else {
            out += "<span class=\"medium\"><a href=\"" + address + "\">";
            AppendHtmlText(out, caption);
            out += "</a></span>";
        }
    }
}
}  // namespace

ExportLook ExportLook::FromSettings(const DefaultsType& D, std::string title, std::string source) {
    ExportLook look;
    look.Title = std::move(title);
    look.Source = std::move(source);
    look.ColorMode = D.ColorMode;
    look.DefaultColor = D.DefaultColor;
    look.SentColor = D.SentColor;
    look.ReceivedColor = D.ReceivedColor;
    look.HeaderColor = D.GridFixedColor;
    look.SentFont = D.SentFont;
    look.ReceivedFont = D.ReceivedFont;
    return look;
}

std::int32_t ExportLook::RowColor(const XMsgRecType& m) const {
    switch (ColorMode) {
        case 0: return DefaultColor;
        case 1: return (m.Flags & MsgSent) ? SentColor : ReceivedColor;
        default: return m.Color != 0 ? m.Color : -1;
    }
}

std::string CssColor(std::int32_t colorRef) {
    const auto c = static_cast<std::uint32_t>(colorRef);
    char out[8];
    std::snprintf(out, sizeof out, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return out;
}

void AppendHtmlText(std::string& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '\r':
                if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
                out += "<br>";
                break;
            case '\n': out += "<br>"; break;
            case '\t': out += c; break;
            default: out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
        }
    }
}

std::string HtmlExport(const MsgStore& S, ExportRows rows, const ExportLook& look, const PageMedia* media) {
    std::string out;
    out.reserve(2048 + rows.size() * 260);
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    AppendHtmlText(out, look.Source.empty() ? look.Title : look.Title + " - " + look.Source);
    out += "</title>\n<style>\n" + StyleSheet(look) + "</style>\n</head>\n<body>\n<h1>";
    AppendHtmlText(out, look.Title);
    out += "</h1>\n<p class=\"source\">";
    if (!look.Source.empty()) {
        AppendHtmlText(out, look.Source);
        out += ", ";
    }
    out += std::to_string(rows.size()) + (rows.size() == 1 ? " message" : " messages");
    out += "</p>\n<table>\n<thead><tr><th>Time</th><th>Phone</th><th>Name</th><th>Direction</th><th>Message</th></tr></thead>\n<tbody>\n";
    std::string text;
    for (const std::int32_t n : rows) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        out += (m.Flags & MsgSent) ? "<tr class=\"sent\"" : "<tr class=\"received\"";
        if (look.ColorMode == 2 && m.Color != 0) out += " style=\"background:" + CssColor(m.Color) + '"';
        out += '>';
        Cell(out, "time", ExportTime(m.Time.view()));
        Cell(out, nullptr, DisplayUtf8(m.Phone.view()));
        Cell(out, nullptr, DisplayUtf8(m.Name.view()));
        Cell(out, nullptr, ExportDirection(m));
        DisplayMessageUtf8Into(m.Text, text);
        const std::vector<MediaItem>* items = media && media->Media ? media->Media->Find(m) : nullptr;
        if (items && !items->empty()) {
            out += "<td class=\"message\">";
            AppendHtmlText(out, text);
            AppendMedia(out, *items, *media);
            out += "</td>";
        } else {
            Cell(out, "message", text);
        }
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</body>\n</html>\n";
    return out;
}

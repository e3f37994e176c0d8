// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/XmlRepair.h"

#include <cstring>

#include "OFuncs/Utf8.h"

namespace {
constexpr std::uint32_t Replacement = 0xFFFD;
constexpr std::uint32_t NoCharacter = 0x110000;  // any value past the last character
// Longer references (leading zeros) are passed on for the parser to judge.
constexpr std::size_t LongestReference = 32;

bool IsHigh(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDroppedControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// The character a complete "&#...;" or "&#x...;" names; NoCharacter past the last one.
std::uint32_t ReferenceValue(std::string_view ref) {
    const bool hex = ref[2] == 'x' || ref[2] == 'X';
    std::uint32_t v = 0;
    for (std::size_t i = hex ? 3 : 2; i + 1 < ref.size(); ++i) {
        const char c = ref[i];
        const std::uint32_t digit = IsDigit(c) ? std::uint32_t(c - '0') : std::uint32_t((c | 0x20) - 'a' + 10);
        v = v * (hex ? 16 : 10) + digit;
        if (v >= NoCharacter) return NoCharacter;
    }
    return v;
}
}  // namespace

void XmlRepairFilter::Feed(std::string_view in, std::string& out) {
    std::size_t i = 0;
    while (i < in.size()) {
        if (mode_ != Mode::SkipValue) {
            Byte(in[i++], out);
            continue;
        }
        const char* start = in.data() + i;
        const auto* end = static_cast<const char*>(std::memchr(start, quote_, in.size() - i));
        const char* stop = end ? end : in.data() + in.size();
        for (const char* p = start; (p = static_cast<const char*>(std::memchr(p, '\n', stop - p))); ++p) out += '\n';
        i = static_cast<std::size_t>(stop - in.data());
        if (end) {
            out += quote_;
            mode_ = Mode::Tag;
            ++i;
        }
    }
}

void XmlRepairFilter::Finish(std::string& out) {
    if (!ref_.empty()) {
        FlushPending(out);
        out += ref_;
        ref_.clear();
    }
    FlushPending(out);
}

void XmlRepairFilter::Byte(char c, std::string& out) {
    if (!ref_.empty()) {
        const bool hex = ref_.size() >= 3 && (ref_[2] == 'x' || ref_[2] == 'X');
        const bool hasDigits = ref_.size() > (hex ? 3u : 2u);
        if (ref_.size() == 1 && c == '#') {
            ref_ += c;
            return;
        }
        if (ref_.size() > 1 && ref_.size() < LongestReference) {
            if (c == ';' && hasDigits) {
                ref_ += c;
                EndReference(out);
                return;
            }
            if ((hex ? IsHexDigit(c) : IsDigit(c)) || (ref_.size() == 2 && (c == 'x' || c == 'X'))) {
                ref_ += c;
                return;
            }
        }
        // No numeric reference: passed on as it stands.
        FlushPending(out);
        out += ref_;
        ref_.clear();
    }
    if (IsDroppedControl(static_cast<unsigned char>(c))) return;
    if (c == '&' && mode_ != Mode::Tag) {
        ref_.assign(1, '&');
        return;
    }
    FlushPending(out);
    switch (mode_) {
        case Mode::Text:
            out += c;
            if (c == '<') {
                mode_ = Mode::Tag;
                name_.clear();
                inName_ = afterEquals_ = afterDataEquals_ = false;
            }
            break;
        case Mode::Value:
            out += c;
            if (c == quote_) mode_ = Mode::Tag;
            break;
        case Mode::Tag: TagByte(c, out); break;
        case Mode::SkipValue: break;  // Feed passes these over
    }
}

void XmlRepairFilter::TagByte(char c, std::string& out) {
    out += c;
    if (c == '>') {
        mode_ = Mode::Text;
    } else if (c == '"' || c == '\'') {
        mode_ = afterDataEquals_ ? Mode::SkipValue : Mode::Value;
        quote_ = c;
        inName_ = afterEquals_ = afterDataEquals_ = false;
        name_.clear();
    } else if (c == '=') {
        afterDataEquals_ = !afterEquals_ && name_ == "data";
        afterEquals_ = true;
        inName_ = false;
    } else if (IsSpace(c)) {
        inName_ = false;
    } else {
        if (!inName_) {
            name_.clear();
            inName_ = true;
            afterEquals_ = afterDataEquals_ = false;
        }
        if (name_.size() < 5) name_ += c;
    }
}

void XmlRepairFilter::EndReference(std::string& out) {
    const std::uint32_t v = ReferenceValue(ref_);
    if (pending_ != 0) {
        if (IsLow(v)) {
            AppendAsUtf8(0x10000 + ((pending_ - 0xD800) << 10) + (v - 0xDC00), out);
            pending_ = 0;
            ref_.clear();
            return;
        }
        FlushPending(out);
    }
    if (IsHigh(v)) {
        pending_ = v;
    } else if (IsLow(v) || v >= NoCharacter || v == 0xFFFE || v == 0xFFFF) {
        AppendAsUtf8(Replacement, out);
    } else if (!IsDroppedControl(static_cast<unsigned char>(v < 0x20 ? v : 0x20))) {
        out += ref_;
    }
    ref_.clear();
}

void XmlRepairFilter::FlushPending(std::string& out) {
    if (pending_ == 0) return;
    AppendAsUtf8(Replacement, out);
    pending_ = 0;
}

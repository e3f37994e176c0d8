// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/XmlRepair.h"

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Formats/CharacterReferences.h"
#include "OFuncs/Utf8.h"

namespace {
using namespace CharacterReferences;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
// A byte of an entity name: ASCII letters, digits, ". - _ :" and any byte of a non-ASCII letter.
bool IsNameByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || IsDigit(c) || ((u | 0x20) >= 'a' && (u | 0x20) <= 'z') || c == '.' || c == '-' || c == '_' ||
           c == ':';
}

// The bytes that end a plain run of character data or of an attribute value.
enum : std::uint8_t { Control = 1, Ampersand = 2, Less = 4, DoubleQuote = 8, SingleQuote = 16, TagMark = 32 };
constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> t{};
    for (unsigned c = 0; c < 0x20; ++c)
        if (IsDroppedControl(static_cast<unsigned char>(c))) t[c] = Control;
    t['&'] = Ampersand;
    t['<'] = Less;
    t['"'] = DoubleQuote;
    t['\''] = SingleQuote;
    // What ends a run of name bytes in a tag.
    for (const unsigned char c : {'>', '"', '\'', '=', ' ', '\t', '\r', '\n'}) t[c] |= TagMark;
    for (unsigned c = 0; c < 0x20; ++c) t[c] |= TagMark;
    return t;
}
constexpr std::array<std::uint8_t, 256> Classes = MakeClasses();

// The first byte of [p, end) of a class in `stops`, where `a` and `b` are the two stops
// besides the controls; end when there is none. Sixteen bytes are tested at once.
const char* FindStop(const char* p, const char* end, std::uint8_t stops, char a, char b) {
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi8(a), wantB = _mm_set1_epi8(b), lastControl = _mm_set1_epi8(0x1F);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, lastControl), v);
        auto hits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(control, _mm_or_si128(_mm_cmpeq_epi8(v, wantA), _mm_cmpeq_epi8(v, wantB)))));
        for (; hits != 0; hits &= hits - 1) {
            const char* at = p + __builtin_ctz(hits);
            if (Classes[static_cast<unsigned char>(*at)] & stops) return at;
        }
    }
#endif
    while (p < end && !(Classes[static_cast<unsigned char>(*p)] & stops)) ++p;
    return p;
}

// The closing quote in [p, end), or end; the line feeds before it go to `out`.
const char* SkipToQuote(const char* p, const char* end, char quote, std::string& out) {
#if defined(__SSE2__)
    const __m128i wantQuote = _mm_set1_epi8(quote), lineFeed = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto quotes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wantQuote)));
        auto feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lineFeed)));
        if (quotes != 0) feeds &= (1u << __builtin_ctz(quotes)) - 1;
        if (feeds != 0) out.append(static_cast<std::size_t>(__builtin_popcount(feeds)), '\n');
        if (quotes != 0) return p + __builtin_ctz(quotes);
    }
#endif
    for (; p < end && *p != quote; ++p)
        if (*p == '\n') out += '\n';
    return p;
}


}  // namespace

void XmlRepairFilter::Feed(std::string_view in, std::string& out) {
    const char* p = in.data();
    const char* const end = p + in.size();
    while (p < end) {
        if (mode_ == Mode::SkipValue || mode_ == Mode::SinkValue) {
            const char* stop = SkipToQuote(p, end, quote_, out);
            if (mode_ == Mode::SinkValue && stop != p) sink_->Feed(std::string_view(p, static_cast<std::size_t>(stop - p)));
            p = stop;
            if (stop != end) {
                if (mode_ == Mode::SinkValue) sink_->End();
                if (!dropValue_) out += quote_;
                mode_ = Mode::Tag;
                ++p;
            }
            continue;
        }
        // Plain runs of character data and of values are copied whole.
        if ((mode_ == Mode::Text || mode_ == Mode::Value) && ref_.empty()) {
            const bool value = mode_ == Mode::Value;
            const std::uint8_t stops = Control | Ampersand | (!value ? Less : quote_ == '"' ? DoubleQuote : SingleQuote);
            const char* limit = end;
            if (value)
                limit = p + std::min(static_cast<std::size_t>(end - p), valueRoom_ - std::min(valueRoom_, valueBytes_));
            const char* q = FindStop(p, limit, stops, value ? quote_ : '<', '&');
            if (q != p) {
                FlushPending(out);
                out.append(p, q);
                if (value) valueBytes_ += static_cast<std::size_t>(q - p);
                p = q;
                if (p == end) break;
            }
        }
        // So are the names in a tag.
        if (mode_ == Mode::Tag) {
            const char* q = p;
            while (q < end && !(Classes[static_cast<unsigned char>(*q)] & TagMark)) ++q;
            if (q != p) {
                TagName(std::string_view(p, static_cast<std::size_t>(q - p)), out);
                p = q;
                if (p == end) break;
            }
        }
        Byte(*p++, out);
    }
}

XmlRepairFilter::XmlRepairFilter(std::vector<std::string> kept) : kept_(std::move(kept)) {}

void XmlRepairFilter::SendValues(std::string_view element, std::string_view attribute, XmlValueSink* sink) {
    sinkElement_ = element;
    sinkAttribute_ = attribute;
    sink_ = sink;
}

void XmlRepairFilter::Finish(std::string& out) {
    if (holding_) FlushHeld(out);
    if (!ref_.empty()) FlushReference(out);
    FlushPending(out);
}

void XmlRepairFilter::Byte(char c, std::string& out) {
    if (mode_ == Mode::Value) return ValueByte(c, out);
    if (mode_ == Mode::Text && !ref_.empty() && ReferenceByte(c, out)) return;
    if (IsDroppedControl(static_cast<unsigned char>(c))) return;
    switch (mode_) {
        case Mode::Text:
            if (c == '&') {
                ref_.assign(1, '&');
                return;
            }
            FlushPending(out);
            out += c;
            if (c == '<') {
                mode_ = Mode::Markup;
                head_.clear();
            }
            break;
        case Mode::Markup: MarkupByte(c, out); break;
        case Mode::Tag: TagByte(c, out); break;
        case Mode::Comment:
        case Mode::CData:
        case Mode::Pi: OtherMarkupByte(c, out); break;
        case Mode::Doctype:
            out += c;
            if (quote_) {
                if (c == quote_) quote_ = 0;
            } else if (c == '"' || c == '\'') {
                quote_ = c;
            } else if (c == '[') {
                ++depth_;
            } else if (c == ']') {
                depth_ = std::max(depth_ - 1, 0);
            } else if (c == '>' && depth_ == 0) {
                mode_ = Mode::Text;
            }
            break;
        case Mode::Declaration:
            out += c;
            if (c == '>') mode_ = Mode::Text;
            break;
        case Mode::Value:
        case Mode::SkipValue:
        case Mode::SinkValue: break;  // ValueByte and Feed take these
    }
}

// A comment, CDATA section or processing instruction: passed on as it is up to
// MaxMarkupBytes, then only its line feeds and its end, so that the parser never holds
// much of one (it gives nothing to the reader).
void XmlRepairFilter::OtherMarkupByte(char c, std::string& out) {
    const char closer = mode_ == Mode::Comment ? '-' : mode_ == Mode::CData ? ']' : '?';
    const int closing = mode_ == Mode::Pi ? 1 : 2;
    if (c == '>' && closers_ == closing) {
        if (markupCut_) out.append(std::string_view(mode_ == Mode::Comment ? "--" : mode_ == Mode::CData ? "]]" : "?"));
        out += c;
        mode_ = Mode::Text;
        markupCut_ = false;
        return;
    }
    // The cut falls where no closer has begun and no character is half given.
    if (++markupBytes_ > MaxMarkupBytes && !markupCut_ && closers_ == 0 && c != closer && !IsContinuation(c))
        markupCut_ = true;
    if (!markupCut_ || c == '\n') out += c;
    closers_ = c == closer ? std::min(closers_ + 1, closing) : 0;
}

void XmlRepairFilter::ValueByte(char c, std::string& out) {
    ++valueBytes_;
    if (!ref_.empty() && ReferenceByte(c, out)) return;
    if (IsDroppedControl(static_cast<unsigned char>(c))) return;
    if (c == quote_) {
        FlushPending(out);
        out += c;
        tagValueBytes_ += valueBytes_;
        mode_ = Mode::Tag;
        return;
    }
    // Past its room the value ends at the next character's start, where nothing is open.
    if (valueBytes_ > valueRoom_ && (!IsContinuation(c) || valueBytes_ > valueRoom_ + 4)) {
        FlushPending(out);
        ++valuesCut_;
        tagValueBytes_ += valueBytes_;
        mode_ = Mode::SkipValue;
        if (c == '\n') out += c;
        return;
    }
    if (c == '&') {
        ref_.assign(1, '&');
        return;
    }
    FlushPending(out);
    out += c;
}

bool XmlRepairFilter::ReferenceByte(char c, std::string& out) {
    if (ref_.size() == 1 && c == '#') {
        ref_ += c;
        return true;
    }
    if (ref_.size() < LongestReference) {
        if (ref_.size() >= 2 && ref_[1] == '#') {
            const bool hex = ref_.size() >= 3 && (ref_[2] == 'x' || ref_[2] == 'X');
            const bool hasDigits = ref_.size() > (hex ? 3u : 2u);
            if (c == ';' && hasDigits) {
                ref_ += c;
                EndReference(out);
                return true;
            }
            if ((hex ? IsHexDigit(c) : IsDigit(c)) || (ref_.size() == 2 && (c == 'x' || c == 'X'))) {
                ref_ += c;
                return true;
            }
        } else if (c == ';' && ref_.size() > 1) {
            ref_ += c;
            FlushReference(out);
            return true;
        } else if (IsNameByte(c)) {
            ref_ += c;
            return true;
        }
    }
    FlushReference(out);
    return false;
}

void XmlRepairFilter::MarkupByte(char c, std::string& out) {
    if (head_.empty() && c != '!' && c != '?') {
        // A start or end tag.
        mode_ = Mode::Tag;
        elementNamed_ = inName_ = holding_ = afterEquals_ = sunk_ = false;
        held_.clear();
        elementName_.clear();
        if (sink_) sink_->TagStarts();
        tagValueBytes_ = 0;
        return TagByte(c, out);
    }
    out += c;
    head_ += c;
    static constexpr std::array<std::pair<std::string_view, Mode>, 4> Openers = {{
        {"?", Mode::Pi}, {"!--", Mode::Comment}, {"![CDATA[", Mode::CData}, {"!DOCTYPE", Mode::Doctype}}};
    bool open = false;
    for (const auto& [head, mode] : Openers) {
        if (head_ == head) {
            mode_ = mode;
            closers_ = depth_ = 0;
            quote_ = 0;
            markupBytes_ = 0;
            markupCut_ = false;
            return;
        }
        open = open || head.starts_with(head_);
    }
    if (!open) mode_ = c == '>' ? Mode::Text : Mode::Declaration;
}

void XmlRepairFilter::TagName(std::string_view run, std::string& out) {
    if (!inName_) {
        inName_ = true;
        nameBytes_ = 0;
        if (elementNamed_) {
            if (holding_) FlushHeld(out);  // a name without a value: the parser will say so
            holding_ = true;
            afterEquals_ = false;
        }
    }
    // Past LongestName a name's bytes are left out, in start and end tags alike, so that
    // the parser holds no long token for it.
    if (!elementNamed_ && nameBytes_ == 0 && run.front() == '/') {
        out += '/';  // an end tag's: no byte of its name
        run.remove_prefix(1);
    }
    const std::size_t room = LongestName - std::min(LongestName, nameBytes_);
    nameBytes_ += run.size();
    run = run.substr(0, room);
    if (!elementNamed_ && sink_ && elementName_.size() <= sinkElement_.size())
        elementName_.append(run.substr(0, sinkElement_.size() + 1 - elementName_.size()));
    if (!holding_) {
        out.append(run);
        return;
    }
    held_.append(run);
    constexpr std::size_t LongestHeldName = 64;  // longer names are no name a caller wants
    if (held_.size() > LongestHeldName) FlushHeld(out);
}

void XmlRepairFilter::TagByte(char c, std::string& out) {
    if (!(Classes[static_cast<unsigned char>(c)] & TagMark)) return TagName(std::string_view(&c, 1), out);
    elementNamed_ = true;
    inName_ = false;
    if (IsSpace(c)) {
        (holding_ ? held_ : out) += c;
    } else if (c == '=' && holding_ && !afterEquals_) {
        held_ += c;
        afterEquals_ = true;
    } else if (c == '"' || c == '\'') {
        StartValue(c, out);
    } else {
        if (holding_) FlushHeld(out);
        afterEquals_ = false;
        out += c;
        if (c == '>') mode_ = Mode::Text;
    }
}

void XmlRepairFilter::StartValue(char quote, std::string& out) {
    quote_ = quote;
    valueBytes_ = 0;
    if (holding_ && afterEquals_ && ForSink()) {
        FlushHeld(out);
        afterEquals_ = dropValue_ = false;
        out += quote;
        out += sink_->Begin();
        sunk_ = true;
        mode_ = Mode::SinkValue;
        return;
    }
    if (holding_ && afterEquals_ && !Wanted()) {
        for (const char c : held_)
            if (c == '\n') out += c;
        held_.clear();
        holding_ = afterEquals_ = false;
        dropValue_ = true;
        mode_ = Mode::SkipValue;
        return;
    }
    if (holding_) FlushHeld(out);
    afterEquals_ = dropValue_ = false;
    out += quote;
    if (tagValueBytes_ >= MaxTagValueBytes) {
        mode_ = Mode::SkipValue;
        ++valuesCut_;
    } else {
        mode_ = Mode::Value;
        valueRoom_ = std::min(MaxValueBytes, MaxTagValueBytes - tagValueBytes_);
    }
}

void XmlRepairFilter::FlushHeld(std::string& out) {
    out += held_;
    held_.clear();
    holding_ = false;
}

std::string_view XmlRepairFilter::HeldName() const {
    // A plain loop: find_first_of would look each byte up in the set with a call of its own.
    std::size_t n = 0;
    while (n < held_.size() && !IsSpace(held_[n]) && held_[n] != '=') ++n;
    return std::string_view(held_).substr(0, n);
}

bool XmlRepairFilter::ForSink() const {
    return sink_ && !sunk_ && elementName_ == sinkElement_ && HeldName() == sinkAttribute_;
}

bool XmlRepairFilter::Wanted() const {
    const std::string_view name = HeldName();
    if (kept_.empty()) return name != "data";
    return std::find(kept_.begin(), kept_.end(), name) != kept_.end();
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

void XmlRepairFilter::FlushReference(std::string& out) {
    FlushPending(out);
    out += ref_;
    ref_.clear();
}

void XmlRepairFilter::FlushPending(std::string& out) {
    if (pending_ == 0) return;
    AppendAsUtf8(Replacement, out);
    pending_ = 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/BackupMergeRepair.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Formats/CharacterReferences.h"
#include "OFuncs/Utf8.h"

namespace {
using namespace CharacterReferences;


// The bytes each mode stops at; every other byte is copied as a run.
enum : std::uint8_t { StopControl = 1, StopLess = 2, StopAmp = 4, StopGreater = 8, StopDouble = 16, StopSingle = 32 };
constexpr std::array<std::uint8_t, 256> StopTable = [] {
    std::array<std::uint8_t, 256> t{};
    for (std::uint32_t c = 0; c < 0x20; ++c)
        if (IsDroppedControl(c)) t[c] = StopControl;
    t['<'] = StopLess;
    t['&'] = StopAmp;
    t['>'] = StopGreater;
    t['"'] = StopDouble;
    t['\''] = StopSingle;
    return t;
}();

void AppendHex(std::uint64_t v, std::string& out) {
    static constexpr char Digits[] = "0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4) out += Digits[(v >> shift) & 15];
}
}  // namespace

BackupMergeRepair::BackupMergeRepair(DataValues data) : data_(data) {
    if (data_ == DataValues::Hash && !(hash_ = XXH3_createState())) throw std::bad_alloc();
}

BackupMergeRepair::~BackupMergeRepair() { XXH3_freeState(hash_); }

void BackupMergeRepair::Mark(const std::string& out, std::uint64_t nextIn) {
    const std::uint64_t o = outBase_ + out.size();
    auto& last = marks_.back();
    if (last.first == o) {
        last.second = nextIn;
    } else if (o - last.first != nextIn - last.second) {
        marks_.emplace_back(o, nextIn);
    }
}

std::uint64_t BackupMergeRepair::InputOffset(std::uint64_t outOffset) const {
    const auto begin = marks_.begin() + static_cast<std::ptrdiff_t>(firstMark_);
    auto it = std::upper_bound(begin, marks_.end(), outOffset,
                               [](std::uint64_t o, const auto& mark) { return o < mark.first; });
    if (it != begin) --it;
    return it->second + (outOffset - it->first);
}

void BackupMergeRepair::Forget(std::uint64_t outOffset) {
    while (firstMark_ + 1 < marks_.size() && marks_[firstMark_ + 1].first <= outOffset) ++firstMark_;
    if (firstMark_ > 4096 && firstMark_ * 2 > marks_.size()) {
        marks_.erase(marks_.begin(), marks_.begin() + static_cast<std::ptrdiff_t>(firstMark_));
        firstMark_ = 0;
    }
}

bool BackupMergeRepair::ChangedIn(std::uint64_t start, std::uint64_t end) {
    while (firstChange_ < changes_.size() && changes_[firstChange_] < start) ++firstChange_;
    if (firstChange_ > 4096 && firstChange_ * 2 > changes_.size()) {
        changes_.erase(changes_.begin(), changes_.begin() + static_cast<std::ptrdiff_t>(firstChange_));
        firstChange_ = 0;
    }
    return firstChange_ < changes_.size() && changes_[firstChange_] < end;
}

void BackupMergeRepair::LongValuesIn(std::uint64_t start, std::uint64_t end, std::vector<Span>& out) {
    while (firstLongValue_ < longValues_.size() && longValues_[firstLongValue_].first < start) ++firstLongValue_;
    if (firstLongValue_ > 1024 && firstLongValue_ * 2 > longValues_.size()) {
        longValues_.erase(longValues_.begin(), longValues_.begin() + static_cast<std::ptrdiff_t>(firstLongValue_));
        firstLongValue_ = 0;
    }
    for (std::size_t k = firstLongValue_; k < longValues_.size() && longValues_[k].second <= end; ++k)
        out.push_back(longValues_[k]);
}

#if !defined(__SSE2__)
namespace {
constexpr std::uint64_t Ones = 0x0101010101010101ULL, Highs = 0x8080808080808080ULL;
// Whether any byte of w is below 0x20, or equals a or b: eight bytes tested at once.
bool AnyStop(std::uint64_t w, char a, char b) {
    const auto zeroIn = [](std::uint64_t v) { return (v - Ones) & ~v & Highs; };
    return (((w - 0x20 * Ones) & ~w & Highs) | zeroIn(w ^ (static_cast<unsigned char>(a) * Ones)) |
            zeroIn(w ^ (static_cast<unsigned char>(b) * Ones))) != 0;
}
}  // namespace
#endif

std::size_t BackupMergeRepair::PlainRun(std::string_view in) const {
    std::uint8_t stops = StopControl;
    char a = 0, b = 0, c = 0;  // the bytes besides controls it stops at
    switch (mode_) {
        case Mode::Text:
            stops |= StopLess | StopAmp;
            a = '<', b = c = '&';
            break;
        case Mode::Value:
            stops |= StopAmp | (quote_ == '"' ? StopDouble : StopSingle);
            a = quote_, b = c = '&';
            break;
        case Mode::Comment:
        case Mode::CData:
        case Mode::Instruction:
            stops |= StopGreater;
            a = b = c = '>';
            break;
        case Mode::Tag:
            // Only the attribute names of a hashed reading matter; else a tag runs to its
            // end or to a quote.
            if (data_ == DataValues::Hash) return 0;
            stops |= StopGreater | StopDouble | StopSingle;
            a = '>', b = '"', c = '\'';
            break;
        default: return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    std::size_t k = inAt_;
#if defined(__SSE2__)
    // Long runs (a picture's base64) sixteen bytes at a time: the candidates are the
    // controls (tab, CR and LF among them, which do not stop) and the mode's bytes.
    const __m128i wantA = _mm_set1_epi8(a), wantB = _mm_set1_epi8(b), wantC = _mm_set1_epi8(c);
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    for (; k + 16 <= in.size(); k += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(chunk, lastControl), chunk);
        auto hits = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(control, _mm_cmpeq_epi8(chunk, wantC)),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, wantA), _mm_cmpeq_epi8(chunk, wantB)))));
        for (; hits != 0; hits &= hits - 1) {
            const std::size_t at = k + static_cast<std::size_t>(__builtin_ctz(hits));
            if (StopTable[p[at]] & stops) return at - inAt_;
        }
    }
#else
    // Long runs eight bytes at a time; a word holding a stop, or a tab, CR or LF, byte by byte.
    while (k + 8 <= in.size()) {
        std::uint64_t w;
        std::memcpy(&w, p + k, 8);
        if (!AnyStop(w, a, b) && (c == b || !AnyStop(w, c, c))) {
            k += 8;
            continue;
        }
        for (const std::size_t end = k + 8; k < end; ++k)
            if (StopTable[p[k]] & stops) return k - inAt_;
    }
#endif
    for (; k < in.size(); ++k)
        if (StopTable[p[k]] & stops) return k - inAt_;
    return k - inAt_;
}

bool BackupMergeRepair::NameRun(std::string_view in, std::string& out) {
    // TagByte's steps for names, blanks and equals signs, without copying byte by byte.
    std::size_t k = inAt_;
    for (; k < in.size(); ++k) {
        const char c = in[k];
        if (IsSpace(c)) {
            inName_ = false;
        } else if (c == '=') {
            afterDataEquals_ = !afterEquals_ && name_ == "data";
            afterEquals_ = true;
            inName_ = false;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == '>' || c == '"' || c == '\'') {
            break;  // Byte's work
        } else {
            if (!inName_) {
                name_.clear();
                inName_ = true;
                afterEquals_ = afterDataEquals_ = false;
            }
            if (name_.size() < 5) name_ += c;
        }
    }
    const std::size_t n = k - inAt_;
    if (n == 0) return false;
    out.append(in.data() + inAt_, n);
    last2_ = n >= 2 ? in[k - 2] : last1_;
    last1_ = in[k - 1];
    inAt_ = k;
    return true;
}

void BackupMergeRepair::Feed(std::string_view in, std::string& out) {
    outBase_ = outTotal_ - out.size();
    for (inAt_ = 0; inAt_ < in.size();) {
        if (mode_ == Mode::DataValue) {
            HashValue(in, out);
            continue;
        }
        if (ref_.empty() && pending_ == 0) {
            if (mode_ == Mode::Tag && data_ == DataValues::Hash && NameRun(in, out)) continue;
            if (const std::size_t n = PlainRun(in)) {
                out.append(in.data() + inAt_, n);
                last2_ = n >= 2 ? in[inAt_ + n - 2] : last1_;
                last1_ = in[inAt_ + n - 1];
                inAt_ += n;
                continue;
            }
        }
        Byte(in[inAt_], out);
        ++inAt_;
    }
    inBase_ += in.size();
    inAt_ = 0;
    outTotal_ = outBase_ + out.size();
}

void BackupMergeRepair::Finish(std::string& out) {
    outBase_ = outTotal_ - out.size();
    if (!ref_.empty()) {
        FlushPending(out, inBase_ - ref_.size());
        out += ref_;
        ref_.clear();
    }
    FlushPending(out, inBase_);
    outTotal_ = outBase_ + out.size();
}

namespace {
// What one look over a data value (up to its closing quote, or all of the piece) learns.
struct ValueRun {
    std::size_t Length = 0;    // the bytes before the closing quote, or all of them
    bool Closed = false;       // the closing quote was found
    std::size_t Newlines = 0;  // line feeds among them
    bool Markup = false;       // a '<' or '&' among them
    std::size_t FirstDropped = SIZE_MAX;  // the first control a strict parser refuses
};

// The slow steps for the bytes [from, to) of p, of which one may be the quote.
bool ValueBytes(const unsigned char* p, std::size_t from, std::size_t to, char quote, ValueRun& r) {
    for (std::size_t k = from; k < to; ++k) {
        const unsigned char c = p[k];
        if (c == static_cast<unsigned char>(quote)) {
            r.Length = k;
            r.Closed = true;
            return true;
        }
        if (c == '\n') ++r.Newlines;
        if (c == '<' || c == '&') r.Markup = true;
        if (IsDroppedControl(c) && r.FirstDropped == SIZE_MAX) r.FirstDropped = k;
    }
    return false;
}

// The value's bytes in one pass: a picture's base64 holds none of the bytes that matter,
// so blocks of 32 are tested at once and only a block holding one is looked at bytewise.
ValueRun ScanValue(std::string_view in, char quote) {
    ValueRun r;
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    std::size_t k = 0;
#if defined(__SSE2__)
    const __m128i wantQuote = _mm_set1_epi8(quote), less = _mm_set1_epi8('<'), amp = _mm_set1_epi8('&');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const auto stops = [&](__m128i v) {
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, lastControl), v);
        return _mm_or_si128(_mm_or_si128(control, _mm_cmpeq_epi8(v, wantQuote)),
                            _mm_or_si128(_mm_cmpeq_epi8(v, less), _mm_cmpeq_epi8(v, amp)));
    };
    for (; k + 32 <= n; k += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 16));
        if (_mm_movemask_epi8(_mm_or_si128(stops(a), stops(b))) == 0) continue;
        if (ValueBytes(p, k, k + 32, quote, r)) return r;
    }
#endif
    if (ValueBytes(p, k, n, quote, r)) return r;
    r.Length = n;
    return r;
}
}  // namespace

void BackupMergeRepair::HashValue(std::string_view in, std::string& out) {
    const ValueRun run = ScanValue(in.substr(inAt_), quote_);
    XXH3_128bits_update(hash_, in.data() + inAt_, run.Length);
    newlines_ += run.Newlines;
    strayMarkup_ = strayMarkup_ || run.Markup;
    // A control the copy drops makes the element one to copy through the filter.
    if (run.FirstDropped != SIZE_MAX && !droppedInValue_) {
        droppedInValue_ = true;
        changes_.push_back(Here() + run.FirstDropped);
    }
    inAt_ += run.Length;
    if (!run.Closed) return;
    if (!strayMarkup_ && !droppedInValue_ && Here() - valueStart_ >= LongValue) longValues_.emplace_back(valueStart_, Here());
    const XXH128_hash_t h = XXH3_128bits_digest(hash_);
    AppendHex(h.high64, out);
    AppendHex(h.low64, out);
    out.append(newlines_, '\n');
    // Base64 holds neither: a value that does is damage the parser must see (a byte no XML
    // may hold), since the merge would copy it into a file that no XML reader takes.
    if (strayMarkup_) out += '\x01';
    out += quote_;
    last1_ = quote_;
    mode_ = Mode::Tag;
    Mark(out, Here() + 1);
    ++inAt_;
}

void BackupMergeRepair::Emit(char c, std::string& out) {
    out += c;
    last2_ = last1_;
    last1_ = c;
}

void BackupMergeRepair::Byte(char c, std::string& out) {
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
        FlushPending(out, Here() - ref_.size());
        out += ref_;
        last1_ = ref_.back();
        ref_.clear();
    }
    if (IsDroppedControl(static_cast<unsigned char>(c))) {
        Changed();
        Mark(out, Here() + 1);
        return;
    }
    if (c == '&' && (mode_ == Mode::Text || mode_ == Mode::Value)) {
        ref_.assign(1, '&');
        return;
    }
    FlushPending(out, Here());
    switch (mode_) {
        case Mode::Text:
            Emit(c, out);
            if (c == '<') mode_ = Mode::Open;
            break;
        case Mode::Open:
            name_.clear();
            inName_ = afterEquals_ = afterDataEquals_ = false;
            if (c == '!' || c == '?') {
                Emit(c, out);
                mode_ = c == '!' ? Mode::Bang : Mode::Instruction;
                last1_ = last2_ = 0;
            } else {
                mode_ = Mode::Tag;
                TagByte(c, out);
            }
            break;
        case Mode::Bang:
        case Mode::BangDash:
            if (c == '-' || (c == '[' && mode_ == Mode::Bang)) {
                Emit(c, out);
                mode_ = c == '[' ? Mode::CData : mode_ == Mode::Bang ? Mode::BangDash : Mode::Comment;
                last1_ = last2_ = 0;
            } else {
                mode_ = Mode::Tag;
                TagByte(c, out);
            }
            break;
        case Mode::Comment:
        case Mode::CData:
        case Mode::Instruction: {
            const bool end = c == '>' && (mode_ == Mode::Comment       ? last1_ == '-' && last2_ == '-'
                                          : mode_ == Mode::CData ? last1_ == ']' && last2_ == ']'
                                                                 : last1_ == '?');
            Emit(c, out);
            if (end) mode_ = Mode::Text;
            break;
        }
        case Mode::Value:
            Emit(c, out);
            if (c == quote_) mode_ = Mode::Tag;
            break;
        case Mode::Tag: TagByte(c, out); break;
        case Mode::DataValue: break;  // Feed hashes these
    }
}

void BackupMergeRepair::TagByte(char c, std::string& out) {
    Emit(c, out);
    if (c == '>') {
        mode_ = Mode::Text;
    } else if (c == '"' || c == '\'') {
        const bool hashed = afterDataEquals_ && data_ == DataValues::Hash;
        mode_ = hashed ? Mode::DataValue : Mode::Value;
        if (hashed) {
            XXH3_128bits_reset(hash_);
            newlines_ = 0;
            strayMarkup_ = droppedInValue_ = false;
            valueStart_ = Here() + 1;
        }
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

void BackupMergeRepair::EndReference(std::string& out) {
    const std::uint32_t v = ReferenceValue(ref_);
    const std::uint64_t next = Here() + 1;
    if (pending_ != 0) {
        if (IsLow(v)) {
            Changed();
            AppendAsUtf8(0x10000 + ((pending_ - 0xD800) << 10) + (v - 0xDC00), out);
            pending_ = 0;
            ref_.clear();
            Mark(out, next);
            return;
        }
        FlushPending(out, next - ref_.size());
    }
    if (IsHigh(v)) {
        pending_ = v;
    } else if (IsLow(v) || v >= NoCharacter || v == 0xFFFE || v == 0xFFFF) {
        Changed();
        AppendAsUtf8(Replacement, out);
    } else if (!IsDroppedControl(v)) {
        out += ref_;
    } else {
        Changed();
    }
    last1_ = ';';
    ref_.clear();
    Mark(out, next);
}

void BackupMergeRepair::FlushPending(std::string& out, std::uint64_t nextIn) {
    if (pending_ == 0) return;
    Changed();
    AppendAsUtf8(Replacement, out);
    pending_ = 0;
    Mark(out, nextIn);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/BackupMergeRepair.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "OFuncs/Utf8.h"

namespace {
constexpr std::uint32_t Replacement = 0xFFFD;
constexpr std::uint32_t NoCharacter = 0x110000;
constexpr std::size_t LongestReference = 32;  // longer ones (leading zeros) pass as they are

bool IsHigh(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool IsDroppedControl(std::uint32_t c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

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

std::size_t BackupMergeRepair::PlainRun(std::string_view in) const {
    std::uint8_t stops = StopControl;
    switch (mode_) {
        case Mode::Text: stops |= StopLess | StopAmp; break;
        case Mode::Value: stops |= StopAmp | (quote_ == '"' ? StopDouble : StopSingle); break;
        case Mode::Comment:
        case Mode::CData:
        case Mode::Instruction: stops |= StopGreater; break;
        default: return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    std::size_t k = inAt_;
    while (k < in.size() && !(StopTable[p[k]] & stops)) ++k;
    return k - inAt_;
}

void BackupMergeRepair::Feed(std::string_view in, std::string& out) {
    outBase_ = outTotal_ - out.size();
    for (inAt_ = 0; inAt_ < in.size();) {
        if (mode_ == Mode::DataValue) {
            HashValue(in, out);
            continue;
        }
        if (ref_.empty() && pending_ == 0) {
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

void BackupMergeRepair::HashValue(std::string_view in, std::string& out) {
    const char* start = in.data() + inAt_;
    const auto* end = static_cast<const char*>(std::memchr(start, quote_, in.size() - inAt_));
    const char* stop = end ? end : in.data() + in.size();
    XXH3_128bits_update(hash_, start, static_cast<std::size_t>(stop - start));
    newlines_ += static_cast<std::size_t>(std::count(start, stop, '\n'));
    inAt_ = static_cast<std::size_t>(stop - in.data());
    if (!end) return;
    const XXH128_hash_t h = XXH3_128bits_digest(hash_);
    AppendHex(h.high64, out);
    AppendHex(h.low64, out);
    out.append(newlines_, '\n');
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
        AppendAsUtf8(Replacement, out);
    } else if (!IsDroppedControl(v)) {
        out += ref_;
    }
    last1_ = ';';
    ref_.clear();
    Mark(out, next);
}

void BackupMergeRepair::FlushPending(std::string& out, std::uint64_t nextIn) {
    if (pending_ == 0) return;
    AppendAsUtf8(Replacement, out);
    pending_ = 0;
    Mark(out, nextIn);
}

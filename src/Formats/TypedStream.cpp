// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/TypedStream.h"

#include <cstdint>
#include <vector>

#include "OFuncs/Utf8.h"

namespace {
// The tags of the format: a two- or four-byte integer follows, a new item starts, nil,
// the end of an object. Bytes from ReferenceBase on name an earlier item.
constexpr unsigned char Int16Tag = 0x81, Int32Tag = 0x82, NewTag = 0x84, NilTag = 0x85, EndTag = 0x86;
constexpr unsigned char ReferenceBase = 0x92;
constexpr std::string_view Signature = "streamtyped";
constexpr int Version = 4;
// Class chains are short (NSMutableString, NSString, NSObject); a longer one is refused, so
// that a crafted chain cannot run long.
constexpr int LongestClassChain = 16;

class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool Byte(unsigned char& b) {
        if (rest_.empty()) return false;
        b = static_cast<unsigned char>(rest_.front());
        rest_.remove_prefix(1);
        return true;
    }
    bool Peek(unsigned char& b) const {
        if (rest_.empty()) return false;
        b = static_cast<unsigned char>(rest_.front());
        return true;
    }
    // A count or version: one byte below the tags, or a tagged little-endian integer.
    bool Count(std::int64_t& value) {
        unsigned char b = 0;
        if (!Byte(b)) return false;
        if (b < Int16Tag) {
            value = b;
            return true;
        }
        const std::size_t width = b == Int16Tag ? 2 : b == Int32Tag ? 4 : 0;
        if (width == 0 || rest_.size() < width) return false;
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < width; ++k) v |= std::uint32_t(static_cast<unsigned char>(rest_[k])) << (8 * k);
        rest_.remove_prefix(width);
        value = width == 2 ? std::int64_t(static_cast<std::int16_t>(v)) : std::int64_t(static_cast<std::int32_t>(v));
        return value >= 0;
    }
    bool Bytes(std::size_t n, std::string_view& out) {
        if (rest_.size() < n) return false;
        out = rest_.substr(0, n);
        rest_.remove_prefix(n);
        return true;
    }
    // A shared string: new (tag, length, bytes) or a reference to an earlier one.
    bool SharedString(std::string_view& out) {
        unsigned char b = 0;
        if (!Byte(b)) return false;
        if (b == NewTag) {
            std::int64_t n = 0;
            if (!Count(n) || n == 0 || !Bytes(static_cast<std::size_t>(n), out)) return false;
            strings_.push_back(out);
            return true;
        }
        if (b < ReferenceBase || std::size_t(b - ReferenceBase) >= strings_.size()) return false;
        out = strings_[b - ReferenceBase];
        return true;
    }
    // A class chain; true when it holds a class named `wanted`. Every class, and the object
    // it describes, takes a place in the table of objects that references count in.
    bool ClassChain(std::string_view wanted, bool& holds) {
        for (int depth = 0; depth < LongestClassChain; ++depth) {
            unsigned char b = 0;
            if (!Byte(b)) return false;
            if (b == NilTag) return true;
            if (b >= ReferenceBase) {
                const std::size_t ref = b - ReferenceBase;
                if (ref >= objects_.size() || objects_[ref].empty()) return false;  // no class there
                for (std::size_t k = ref; k < objects_.size() && !objects_[k].empty(); ++k)
                    if (objects_[k] == wanted) holds = true;
                return true;
            }
            if (b != NewTag) return false;
            std::string_view name;
            std::int64_t version = 0;
            if (!SharedString(name) || !Count(version)) return false;
            objects_.push_back(name);
            if (name == wanted) holds = true;
        }
        return false;
    }
    // A new object whose class chain holds `wanted`.
    bool ObjectOf(std::string_view wanted) {
        unsigned char b = 0;
        if (!Byte(b) || b != NewTag) return false;
        objects_.emplace_back();  // the object itself: no class
        bool holds = false;
        return ClassChain(wanted, holds) && holds;
    }
    bool Type(std::string_view wanted) {
        std::string_view type;
        return SharedString(type) && type == wanted;
    }

private:
    std::string_view rest_;
    std::vector<std::string_view> strings_;
    // Class names, and an empty entry for each object; a class reference names where its
    // chain continues, which the table keeps in order as it was read.
    std::vector<std::string_view> objects_;
};

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void AppendCount(std::string& out, std::size_t n) {
    if (n < Int16Tag) {
        out += static_cast<char>(n);
    } else if (n <= 0x7FFF) {
        out += static_cast<char>(Int16Tag);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
    } else {
        out += static_cast<char>(Int32Tag);
        for (int k = 0; k < 4; ++k) out += static_cast<char>((n >> (8 * k)) & 0xFF);
    }
}
void AppendNew(std::string& out, std::string_view s) {
    out += static_cast<char>(NewTag);
    AppendCount(out, s.size());
    out += s;
}
}  // namespace

std::optional<std::string> TypedStreamText(std::string_view bytes) {
    Reader r(bytes);
    std::int64_t version = 0, system = 0;
    std::string_view signature, text;
    if (!r.Count(version) || version != Version) return std::nullopt;
    std::int64_t n = 0;
    if (!r.Count(n) || !r.Bytes(static_cast<std::size_t>(n), signature) || signature != Signature) return std::nullopt;
    if (!r.Count(system)) return std::nullopt;
    if (!r.Type("@") || !r.ObjectOf("NSAttributedString")) return std::nullopt;
    if (!r.Type("@") || !r.ObjectOf("NSString")) return std::nullopt;
    std::int64_t length = 0;
    unsigned char end = 0;
    if (!r.Type("+") || !r.Count(length) || !r.Bytes(static_cast<std::size_t>(length), text)) return std::nullopt;
    if (!r.Byte(end) || end != EndTag || !IsValidUtf8(text)) return std::nullopt;
    return std::string(text);
}

std::string MakeTypedStream(std::string_view text) {
    std::string out;
    AppendCount(out, Version);
    AppendCount(out, Signature.size());
    out += Signature;
    out += "\x81\xe8\x03";  // the system version, 1000
    AppendNew(out, "@");
    out += static_cast<char>(NewTag);  // the attributed string
    for (const std::string_view name : {"NSMutableAttributedString", "NSAttributedString", "NSObject"}) {
        out += static_cast<char>(NewTag);
        AppendNew(out, name);
        out += '\0';  // its version
    }
    out += static_cast<char>(NilTag);
    out += static_cast<char>(ReferenceBase);  // "@" again
    out += static_cast<char>(NewTag);         // its string
    for (const std::string_view name : {"NSMutableString", "NSString"}) {
        out += static_cast<char>(NewTag);
        AppendNew(out, name);
        out += '\1';
    }
    out += static_cast<char>(ReferenceBase + 3);  // NSObject, read before
    AppendNew(out, "+");
    AppendCount(out, text.size());
    out += text;
    out += static_cast<char>(EndTag);
    // What follows the string (its attribute runs) is not read; a short run ends it as
    // the real archives do.
    AppendNew(out, "iI");
    out += "\x01\x01";
    out += static_cast<char>(EndTag);
    return out;
}

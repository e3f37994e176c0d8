// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/MediaFolder.h"
#include "MBVars/NumberForms.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "Formats/Sha256.h"
#include "MBVars/Store.h"
#include "OFuncs/AsciiCase.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/ByteHash.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/IoError.h"
#include "OFuncs/TextOps.h"

namespace fs = std::filesystem;

namespace {
constexpr std::string_view Heading = "Kestro media index 1";
constexpr std::size_t LongestIndex = std::size_t(64) << 20;  // a larger file is none this program wrote
constexpr std::string_view IncomingPrefix = ".incoming-";
constexpr std::time_t LeftoverAge = 24 * 3600;  // an unfinished file this old belongs to no running import

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
bool IsLowerAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

// What identifies a message: its phone, time text, direction and the SHA-256 of its text
// (trailing spaces aside), so that the index never holds the texts themselves.
struct Key {
    std::string Phone, Time;
    std::uint16_t Direction = 0;
    Sha256Digest Text{};
    bool operator==(const Key&) const = default;
};
struct KeyHash {
    std::size_t operator()(const Key& k) const {
        std::uint64_t h = HashBytes(k.Phone, k.Direction);
        h = HashBytes(k.Time, h);
        return static_cast<std::size_t>(
            HashBytes(std::string_view(reinterpret_cast<const char*>(k.Text.data()), k.Text.size()), h));
    }
};

Sha256Digest TextDigest(std::string_view text, std::uint8_t mask) {
    if (mask == 0) return Sha256Of(TrimTrailingSpaces(text));
    std::string plain(text);
    for (char& c : plain) c = static_cast<char>(c ^ mask);
    return Sha256Of(TrimTrailingSpaces(plain));
}

std::uint16_t DirectionOf(std::uint16_t flags) { return static_cast<std::uint16_t>(flags & (MsgSent | MsgReceived)); }

Key KeyOf(std::string_view phone, std::string_view time, std::uint16_t direction, std::string_view text, std::uint8_t mask) {
    return Key{std::string(phone), std::string(time), DirectionOf(direction), TextDigest(text, mask)};
}
Key KeyOf(const XMsgRecType& m, std::uint8_t mask) { return KeyOf(m.Phone.view(), m.Time.view(), m.Flags, m.Text, mask); }

// A field of the index: tab, line feed, carriage return and backslash escaped.
void AppendField(std::string& out, std::string_view s) {
    for (const char c : s) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
}
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

std::optional<Sha256Digest> DigestOfHex(std::string_view hex) {
    if (hex.size() != 64 || !std::all_of(hex.begin(), hex.end(), IsHex)) return std::nullopt;
    Sha256Digest d{};
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<unsigned char>(std::stoi(std::string(hex.substr(2 * i, 2)), nullptr, 16));
    return d;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
}  // namespace

std::string MediaFolderOf(const std::string& dataFile) {
    fs::path p(dataFile);
    if (p.extension() == ".media") return dataFile + ".media";
    p.replace_extension(".media");
    return p.string();
}

std::string MediaContentType(std::string_view contentType) {
    contentType = contentType.substr(0, contentType.find(';'));
    while (!contentType.empty() && contentType.back() == ' ') contentType.remove_suffix(1);
    while (!contentType.empty() && contentType.front() == ' ') contentType.remove_prefix(1);
    std::string type(contentType.substr(0, 100));
    for (char& c : type) c = AsciiLower(c);
    return type;
}

std::string MediaPartName(std::string_view name) {
    if (name == "null") return {};
    std::string kept(name.substr(0, 255));
    // No character that would break a line of the index or a file name shown.
    std::erase_if(kept, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '/'; });
    return kept;
}

std::string MediaExtensionOf(std::string_view contentType) {
    static constexpr std::pair<std::string_view, std::string_view> Known[] = {
        {"image/jpeg", "jpg"},      {"image/jpg", "jpg"},        {"image/pjpeg", "jpg"},      {"image/png", "png"},
        {"image/gif", "gif"},       {"image/webp", "webp"},      {"image/heic", "heic"},      {"image/heif", "heif"},
        {"image/bmp", "bmp"},       {"image/x-ms-bmp", "bmp"},   {"video/mp4", "mp4"},        {"video/3gpp", "3gp"},
        {"video/3gpp2", "3g2"},     {"video/quicktime", "mov"},  {"video/webm", "webm"},      {"audio/amr", "amr"},
        {"audio/mpeg", "mp3"},      {"audio/mp4", "m4a"},        {"audio/aac", "aac"},        {"audio/ogg", "ogg"},
        {"audio/3gpp", "3gp"},      {"audio/x-wav", "wav"},      {"audio/wav", "wav"},        {"text/x-vcard", "vcf"},
        {"text/vcard", "vcf"},      {"text/x-vcalendar", "vcs"}, {"application/pdf", "pdf"},
    };
    const std::string type = MediaContentType(contentType);
    for (const auto& [t, ext] : Known)
        if (type == t) return std::string(ext);
    // The subtype's letters and digits, after any "x-" and before any "+": "image/x-foo+bar" is "foo".
    std::string_view sub = std::string_view(type).substr(std::min(type.size(), type.find('/') + 1));
    if (sub.starts_with("x-")) sub.remove_prefix(2);
    sub = sub.substr(0, sub.find('+'));
    std::string ext;
    for (const char c : sub)
        if (IsLowerAlnum(c) && ext.size() < 8) ext += c;
    return ext.empty() ? "bin" : ext;
}

bool IsMediaFileName(std::string_view name) {
    if (name.size() < 66 || name[64] != '.') return false;
    return std::all_of(name.begin(), name.begin() + 64, IsHex) &&
           std::all_of(name.begin() + 65, name.end(), IsLowerAlnum) && name.size() <= 65 + 8;
}

struct MediaIndex::Table {
    std::unordered_map<Key, std::vector<MediaItem>, KeyHash> Entries;
    std::unordered_map<std::string, std::int64_t> Uses;  // of each file, by the entries

    void Count(const std::vector<MediaItem>& items, int by) {
        for (const MediaItem& item : items) {
            if (item.File.empty()) continue;
            const auto it = Uses.try_emplace(item.File, 0).first;
            if ((it->second += by) <= 0) Uses.erase(it);
        }
    }
    void Put(Key key, std::vector<MediaItem> items) {
        const auto it = Entries.find(key);
        if (it != Entries.end()) {
            Count(it->second, -1);
            if (items.empty()) {
                Entries.erase(it);
                return;
            }
            Count(items, 1);
            it->second = std::move(items);
            return;
        }
        if (items.empty()) return;
        Count(items, 1);
        Entries.emplace(std::move(key), std::move(items));
    }
};

MediaIndex::MediaIndex() : table_(std::make_unique<Table>()) {}
MediaIndex::MediaIndex(std::string folder) : folder_(std::move(folder)), known_(true), table_(std::make_unique<Table>()) {}
MediaIndex::~MediaIndex() = default;
MediaIndex::MediaIndex(const MediaIndex& o)
    : folder_(o.folder_), known_(o.known_), table_(std::make_unique<Table>(*o.table_)) {}
MediaIndex& MediaIndex::operator=(const MediaIndex& o) {
    if (this != &o) {
        folder_ = o.folder_;
        known_ = o.known_;
        table_ = std::make_unique<Table>(*o.table_);
    }
    return *this;
}
MediaIndex::MediaIndex(MediaIndex&& o) noexcept
    : folder_(std::move(o.folder_)), known_(o.known_), table_(std::move(o.table_)) {
    o.table_ = std::make_unique<Table>();
}
MediaIndex& MediaIndex::operator=(MediaIndex&& o) noexcept {
    folder_ = std::move(o.folder_);
    known_ = o.known_;
    std::swap(table_, o.table_);
    o.table_->Entries.clear();
    o.table_->Uses.clear();
    return *this;
}

std::string MediaIndex::PathOf(const MediaItem& item) const {
    if (item.File.empty() || folder_.empty()) return {};
    return folder_ + "/" + item.File;
}

const std::vector<MediaItem>* MediaIndex::Find(const XMsgRecType& m, std::uint8_t textMask) const {
    if (table_->Entries.empty()) return nullptr;
    const auto it = table_->Entries.find(KeyOf(m, textMask));
    return it == table_->Entries.end() ? nullptr : &it->second;
}

const std::vector<MediaItem>* MediaIndex::Find(std::string_view phone, std::string_view time, std::uint16_t direction,
                                               std::string_view text) const {
    if (table_->Entries.empty()) return nullptr;
    const auto it = table_->Entries.find(KeyOf(phone, time, direction, text, 0));
    return it == table_->Entries.end() ? nullptr : &it->second;
}

void MediaIndex::Set(const XMsgRecType& m, std::vector<MediaItem> items) {
    known_ = true;
    table_->Put(KeyOf(m, 0), std::move(items));
}

bool MediaIndex::Names(std::string_view file) const { return table_->Uses.contains(std::string(file)); }

std::size_t MediaIndex::Messages() const { return table_->Entries.size(); }

void MediaIndex::ForEach(const std::function<void(std::string_view, std::string_view, std::uint16_t, std::string_view,
                                                  const std::vector<MediaItem>&)>& f) const {
    for (const auto& [key, items] : table_->Entries) {
        const std::string digest = HexOf(key.Text);
        f(key.Phone, key.Time, key.Direction, digest, items);
    }
}

void MediaIndex::Renumber(const std::function<std::string(std::string_view oldPhone)>& renumber) {
    std::vector<std::pair<Key, std::vector<MediaItem>>> moved;
    for (auto it = table_->Entries.begin(); it != table_->Entries.end();) {
        std::string phone = renumber(it->first.Phone);
        if (phone.empty() || phone == it->first.Phone) {
            ++it;
            continue;
        }
        Key key = it->first;
        key.Phone = std::move(phone);
        moved.emplace_back(std::move(key), std::move(it->second));
        table_->Count(moved.back().second, -1);
        it = table_->Entries.erase(it);
    }
    // A message already under its new number keeps its own media.
    for (auto& [key, items] : moved)
        if (!table_->Entries.contains(key)) table_->Put(std::move(key), std::move(items));
}

int MediaIndex::Load() {
    table_ = std::make_unique<Table>();
    known_ = false;
    if (folder_.empty()) return 0;
    const std::string path = folder_ + "/" + std::string(MediaIndexName);
    FileReader file;
    if (const int err = file.Open(path)) {
        known_ = err == ENOENT || err == ENOTDIR;  // no index: no media
        return known_ ? 0 : err;
    }
    if (file.Size() > LongestIndex) return EFBIG;
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    bytes.resize(file.ReadSome(bytes.data(), bytes.size()));
    LoadFrom(bytes);
    known_ = true;
    return 0;
}

void MediaIndex::LoadFrom(std::string_view bytes) {
    table_ = std::make_unique<Table>();
    bool first = true;
    Key current;
    std::vector<MediaItem> items;
    const auto flush = [&] {
        if (!items.empty()) table_->Put(current, std::move(items));
        items.clear();
    };
    while (!bytes.empty()) {
        const std::size_t eol = bytes.find('\n');
        const std::string_view line = bytes.substr(0, eol);
        bytes.remove_prefix(eol == std::string_view::npos ? bytes.size() : eol + 1);
        if (std::exchange(first, false)) {
            if (line != Heading) return;  // no index this program wrote
            continue;
        }
        // phone, time, S or R, text digest, file, content type, size, D for damaged, name
        const std::vector<std::string_view> f = Fields(line);
        if (f.size() != 9 || (f[2] != "S" && f[2] != "R")) continue;
        const std::optional<Sha256Digest> digest = DigestOfHex(f[3]);
        std::uint64_t size = 0;
        const auto [end, ec] = std::from_chars(f[6].data(), f[6].data() + f[6].size(), size);
        if (!digest || ec != std::errc() || end != f[6].data() + f[6].size()) continue;
        if (!f[4].empty() && !IsMediaFileName(f[4])) continue;
        Key key{Unescape(f[0]), Unescape(f[1]), f[2] == "S" ? MsgSent : MsgReceived, *digest};
        if (!(key == current)) {
            flush();
            current = std::move(key);
        }
        MediaItem item;
        item.File = std::string(f[4]);
        item.ContentType = MediaContentType(Unescape(f[5]));
        item.Size = size;
        item.Damaged = f[7] == "D" || item.File.empty();
        item.Name = MediaPartName(Unescape(f[8]));
        if (item.Damaged) item.File.clear(), item.Size = 0;
        items.push_back(std::move(item));
    }
    flush();
}

std::string MediaIndex::Text() const {
    // In a stable order, so that the same index is the same file.
    std::vector<const std::pair<const Key, std::vector<MediaItem>>*> entries;
    entries.reserve(table_->Entries.size());
    for (const auto& e : table_->Entries) entries.push_back(&e);
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
        return std::tie(a->first.Phone, a->first.Time, a->first.Direction, a->first.Text) <
               std::tie(b->first.Phone, b->first.Time, b->first.Direction, b->first.Text);
    });
    std::string out(Heading);
    out += '\n';
    for (const auto* e : entries) {
        for (const MediaItem& item : e->second) {
            AppendField(out, e->first.Phone);
            out += '\t';
            AppendField(out, e->first.Time);
            out += e->first.Direction == MsgSent ? "\tS\t" : "\tR\t";
            out += HexOf(e->first.Text);
            out += '\t';
            out += item.File;
            out += '\t';
            AppendField(out, item.ContentType);
            out += '\t';
            out += std::to_string(item.Size);
            out += item.Damaged ? "\tD\t" : "\t\t";
            AppendField(out, item.Name);
            out += '\n';
        }
    }
    return out;
}

void MediaIndex::KeepHeld(const MsgStore& S, std::uint8_t textMask) {
    if (table_->Entries.empty()) return;
    // Only the messages whose number and time an entry has need their text's digest.
    std::unordered_set<std::string> times;
    for (const auto& [key, items] : table_->Entries) times.insert(key.Phone + '\t' + key.Time);
    std::unordered_set<Key, KeyHash> held;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        if (times.contains(m.Phone.str() + '\t' + m.Time.str())) held.insert(KeyOf(m, textMask));
    }
    for (auto it = table_->Entries.begin(); it != table_->Entries.end();) {
        if (held.contains(it->first)) {
            ++it;
            continue;
        }
        table_->Count(it->second, -1);
        it = table_->Entries.erase(it);
    }
}

void MediaIndex::Save(const MsgStore& S, std::uint8_t textMask) {
    KeepHeld(S, textMask);
    if (folder_.empty() || !known_) return;
    const std::string indexPath = folder_ + "/" + std::string(MediaIndexName);
    if (!PathExists(folder_)) {
        if (table_->Entries.empty()) return;  // no media, no folder
        if (::mkdir(folder_.c_str(), 0777) != 0 && errno != EEXIST) throw IoError(FileErrorReason(errno), folder_, "write");
    }
    if (table_->Entries.empty()) {
        if (::unlink(indexPath.c_str()) != 0 && errno != ENOENT) throw IoError(FileErrorReason(errno), indexPath, "write");
    } else {
        // The media files reach the disk before an index that names them.
        if (const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
            ::syncfs(dir);
            ::close(dir);
        }
        AtomicFileWriter writer;
        if (const int err = writer.Open(indexPath)) throw IoError(FileErrorReason(err), indexPath, "write");
        writer.Write(Text());
        writer.Commit();
    }
    RemoveUnusedFiles();
}

void MediaIndex::RemoveUnusedFiles() const {
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) return;
    std::vector<std::string> unused;
    const std::time_t now = std::time(nullptr);
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (IsMediaFileName(name) ? !Names(name) : name.starts_with(IncomingPrefix)) unused.emplace_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : unused) {
        const std::string path = folder_ + "/" + name;
        struct stat st {};
        // Another import may be writing its unfinished files just now.
        if (name.starts_with(IncomingPrefix) && (::lstat(path.c_str(), &st) != 0 || now - st.st_mtime < LeftoverAge)) continue;
        ::unlink(path.c_str());
    }
    ::rmdir(folder_.c_str());  // only when empty
}

void MediaIndex::CopyTo(const std::string& folder, bool link) {
    if (folder == folder_ || folder.empty()) {
        folder_ = folder;
        return;
    }
    // What the new folder held before is no concern of this collection's.
    known_ = true;
    if (!table_->Uses.empty() && !PathExists(folder) && ::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        throw IoError(FileErrorReason(errno), folder, "write");
    for (const auto& [file, uses] : table_->Uses) {
        const std::string from = folder_ + "/" + file, to = folder + "/" + file;
        if (PathExists(to) || !PathExists(from)) continue;  // the same name is the same bytes; a lost file stays lost
        if (link && ::link(from.c_str(), to.c_str()) == 0) continue;
        // Under a temporary name first, so that a name in the folder always has its whole file.
        const std::string temp = folder + "/" + std::string(IncomingPrefix) + file;
        std::error_code ec;
        fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::rename(temp, to, ec);
        if (ec) {
            fs::remove(temp);
            throw IoError(ec.message(), to, "write");
        }
    }
    folder_ = folder;
}

void MediaIndex::SetFolder(std::string folder) {
    folder_ = std::move(folder);
    known_ = false;
    table_ = std::make_unique<Table>();
}

void FollowInternationalForms(MediaIndex& media, const std::string& homeCountry) {
    if (media.Empty()) return;  // no number is formed, no library loaded, for nothing
    const NumberForms forms(homeCountry);
    media.Renumber([&forms](std::string_view phone) { return StoredNumber(forms, phone); });
}

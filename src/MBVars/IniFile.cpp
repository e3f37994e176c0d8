// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "OFuncs/AsciiCase.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The key of a "key=value" line, or nothing for a line without an equals sign.
std::optional<std::string_view> KeyOf(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) { return Trim(line.substr(line.find('=') + 1)); }

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

}  // namespace

void IniFile::Parse(std::string_view text) {
    lines_.clear();
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view raw = text.substr(0, end);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        text.remove_prefix(next);

        Line line{std::string(raw), {}, false};
        const std::string_view t = Trim(raw);
        if (!t.empty() && t.front() == '[') {
            const std::string_view inner = t.substr(1);
            line.header = true;
            line.section = std::string(Trim(inner.substr(0, inner.find(']'))));
        }
        lines_.push_back(std::move(line));
    }
}

int IniFile::Load(const std::string& path) {
    lines_.clear();
    // Not blocking while opening, so that a pipe cannot hold the start; only regular files
    // of a sane size are read (a device or a huge sparse file never ends).
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st{};
    if (::fstat(fd, &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return NotRegularFileCode;
    if (static_cast<std::uint64_t>(st.st_size) > MaxFileSize) return EFBIG;
    std::string text;
    char block[4096];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        text.append(block, static_cast<std::size_t>(n));
        if (text.size() > MaxFileSize) return EFBIG;  // it grew while being read
    }
    Parse(text);
    return 0;
}

std::string IniFile::Text() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += '\n';
    }
    return out;
}

int IniFile::Save(const std::string& path) const {
    AtomicFileWriter out;
    if (const int err = out.Open(path)) return err;
    try {
        out.Write(Text());
        out.Commit();
    } catch (const IoError&) {
        return EIO;
    } catch (const std::bad_alloc&) {
        return OutOfMemoryCode;
    }
    return 0;
}

std::size_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].header && SameAsciiNoCase(lines_[i].section, section)) return i;
    return std::string::npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !lines_[i].header) ++i;
    return i;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == std::string::npos) return std::nullopt;
    for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        const auto k = KeyOf(lines_[i].text);
        if (k && SameAsciiNoCase(*k, key)) return std::string(ValueOf(lines_[i].text));
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    Line keyLine{KeyLine(key, value), {}, false};
    const std::size_t header = FindSection(section);
    if (header == std::string::npos) {
        lines_.push_back(Line{"[" + std::string(section) + "]", std::string(section), true});
        lines_.push_back(std::move(keyLine));
        return;
    }
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto k = KeyOf(lines_[i].text);
        if (k && SameAsciiNoCase(*k, key)) {
            lines_[i] = std::move(keyLine);
            return;
        }
    }
    // After the section's last line that is not blank.
    while (end > header + 1 && Trim(lines_[end - 1].text).empty()) --end;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), std::move(keyLine));
}

void IniFile::RemoveSections(std::string_view section, bool keepFirstHeader) {
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool inSection = false, firstSeen = false;
    for (Line& line : lines_) {
        if (line.header) {
            inSection = SameAsciiNoCase(line.section, section);
            if (inSection && keepFirstHeader && !firstSeen) {
                firstSeen = true;
                kept.push_back(std::move(line));
                continue;
            }
        }
        if (!inSection) kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
}

void IniFile::EraseSection(std::string_view section) { RemoveSections(section, false); }

void IniFile::ClearSection(std::string_view section) { RemoveSections(section, true); }

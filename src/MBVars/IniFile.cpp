#include "MBVars/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
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
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return errno;
    std::string text;
    char block[4096];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return EIO;
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
    }
    return 0;
}

std::size_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].header && SameName(lines_[i].section, section)) return i;
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
        if (k && SameName(*k, key)) return std::string(ValueOf(lines_[i].text));
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
        if (k && SameName(*k, key)) {
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
            inSection = SameName(line.section, section);
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

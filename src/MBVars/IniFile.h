// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small INI-file layer with the habits of the platform's profile routines: sections
// and keys match without regard to ASCII case, the first matching section and key win,
// spaces around keys and values do not count, and every line it does not understand is
// kept as it was. Any bytes are tolerated.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniFile {
public:
    // Takes the text of a file (lines end in LF, CR LF or CR).
    void Parse(std::string_view text);
    // The largest file Load reads: far beyond any settings file, small enough to hold.
    static constexpr std::uint64_t MaxFileSize = 1 << 20;
    // Reads a regular file of at most MaxFileSize bytes; 0, or the failure code (an errno
    // value, NotRegularFileCode, EFBIG for a larger file); the contents are then empty.
    int Load(const std::string& path);
    // The whole text, each line ended by LF.
    std::string Text() const;
    // Replaces the file whole; 0, or the errno of creating or writing it.
    int Save(const std::string& path) const;

    // The value of the key in the section, or nothing when either is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Writes over the key's value; a missing key is added at the end of its section, a
    // missing section at the end of the file. Line breaks in the value become spaces.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);
    // Empties every section of that name but keeps the first one's place in the file, so
    // that the keys written next come back where the section stood.
    void ClearSection(std::string_view section);

private:
    struct Line {
        std::string text;
        std::string section;  // for a section header: its name, else empty
        bool header = false;
    };
    // Index of the header line of the first section of that name, or npos.
    std::size_t FindSection(std::string_view section) const;
    // One past the last line belonging to the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const;
    void RemoveSections(std::string_view section, bool keepFirstHeader);

    std::vector<Line> lines_;
};

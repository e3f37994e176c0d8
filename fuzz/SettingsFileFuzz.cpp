// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on any bytes: reading never fails and brings every value into its
// range; writing keeps every line of the sections it does not own, in order; the file it
// writes reads back to the same settings and writes again to the same bytes. The INI
// layer reads its own text back to the same text.
#include <initializer_list>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "MBVars/IniFile.h"
#include "MBVars/SettingsFile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

// Lines end at CR LF, LF or CR.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        std::size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        text.remove_prefix(next);
    }
    return lines;
}

// The lines that writing the settings must keep: those before the first section and those
// of every section other than the four the program writes.
std::vector<std::string_view> ForeignLines(std::string_view text) {
    std::vector<std::string_view> kept;
    bool foreign = true;
    for (const std::string_view line : Lines(text)) {
        const std::string_view t = Trim(line);
        if (!t.empty() && t.front() == '[') {
            const std::string_view inner = t.substr(1);
            const std::string_view name = Trim(inner.substr(0, inner.find(']')));
            foreign = true;
            for (const char* own : {"General", "Colors", "Fonts", "DefaultFont"})
                if (SameNameNoCase(name, own)) foreign = false;
        }
        if (foreign) kept.push_back(line);
    }
    return kept;
}

bool KeptInOrder(const std::vector<std::string_view>& wanted, const std::vector<std::string_view>& lines) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < lines.size() && w < wanted.size(); ++i)
        if (lines[i] == wanted[w]) ++w;
    return w == wanted.size();
}

bool SameSettings(const Settings& a, const Settings& b, const WindowSize& wa, const WindowSize& wb) {
    const DefaultsType& x = a.Defaults;
    const DefaultsType& y = b.Defaults;
    const FontData& f = *x.DefaultFont;
    const FontData& g = *y.DefaultFont;
    return wa.Width == wb.Width && wa.Height == wb.Height && a.DefaultDir == b.DefaultDir &&
           a.ImportDir == b.ImportDir && x.LastSavedFile == y.LastSavedFile && x.LastSavedRead == y.LastSavedRead &&
           x.RemoveDups == y.RemoveDups && x.UseHistory == y.UseHistory && x.Flexible == y.Flexible &&
           x.GridLines == y.GridLines && x.DateTimeFormat == y.DateTimeFormat && x.HintWait == y.HintWait &&
           x.HintHideWait == y.HintHideWait && x.TestMode == y.TestMode && x.DefaultColor == y.DefaultColor &&
           x.SentColor == y.SentColor && x.ReceivedColor == y.ReceivedColor &&
           x.GridFixedColor == y.GridFixedColor && x.HintColor == y.HintColor && x.ColorMode == y.ColorMode &&
           x.SentFont == y.SentFont && x.ReceivedFont == y.ReceivedFont && f.Name == g.Name && f.Bold == g.Bold &&
           f.Italic == g.Italic && f.Underline == g.Underline && f.Height == g.Height && f.Size == g.Size &&
           f.Charset == g.Charset;
}

void CheckRanges(const Settings& s, const WindowSize& w) {
    const DefaultsType& d = s.Defaults;
    FUZZ_CHECK(w.Width > 0 && w.Height > 0);
    FUZZ_CHECK(d.ColorMode <= 2 && d.SentFont <= 3 && d.ReceivedFont <= 3);
    FUZZ_CHECK(d.HintWait >= 0 && d.HintHideWait >= 0 && d.TestMode >= 0);
    FUZZ_CHECK(d.DefaultFont && d.DefaultFont->Charset >= 0 && d.DefaultFont->Charset <= 255);
    FUZZ_CHECK(d.DefaultFont->Size >= 1);
    for (const std::string* text : std::initializer_list<const std::string*>{
             &s.DefaultDir, &s.ImportDir, &d.LastSavedFile, &d.DateTimeFormat, &d.DefaultFont->Name})
        FUZZ_CHECK(text->size() <= 2047 && text->find_first_of("\r\n") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view given(reinterpret_cast<const char*>(data), size);

    IniFile ini;
    ini.Parse(given);
    const std::string text = ini.Text();
    IniFile again;
    again.Parse(text);
    FUZZ_CHECK(again.Text() == text);

    fuzz::ScratchDir& dir = fuzz::ScratchDir::Get();
    const std::string path = dir.Path("Kestro.cfg");
    fuzz::WriteBytes(path, given);
    Settings first;
    first.DefaultDir = first.ImportDir = "/home/someone/Documents/Kestro";
    WindowSize firstWindow;
    ReadSettingsFile(path, first, firstWindow);
    CheckRanges(first, firstWindow);

    FUZZ_CHECK(WriteSettingsFile(path, first, firstWindow) == 0);
    const std::string written = fuzz::ReadBytes(path);
    FUZZ_CHECK(KeptInOrder(ForeignLines(given), Lines(written)));

    Settings second;
    WindowSize secondWindow;
    ReadSettingsFile(path, second, secondWindow);
    FUZZ_CHECK(SameSettings(first, second, firstWindow, secondWindow));
    FUZZ_CHECK(WriteSettingsFile(path, second, secondWindow) == 0);
    FUZZ_CHECK(fuzz::ReadBytes(path) == written);
    return 0;
}

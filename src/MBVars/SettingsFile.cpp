// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/SettingsFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

#include "MBVars/IniFile.h"

namespace {

constexpr std::size_t MaxTextValue = 2047;  // characters of a text value that are read
constexpr std::int64_t ScreenDpi = 96, PointsPerInch = 72;
constexpr std::int32_t MaxFontSize = 1000;  // points; a larger size is taken as unreadable

// Key defaults, used when a key is missing or unreadable.
constexpr std::int32_t DefaultColorDefault = 16777215, SentColorDefault = 15780518,
                       ReceivedColorDefault = 12639424, GridFixedColorDefault = 16777215,
                       HintColorDefault = 15793151, ColorModeDefault = 2;
constexpr std::int32_t HintWaitDefault = 100, HintHideWaitDefault = 5000;
constexpr const char* DateTimeFormatDefault = "yyyy.mm.dd hh:mm";
constexpr const char* FontNameDefault = "Verdana";
constexpr const char* FontStyleDefault = "B";
constexpr std::int32_t FontHeightDefault = -12, FontSizeDefault = 9, FontCharsetDefault = 1;

// a * b / c rounded half away from zero, kept within 32 bits.
std::int32_t ScaleRounded(std::int64_t a, std::int64_t b, std::int64_t c) {
    const std::int64_t p = a * b;
    const std::int64_t q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(q, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
}

class SettingsReader {
public:
    explicit SettingsReader(const IniFile& ini) : ini_(ini) {}
    void Section(std::string_view name) { section_ = name; }

    std::int32_t Int(std::string_view key, std::int32_t fallback) const {
        const auto value = ini_.Get(section_, key);
        if (!value) return fallback;
        return ParseSettingInt(*value).value_or(fallback);
    }
    // Out of lo..hi: the nearest bound.
    std::int32_t Clamped(std::string_view key, std::int32_t fallback, std::int32_t lo, std::int32_t hi) const {
        return std::clamp(Int(key, fallback), lo, hi);
    }
    // A code outside lo..hi means nothing: the default.
    std::uint8_t Code(std::string_view key, std::int32_t fallback, std::int32_t lo, std::int32_t hi) const {
        const std::int32_t v = Int(key, fallback);
        return static_cast<std::uint8_t>(v < lo || v > hi ? fallback : v);
    }
    bool Bool(std::string_view key, bool fallback) const { return Int(key, fallback ? 1 : 0) != 0; }
    std::string Text(std::string_view key, std::string_view fallback) const {
        std::string value = ini_.Get(section_, key).value_or(std::string(fallback));
        if (value.size() > MaxTextValue) {
            value.resize(MaxTextValue);
            // Blanks the cut leaves at the end would be lost at the next read: drop them
            // now, so that a value reads back as it was written.
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        }
        return value;
    }

private:
    const IniFile& ini_;
    std::string_view section_;
};

void ReadFont(const SettingsReader& r, FontData& font) {
    font.Name = r.Text("Name", FontNameDefault);
    const std::string style = r.Text("Style", FontStyleDefault);
    SetFontHeight(font, r.Int("Height", FontHeightDefault));
    std::int32_t size = r.Int("Size", FontSizeDefault);
    if (size < 1 || size > MaxFontSize) size = FontSizeDefault;
    SetFontSize(font, size);  // after the height: the size decides
    // Upper-case letters only, added to the style as it stands.
    if (style.find('B') != std::string::npos) font.Bold = true;
    if (style.find('I') != std::string::npos) font.Italic = true;
    if (style.find('U') != std::string::npos) font.Underline = true;
    font.Charset = r.Clamped("Charset", FontCharsetDefault, 0, 255);
}

std::string FontStyleLetters(const FontData& font) {
    std::string style;
    if (font.Bold) style += 'B';
    if (font.Italic) style += 'I';
    if (font.Underline) style += 'U';
    return style;
}

}  // namespace

std::optional<std::int32_t> ParseSettingInt(std::string_view value) {
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        std::uint32_t v = 0;
        const auto digits = value.substr(2);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
        return static_cast<std::int32_t>(v);
    }
    if (value.size() > 1 && value[0] == '+' && value[1] != '-') value.remove_prefix(1);
    std::int32_t v = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v, 10);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size()) return std::nullopt;
    return v;
}

void SetFontSize(FontData& font, std::int32_t points) {
    font.Size = points;
    font.Height = -ScaleRounded(points, ScreenDpi, PointsPerInch);
}

void SetFontHeight(FontData& font, std::int32_t pixels) {
    font.Height = pixels;
    font.Size = -ScaleRounded(pixels, PointsPerInch, ScreenDpi);
}

int ReadSettingsFile(const std::string& path, Settings& s, WindowSize& window) {
    IniFile ini;
    const int loaded = ini.Load(path);  // a missing or unreadable file leaves every key at its default
    SettingsReader r(ini);
    DefaultsType& d = s.Defaults;

    r.Section("General");
    // A size that is not positive keeps the window's current one.
    if (const std::int32_t w = r.Int("Width", window.Width); w > 0) window.Width = w;
    if (const std::int32_t h = r.Int("Height", window.Height); h > 0) window.Height = h;
    window.ConversationShown = r.Bool("ConversationShown", false);
    if (const std::int32_t w = r.Int("ConversationWidth", window.ConversationWidth); w > 0) window.ConversationWidth = w;
    s.DefaultDir = r.Text("DefaultDir", s.DefaultDir);
    s.ImportDir = r.Text("ImportDir", s.ImportDir);
    d.LastSavedFile = r.Text("LastSavedFile", "");
    d.LastSavedRead = r.Bool("LastSavedRead", true);
    d.RemoveDups = r.Bool("RemoveDups", true);
    d.UseHistory = r.Bool("UseHistory", true);
    d.Flexible = r.Bool("Flexible", false);
    d.GridLines = r.Bool("GridLines", false);
    d.DateTimeFormat = r.Text("DateTimeFormat", DateTimeFormatDefault);
    const std::int32_t noLimit = std::numeric_limits<std::int32_t>::max();
    d.HintWait = r.Clamped("HintWait", HintWaitDefault, 0, noLimit);
    d.HintHideWait = r.Clamped("HintHideWait", HintHideWaitDefault, 0, noLimit);
    d.TestMode = r.Clamped("TestMode", 0, 0, noLimit);
    d.HomeCountry = r.Text("HomeCountry", "");
    d.InternationalNumbers = r.Bool("InternationalNumbers", false);

    r.Section("Colors");
    d.DefaultColor = r.Int("DefaultColor", DefaultColorDefault);
    d.SentColor = r.Int("SentColor", SentColorDefault);
    d.ReceivedColor = r.Int("ReceivedColor", ReceivedColorDefault);
    d.GridFixedColor = r.Int("GridFixedColor", GridFixedColorDefault);
    d.HintColor = r.Int("HintColor", HintColorDefault);
    d.ColorMode = r.Code("ColorMode", ColorModeDefault, 0, 2);

    r.Section("Fonts");
    d.SentFont = r.Code("Sent", 0, 0, 3);
    d.ReceivedFont = r.Code("Received", 0, 0, 3);

    r.Section("DefaultFont");
    if (!d.DefaultFont) d.DefaultFont = std::make_shared<FontData>();
    ReadFont(r, *d.DefaultFont);
    return loaded;
}

int WriteSettingsFile(const std::string& path, const Settings& s, const WindowSize& window) {
    IniFile ini;
    // Keeps what the file holds beyond the keys written here; a file that exists but
    // cannot be read is left alone rather than rewritten without its other sections.
    if (const int loaded = ini.Load(path); loaded != 0 && loaded != ENOENT) return loaded;
    const DefaultsType& d = s.Defaults;
    auto integer = [](std::int32_t v) { return std::to_string(v); };
    auto boolean = [](bool v) { return std::string(v ? "1" : "0"); };
    using Keys = std::initializer_list<std::pair<const char*, std::string>>;
    auto writeKeys = [&ini](const char* section, Keys keys) {
        for (const auto& [key, value] : keys) ini.Set(section, key, value);
    };

    ini.ClearSection("General");
    writeKeys("General", {{"Width", integer(window.Width)},
                          {"Height", integer(window.Height)},
                          {"ConversationShown", boolean(window.ConversationShown)},
                          {"ConversationWidth", integer(window.ConversationWidth)},
                          {"DefaultDir", s.DefaultDir},
                          {"ImportDir", s.ImportDir},
                          {"LastSavedFile", d.LastSavedFile},
                          {"LastSavedRead", boolean(d.LastSavedRead)},
                          {"RemoveDups", boolean(d.RemoveDups)},
                          {"UseHistory", boolean(d.UseHistory)},
                          {"Flexible", boolean(d.Flexible)},
                          {"GridLines", boolean(d.GridLines)},
                          {"DateTimeFormat", d.DateTimeFormat},
                          {"HintWait", integer(d.HintWait)},
                          {"HintHideWait", integer(d.HintHideWait)},
                          {"TestMode", integer(d.TestMode)},
                          {"HomeCountry", d.HomeCountry},
                          {"InternationalNumbers", boolean(d.InternationalNumbers)}});
    ini.ClearSection("Colors");
    writeKeys("Colors", {{"DefaultColor", integer(d.DefaultColor)},
                         {"SentColor", integer(d.SentColor)},
                         {"ReceivedColor", integer(d.ReceivedColor)},
                         {"GridFixedColor", integer(d.GridFixedColor)},
                         {"HintColor", integer(d.HintColor)},
                         {"ColorMode", integer(d.ColorMode)}});
    ini.ClearSection("Fonts");
    writeKeys("Fonts", {{"Sent", integer(d.SentFont)}, {"Received", integer(d.ReceivedFont)}});
    // Written over the old keys: this section is not cleared, its other keys stay.
    const FontData font = d.DefaultFont ? *d.DefaultFont : FontData{};
    writeKeys("DefaultFont", {{"Name", font.Name},
                              {"Style", FontStyleLetters(font)},
                              {"Height", integer(font.Height)},
                              {"Size", integer(font.Size)},
                              {"Charset", integer(font.Charset)}});
    return ini.Save(path);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings file "Kestro.cfg": the lasting preferences of the settings record, the two
// folders and the main window's size, in four INI sections.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MBVars/Defaults.h"

inline constexpr const char* SettingsFileName = "Kestro.cfg";

// The main window's size in pixels; its designed size until the file says otherwise.
// The conversation pane beside the grid: hidden, and its width when first shown, unless
// the file says otherwise.
struct WindowSize {
    std::int32_t Width = 1067;
    std::int32_t Height = 635;
    bool ConversationShown = false;
    std::int32_t ConversationWidth = 360;
};

// Reads every key into the record, the folders and the window size. A missing file,
// section or key, or an unreadable value, gives that key's default (for the size and the
// folders: the values passed in); values outside their ranges are brought into range.
// Returns how reading went: 0, ENOENT for a missing file, or the failure code of a file
// that could not be read (IniFile::Load), which the caller reports.
int ReadSettingsFile(const std::string& path, Settings& s, WindowSize& window);
// Rewrites [General], [Colors] and [Fonts] whole and writes the [DefaultFont] keys over
// the old ones (other keys there stay), then replaces the file whole. 0, or the failure
// code; a file that exists but cannot be read (IniFile::Load) is left as it is.
int WriteSettingsFile(const std::string& path, const Settings& s, const WindowSize& window);

// An integer value as the settings file spells it: "0x"/"0X" and hex digits when longer
// than two characters, else signed decimal; nothing when empty or unreadable.
std::optional<std::int32_t> ParseSettingInt(std::string_view value);

// The font's point size and pixel height kept in step, for 96 dots per inch:
// height = -size * 96 / 72 and size = -height * 72 / 96, rounded half away from zero.
void SetFontSize(FontData& font, std::int32_t points);
void SetFontHeight(FontData& font, std::int32_t pixels);

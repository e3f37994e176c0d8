// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings record every part of the program reads its preferences from.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

// The message grid's font as plain data; the window maps it to a real font.
struct FontData {
    std::string Name;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    std::int32_t Height = 0;  // pixels, negative for a character height
    std::int32_t Size = 0;    // points
    std::int32_t Charset = 1;
};

// Start values are those of program start, before the settings file is read: zero, false
// or empty, except the fields initialised here. The values used when the settings file
// lacks a key are in the settings-file reader.
struct DefaultsType {
    std::int32_t DefaultColor = 0;
    std::int32_t SentColor = 0;
    std::int32_t ReceivedColor = 0;
    std::int32_t GridFixedColor = 0;
    std::int32_t HintColor = 0;
    std::int32_t HintWait = 0;      // ms
    std::int32_t HintHideWait = 0;  // ms
    std::uint8_t ColorMode = 0;     // 0 default colour, 1 sent/received, 2 contact colours
    std::uint8_t SentFont = 0;      // 0 regular, 1 italic, 2 bold, 3 bold italic
    std::uint8_t ReceivedFont = 0;
    std::string LastSavedFile;
    std::string DateTimeFormat;
    bool LastSavedRead = false;
    bool RemoveDups = false;
    bool UseHistory = false;
    bool Flexible = false;
    bool GridLines = false;
    // Shared, not copied, by a copy of the record (the options dialog's snapshot).
    std::shared_ptr<FontData> DefaultFont = std::make_shared<FontData>();
    std::uint8_t SortColumn = 1;
    std::uint8_t ViewMode = 3;  // 1 sent, 2 received, 3 all
    std::array<bool, 7> SortAscending{};
    std::array<std::int32_t, 7> ColumnWidth{40, 130, 110, 110, 20, 100, 50};
    std::int32_t TestMode = 0;
    std::string HomeCountry;  // ISO 3166 two-letter code of the messages' national numbers; empty: the locale's
    // The suites' exports' numbers are held in international form too, not only the
    // backups', iPhones' and address books'.
    bool InternationalNumbers = false;
};

// The program-wide settings: the record, its snapshot for the options dialog, and the
// two folders kept beside it.
struct Settings {
    DefaultsType Defaults;
    DefaultsType SavedDefaults;
    std::string DefaultDir;  // the program folder: settings, history, samples
    std::string ImportDir;   // folder of the last import, no trailing separator
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's command line: a data file to open instead of the last saved one,
// exports to import once the window is up, or a request for the help or the version.
#include <string>
#include <vector>

struct StartArguments {
    enum class Action { Start, Help, Version, Error };
    Action What = Action::Start;
    std::string DataFile;              // the one ".kst" named, or empty
    std::vector<std::string> Exports;  // every other file, in the order given
    std::string Error;                 // what was wrong, for Action::Error
};

// Reads the arguments after the program's name. "--help" (or "-h") and "--version" win
// over anything else; "--" makes every later argument a file. A file ending in ".kst" (in
// any case) is the data file, of which there may be one; every other file is an export.
StartArguments ParseStartArguments(const std::vector<std::string>& args);

// The text printed for --help.
std::string StartUsage();

// Whether the window system the program would start has a display to draw on. `platform`
// is the one asked for (QT_QPA_PLATFORM, or the -platform argument; empty for the
// default); `x11` and `wayland` are DISPLAY and WAYLAND_DISPLAY. Platforms that draw
// nowhere (offscreen, minimal, vnc...) always have one; X11 needs DISPLAY, whose local
// server must have its socket; Wayland needs WAYLAND_DISPLAY. Without a display the
// window system would abort the program instead of saying why.
bool DisplayFound(const std::string& platform, const std::string& x11, const std::string& wayland);

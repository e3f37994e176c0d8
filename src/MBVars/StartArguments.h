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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/StartArguments.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

bool IsDataFileName(const std::string& name) {
    constexpr std::size_t ExtensionLength = 4;  // ".kst"
    if (name.size() <= ExtensionLength) return false;
    std::string extension = name.substr(name.size() - ExtensionLength);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".kst";
}

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

StartArguments ParseStartArguments(const std::vector<std::string>& args) {
    // Help and version are answered whatever else is on the line.
    bool version = false;
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") return {StartArguments::Action::Help, {}, {}, {}};
        if (arg == "--version") version = true;
    }
    if (version) return {StartArguments::Action::Version, {}, {}, {}};

    StartArguments result;
    bool filesOnly = false;
    for (const std::string& arg : args) {
        if (!filesOnly && arg == "--") {
            filesOnly = true;
        } else if (!filesOnly && IsOption(arg)) {
            return {StartArguments::Action::Error, {}, {}, "unknown option " + arg};
        } else if (arg.empty()) {
            return {StartArguments::Action::Error, {}, {}, "an empty file name"};
        } else if (IsDataFileName(arg)) {
            if (!result.DataFile.empty())
                return {StartArguments::Action::Error, {}, {}, "only one data file (.kst) can be opened at a time"};
            result.DataFile = arg;
        } else {
            result.Exports.push_back(arg);
        }
    }
    return result;
}

std::string StartUsage() {
    return "usage: kestro [FILE.kst] [FILE...]\n"
           "Reads, searches and keeps the text messages of a mobile phone.\n"
           "\n"
           "  FILE.kst      open this data file instead of the last saved one\n"
           "  FILE          add these files to the collection: phone backups (.xml),\n"
           "                an iPhone's Messages database (sms.db) or backup folder,\n"
           "                message or contacts exports (.csv), address books (.vcf)\n"
           "  -h, --help    print this help and exit\n"
           "  --version     print the version and exit\n"
           "\n"
           "Without arguments Kestro reopens the last saved file when its options say so.\n";
}

namespace {
// The local X server of display ":N" or "unix:N" listens on /tmp/.X11-unix/XN; a display
// on another host (as ssh -X gives) cannot be checked without connecting, and is trusted.
bool X11DisplayFound(const std::string& display) {
    if (display.empty()) return false;
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos) return true;
    const std::string host = display.substr(0, colon);
    if (!host.empty() && host != "unix") return true;
    std::string number;
    for (std::size_t i = colon + 1; i < display.size() && display[i] >= '0' && display[i] <= '9'; ++i)
        number += display[i];
    if (number.empty()) return true;
    std::error_code ec;
    return std::filesystem::exists("/tmp/.X11-unix/X" + number, ec);
}
}  // namespace

bool DisplayFound(const std::string& platform, const std::string& x11, const std::string& wayland) {
    // A list "wayland;xcb" is tried in order: any of its platforms with a display does.
    const std::string wanted = platform.empty() ? std::string("xcb;wayland") : platform;
    std::size_t start = 0;
    while (start <= wanted.size()) {
        std::size_t end = wanted.find(';', start);
        if (end == std::string::npos) end = wanted.size();
        const std::string name = wanted.substr(start, end - start);
        const std::string base = name.substr(0, name.find(':'));  // "xcb:option=..."
        if (base == "xcb") {
            if (X11DisplayFound(x11)) return true;
        } else if (base.rfind("wayland", 0) == 0) {
            if (!wayland.empty()) return true;
        } else if (!base.empty()) {
            return true;  // offscreen, minimal, vnc, eglfs...: no desktop display needed
        }
        start = end + 1;
    }
    return false;
}

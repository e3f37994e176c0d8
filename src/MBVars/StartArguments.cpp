// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/StartArguments.h"

#include <algorithm>
#include <cctype>

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
    return "usage: kestro [FILE.kst] [EXPORT.csv...]\n"
           "Reads, searches and keeps the text messages of a mobile phone.\n"
           "\n"
           "  FILE.kst      open this data file instead of the last saved one\n"
           "  EXPORT.csv    add these message or contacts exports to the collection\n"
           "                (address books as vCard files, .vcf, too)\n"
           "  -h, --help    print this help and exit\n"
           "  --version     print the version and exit\n"
           "\n"
           "Without arguments Kestro reopens the last saved file when its options say so.\n";
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared objects of our own that a program opens only when a command first needs them, so
// that its start-up loads and binds only the libraries every command uses. They lie beside
// the programs in the build tree and in the program's library folder when installed.
#include <string>

struct OnDemandLibrary {
    void* Handle = nullptr;  // from dlopen; null when it could not be opened
    std::string Path;        // the file opened, or tried last
    std::string Problem;     // why it could not be opened: the file and dlerror's words
};

// The file of that name beside the running program, else in the program's installed library
// folder (found relative to the program, then as configured); the first that exists, or
// the one beside the program when none does.
std::string FindOnDemandLibrary(const std::string& fileName);

// Opens the file with every symbol bound at once (RTLD_NOW, as the programs are linked)
// and kept to itself (RTLD_LOCAL), then finds `entry` in it.
OnDemandLibrary OpenOnDemandLibrary(const std::string& path, const char* entry, void*& entryAddress);

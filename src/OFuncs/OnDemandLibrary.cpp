// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/OnDemandLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#ifndef KESTRO_LIBRARY_DIR
#define KESTRO_LIBRARY_DIR "/usr/lib/x86_64-linux-gnu/kestro"
#endif
#ifndef KESTRO_LIBRARY_DIR_FROM_BIN
#define KESTRO_LIBRARY_DIR_FROM_BIN "../lib/x86_64-linux-gnu/kestro"
#endif

std::string FindOnDemandLibrary(const std::string& fileName) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path programDir = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path beside = programDir / fileName;
    const fs::path installed = (programDir / KESTRO_LIBRARY_DIR_FROM_BIN / fileName).lexically_normal();
    const fs::path configured = fs::path(KESTRO_LIBRARY_DIR) / fileName;
    for (const fs::path& candidate : {beside, installed, configured})
        if (fs::is_regular_file(candidate, ec)) return candidate.string();
    return beside.string();
}

OnDemandLibrary OpenOnDemandLibrary(const std::string& path, const char* entry, void*& entryAddress) {
    OnDemandLibrary library;
    library.Path = path;
    entryAddress = nullptr;
    library.Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library.Handle) entryAddress = dlsym(library.Handle, entry);
    if (!entryAddress) {
        const char* reason = dlerror();
        library.Problem = "cannot load \"" + path + "\": " + (reason ? reason : "no " + std::string(entry) + " in it");
        if (library.Handle) dlclose(library.Handle);
        library.Handle = nullptr;
    }
    return library;
}

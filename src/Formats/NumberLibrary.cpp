// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/NumberLibrary.h"

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "OFuncs/OnDemandLibrary.h"

namespace {
std::once_flag loadedOnce;
const NumberFunctions* loaded = nullptr;
std::string problem;
}  // namespace

const NumberFunctions* LoadNumberLibrary(const std::string& path, std::string& why) {
    void* entry = nullptr;
    const OnDemandLibrary library = OpenOnDemandLibrary(path, NumberFunctionsEntry, entry);
    if (!entry) {
        why = library.Problem;
        return nullptr;
    }
    const NumberFunctions* table = reinterpret_cast<const NumberFunctions* (*)()>(entry)();
    if (!table || table->Version != NumberFunctionsVersion) {
        why = "cannot load \"" + path + "\": it is of another version of Kestro";
        return nullptr;  // the handle stays open: closing a library that ran code is never safe
    }
    return table;
}

const NumberFunctions* NumberLibrary() {
    std::call_once(loadedOnce, [] {
        loaded = LoadNumberLibrary(FindOnDemandLibrary(NumberLibraryFileName), problem);
        if (!loaded)
            std::fprintf(stderr, "%s: %s; phone numbers are matched only as written\n", program_invocation_short_name,
                         problem.c_str());
    });
    return loaded;
}

std::string NumberLibraryProblem() { return loaded ? std::string() : problem; }

std::string InternationalFormOf(std::string_view number, std::string_view homeCountry) {
    const NumberFunctions* f = NumberLibrary();
    if (!f) return {};
    const std::string home(homeCountry);
    char out[64];
    const std::size_t length = f->InternationalForm(number.data(), number.size(), home.c_str(), out, sizeof out);
    return length <= sizeof out ? std::string(out, length) : std::string();  // E.164 has at most 16 characters
}

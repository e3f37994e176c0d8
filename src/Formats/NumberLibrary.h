// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The number library, loaded when first asked for. When it cannot be loaded the programs
// go on without it (numbers match only as written, no country is known) and say so once
// on standard error, naming the file and the loader's reason.
#include <string>
#include <string_view>

#include "Formats/NumberFunctions.h"

// The functions, loaded on the first call; null when the library cannot be loaded.
const NumberFunctions* NumberLibrary();
// Why it could not be loaded ("cannot load "FILE": REASON"); empty when it was, or not yet tried.
std::string NumberLibraryProblem();

// Loads the table from one file, for the tests: null with `problem` set when it cannot.
const NumberFunctions* LoadNumberLibrary(const std::string& path, std::string& problem);

// The number in international form (E.164) read as the home country's; empty when it is
// not a valid number or the library cannot be loaded.
std::string InternationalFormOf(std::string_view number, std::string_view homeCountry);

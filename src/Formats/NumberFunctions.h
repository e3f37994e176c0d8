// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The number library's functions as the shared object kestro-numbers.so gives them: a
// plain C table, so that the programs load libphonenumber (with protobuf and absl) only
// when numbers are first matched. Texts go in as UTF-8 with their length; texts come out
// into the caller's buffer, their full length returned (larger than the buffer: call again
// with a larger one).
#include <cstddef>
#include <cstdint>

extern "C" {

// A number as libphonenumber parsed it, owned by the library.
struct KestroParsedNumber;

// Raised whenever the table changes: the programs take only a library of their own version.
inline constexpr std::uint32_t NumberFunctionsVersion = 1;

enum KestroNumberMatch : int { KestroNoMatch = 0, KestroShortMatch = 1, KestroFullMatch = 2 };

struct NumberFunctions {
    std::uint32_t Version;
    // The calling code of a two-letter country (49 for "DE"), 0 for an unknown code.
    int (*CallingCode)(const char* country);
    // The country's national trunk prefix, digits only ("0" for DE).
    std::size_t (*TrunkPrefix)(const char* country, char* out, std::size_t capacity);
    // The number read as `country`'s ("ZZ": only a number written with +), when it is one
    // or possible only locally; null otherwise. Freed by FreeNumber.
    KestroParsedNumber* (*ParsePossible)(const char* text, std::size_t length, const char* country);
    void (*FreeNumber)(KestroParsedNumber* number);
    // Exact or national-part matches are full; a match of the short end of one is short.
    KestroNumberMatch (*Match)(const KestroParsedNumber* a, const KestroParsedNumber* b);
    // Every country the library knows, two letters each, in alphabetical order, run together.
    std::size_t (*Countries)(char* out, std::size_t capacity);
    // The number in international form (E.164, "+4915550200") read as the home country's,
    // empty when it is not a valid number.
    std::size_t (*InternationalForm)(const char* number, std::size_t length, const char* homeCountry, char* out,
                                     std::size_t capacity);
};

// The one entry of kestro-numbers.so.
const NumberFunctions* KestroNumberFunctions();
}

// The name of the entry, for dlsym.
inline constexpr const char* NumberFunctionsEntry = "KestroNumberFunctions";
inline constexpr const char* NumberLibraryFileName = "kestro-numbers.so";

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an export holds, in words for its title, and the messages a command-line export
// picks the way the window's views pick them.
#include <cstdint>
#include <string>
#include <vector>

#include "MBVars/Ordering.h"
#include "MBVars/Store.h"

struct ExportScope {
    std::uint16_t Directions = ViewAll;  // ViewSent, ViewReceived or ViewAll
    std::string Contact;  // the contact view's name or phone, as shown; empty: none
    std::string Search;   // the search's text, as shown; empty: none
    bool Selection = false;  // the rows the user selected
};

// "All messages", "Sent messages", "Received messages", "Messages with Ada Ashgrove",
// "Messages containing "word"", each followed by " (selection)" for selected rows.
std::string ExportTitle(const ExportScope& scope);

// The store positions 1..MessageCount in store order whose direction is one of
// scope.Directions, of the person of `contactPhone` (People.h; any when empty) and whose
// text as shown holds scope.Search ignoring letter case (as the window's search). Marks
// the found messages as the search does.
std::vector<std::int32_t> PickExportRows(MsgStore& S, const ExportScope& scope, const std::string& contactPhone);

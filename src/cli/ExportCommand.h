// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli export FILE.kst --format csv|html [-o OUT] [--contact PHONE] [--search TEXT]
// [--sent|--received]: the collection as Open loads it (newest first), picked as the
// window's views pick, written as the window's export writes it: to OUT (replaced whole),
// or to standard output.
#include <ostream>
#include <string>
#include <vector>

// The exit status: 0; 1 when the collection could not be read or the file written (the
// reason on `err`); 2 for arguments it does not take.
int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

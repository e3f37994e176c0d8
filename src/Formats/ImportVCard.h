// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import of an address book exported as vCard: its cards join the store's address book.
#include <string>

#include "MBVars/Store.h"

// What ImportVCardFile returns for a file that does not begin as a vCard file (or cannot be
// opened: the import of other exports then tells why).
constexpr int NotVCardFile = -1;

// 0, NotVCardFile, or EFBIG for a file larger than any import reads. A file read again
// replaces its earlier cards. Throws IoError, naming the file, when reading fails.
int ImportVCardFile(MsgStore& S, const std::string& path);
// The same for a file opened by the caller, read from where it stands.
int ImportVCardFrom(MsgStore& S, class FileReader& file, const std::string& path);

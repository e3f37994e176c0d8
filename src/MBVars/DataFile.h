// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ".kst" data file: tagged chunks holding every field of every message.
#include <cstdint>
#include <string>
#include <vector>

#include "MBVars/Store.h"
#include "OFuncs/IoError.h"

// Rebuilds the contacts (cleaning names), then replaces the file whole. 0, or the errno of
// creating it; throws IoError ("Disk full", "I/O error %d") when writing fails, leaving
// the old file untouched. Clears Modified on success.
int WriteDataFile(MsgStore& S, const std::string& path);
// A file that is not one of ours: it does not begin with the heads chunk and its whole
// file header, announces more messages than the store holds, or uses element lengths of
// another layout.
class NotDataFileError : public IoError {
public:
    NotDataFileError() : IoError("Not a Kestro data file") {}
};

// Reads into a cleared store. 0, or the errno of opening; throws IoError ("Read beyond
// end of file") when the file ends inside an element or text, and NotDataFileError; what
// was read stays. A file refused at its very beginning leaves the store untouched.
int ReadDataFile(MsgStore& S, const std::string& path);
// The same into a table of messages of its own (slot 0 the work record, grown as needed,
// slots above `count` left empty) and its count, for a caller that keeps its store as it
// is until the read succeeded.
int ReadDataFileMessages(std::vector<XMsgRecType>& messages, std::int32_t& count, const std::string& path);
// Whether the file begins as a data file does, without reading further: 0, or the errno
// of opening it; throws NotDataFileError otherwise.
int CheckDataFileStart(const std::string& path);

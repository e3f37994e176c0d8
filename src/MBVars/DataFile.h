#pragma once
// The ".kst" data file: tagged chunks holding every field of every message.
#include <string>

#include "MBVars/Store.h"

// Rebuilds the contacts (cleaning names), then replaces the file whole. 0, or the errno of
// creating it; throws IoError ("Disk full", "I/O error %d") when writing fails, leaving
// the old file untouched. Clears Modified on success.
int WriteDataFile(MsgStore& S, const std::string& path);
// Reads into a cleared store. 0, or the errno of opening; throws IoError ("Read beyond
// end of file") when the file ends inside an element or text, and ("Not a Kestro data
// file") for a count above the capacity or an element length of another layout; what was
// read stays.
int ReadDataFile(MsgStore& S, const std::string& path);

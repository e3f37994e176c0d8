#pragma once
// An input/output failure after a file was opened. It ends the running command; the
// window's general error handler shows what() ("Disk full", "Read beyond end of file",
// "I/O error %d"). What the store already holds stays.
#include <stdexcept>
#include <string>

class IoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    static IoError DiskFull() { return IoError("Disk full"); }
    static IoError ReadBeyondEnd() { return IoError("Read beyond end of file"); }
    static IoError Other(int code) { return IoError("I/O error " + std::to_string(code)); }
};

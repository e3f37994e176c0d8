// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What kestro-cli does around its commands' files and output: no output file that is one
// of the inputs, and standard output whose every write is checked.
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

// Whether the two paths name one file: the same device and inode when both exist, else the
// same path once links, "." and ".." are resolved.
bool SameFile(const std::string& a, const std::string& b);

// False, naming both on `err`, when one of `outputs` is one of `inputs`; checked before
// anything is read.
bool OutputsAreNotInputs(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
                         std::ostream& err);

// A stream buffer writing to a file descriptor that remembers the first failed write (the
// stream it serves turns bad then, and writes nothing more).
class CheckedOutput : public std::streambuf {
public:
    explicit CheckedOutput(int fd) : fd_(fd), buffer_(1 << 16) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    ~CheckedOutput() override { sync(); }
    // 0, or the errno of the first write that failed.
    int Error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

private:
    bool Drain(const char* p, std::size_t n);
    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

// Flushes `out`; when a write to it failed, says "kestro-cli: cannot write the output:
// REASON" on `err` and gives 1 for a status of 0.
int CheckOutput(std::ostream& out, const CheckedOutput& buffer, int status, std::ostream& err);

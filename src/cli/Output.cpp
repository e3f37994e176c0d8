// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Output.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "OFuncs/IoError.h"

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa{}, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ea, eb;
    const std::filesystem::path pa = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
    const std::filesystem::path pb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
    return !ea && !eb && pa == pb;
}

bool OutputsAreNotInputs(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
                         std::ostream& err) {
    for (const std::string& out : outputs)
        for (const std::string& in : inputs)
            if (SameFile(in, out)) {
                err << "kestro-cli: the output " << out << " is the input " << in
                    << ": nothing read or written\n";
                return false;
            }
    return true;
}

bool CheckedOutput::Drain(const char* p, std::size_t n) {
    while (n > 0 && error_ == 0) {
        const ssize_t w = ::write(fd_, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            error_ = w < 0 ? errno : ENOSPC;
            break;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return error_ == 0;
}

int CheckedOutput::sync() {
    const bool ok = Drain(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return ok ? 0 : -1;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
    if (sync() != 0) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize CheckedOutput::xsputn(const char* s, std::streamsize n) {
    const auto room = epptr() - pptr();
    if (n <= room) {
        traits_type::copy(pptr(), s, static_cast<std::size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    // A large run goes out as it is, after what the buffer holds.
    if (sync() != 0 || !Drain(s, static_cast<std::size_t>(n))) return 0;
    return n;
}

int CheckOutput(std::ostream& out, const CheckedOutput& buffer, int status, std::ostream& err) {
    out.flush();
    if (buffer.Error() == 0 && out) return status;
    err << "kestro-cli: cannot write the output: " << FileErrorReason(buffer.Error() ? buffer.Error() : EIO) << '\n';
    return status == 0 ? 1 : status;
}

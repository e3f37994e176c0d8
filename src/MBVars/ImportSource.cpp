#include "MBVars/ImportSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "OFuncs/IoError.h"

namespace {
constexpr unsigned char Quote = '"', CR = '\r', LF = '\n', Space = ' ';

// Fills the buffer as far as the file allows, so that blocks start at multiples of its
// size even when the system delivers fewer bytes per read (pipes).
std::size_t ReadBlock(int fd, unsigned char* buf, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t r = ::read(fd, buf + got, size - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw IoError::Other(errno);
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

// Closes the descriptor on every way out.
struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};
}  // namespace

void SeparatorVote::Add(unsigned char c) {
    if (++counts_[c] > best_) {
        best_ = counts_[c];
        separator_ = c;
    }
}

void ExamineBlock(unsigned char* block, std::size_t n, SeparatorVote& vote) {
    for (std::size_t i = 0; i + 2 < n; ++i) {
        if (block[i] != Quote && block[i + 1] == CR && block[i + 2] == LF)
            block[i + 1] = block[i + 2] = Space;
        if (block[i] == Quote && block[i + 2] == Quote && block[i + 1] != 0) vote.Add(block[i + 1]);
    }
}

void JoinLineBreaksAcrossBlocks(std::string& bytes, std::size_t blockStart) {
    // The two positions whose three bytes straddle the boundary. A join only ever turns CR
    // and LF into spaces, so the order of the checks changes nothing.
    for (std::size_t i = blockStart >= 2 ? blockStart - 2 : 0; i < blockStart && i + 2 < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) != Quote && bytes[i + 1] == static_cast<char>(CR) &&
            bytes[i + 2] == static_cast<char>(LF))
            bytes[i + 1] = bytes[i + 2] = static_cast<char>(Space);
    }
}

int PrepareCsvFile(MsgStore& S, const std::string& path, PreparedCsv& out) {
    out = PreparedCsv{};
    // Not blocking while opening: a pipe nobody writes to reads as empty instead of waiting.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    FdCloser closer{fd};
    struct stat st{};
    if (::fstat(fd, &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    // Devices and sockets are no exports (and some never end).
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) return NotRegularFileCode;
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > MaxImportFileSize) return EFBIG;
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return errno;
    SeparatorVote vote;
    try {
        // Memory grows with the bytes actually read, never with what the file claims.
        if (S.ImportBuffer.size() != ImportBufferSize) S.ImportBuffer.assign(ImportBufferSize, 0);
        unsigned char* buf = S.ImportBuffer.data();
        const std::size_t size = S.ImportBuffer.size();
        for (;;) {
            const std::size_t n = ReadBlock(fd, buf, size);
            if (n == 0) break;
            if (out.Bytes.size() + n > MaxImportFileSize) {
                out = PreparedCsv{};
                return EFBIG;  // a pipe that goes on past any export
            }
            ExamineBlock(buf, n, vote);
            const std::size_t start = out.Bytes.size();
            out.Bytes.append(reinterpret_cast<const char*>(buf), n);
            JoinLineBreaksAcrossBlocks(out.Bytes, start);
        }
    } catch (const std::bad_alloc&) {
        out = PreparedCsv{};
        return OutOfMemoryCode;
    } catch (const IoError& e) {
        throw e.In(path, "import");
    }
    out.Separator = vote.Separator();
    return 0;
}

bool TextLines::Next(std::string_view& line) {
    if (rest_.empty()) return false;
    const std::size_t end = rest_.find(static_cast<char>(LF));
    std::string_view raw = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
    if (raw.find(static_cast<char>(CR)) == std::string_view::npos) {
        line = raw;
        return true;
    }
    scratch_.assign(raw);
    scratch_.erase(std::remove(scratch_.begin(), scratch_.end(), static_cast<char>(CR)),
                   scratch_.end());
    line = scratch_;
    return true;
}

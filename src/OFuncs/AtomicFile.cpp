// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/AtomicFile.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr int kMaxLinkHops = 40;  // as the system follows them
constexpr const char* kTemporarySuffix = "XXXXXX";
// Temporary files of an earlier version of this writer: the target's name and this.
constexpr std::string_view kLegacyInfix = ".tmp-";


mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with every symbolic link at its end followed, as far as the links lead (a link
// to a missing file gives that file's path); 0 or ELOOP in `err`.
std::string FollowLinks(const std::string& path, int& err) {
    err = 0;
    std::string p = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st{};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::vector<char> target(4096);
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return p;  // left to rename
        const std::string to(target.data(), static_cast<std::size_t>(n));
        p = (!to.empty() && to.front() == '/') ? to : FolderOf(p) + "/" + to;
    }
    err = ELOOP;
    return path;
}

// --- Temporary files removed when a signal ends the process during a save --------------
// Plain arrays and flags only: the handler may use nothing else.
constexpr int kSlots = 8;
constexpr std::size_t kSlotPathSize = 4096;
char gSlotPath[kSlots][kSlotPathSize];
volatile std::sig_atomic_t gSlotUsed[kSlots];
int gActiveSlots = 0;
// Signals that end the process by default and may arrive during a save.
constexpr std::array<int, 3> kEndingSignals{SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[kEndingSignals.size()];
bool gInstalled[kEndingSignals.size()];
struct sigaction gPreviousFileSize;

extern "C" void RemoveTemporariesAndGoOn(int sig, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    for (int i = 0; i < kSlots; ++i)
        if (gSlotUsed[i]) ::unlink(gSlotPath[i]);
    for (std::size_t k = 0; k < kEndingSignals.size(); ++k) {
        if (kEndingSignals[k] != sig) continue;
        const struct sigaction& previous = gPrevious[k];
        if (previous.sa_flags & SA_SIGINFO) {
            if (previous.sa_sigaction) previous.sa_sigaction(sig, info, context);
        } else if (previous.sa_handler == SIG_DFL) {
            // Ends the process as the signal would have: delivered once this returns.
            ::sigaction(sig, &previous, nullptr);
            ::raise(sig);
        } else if (previous.sa_handler != SIG_IGN) {
            previous.sa_handler(sig);
        }
    }
    errno = savedErrno;
}

void InstallHandlers() {
    for (std::size_t k = 0; k < kEndingSignals.size(); ++k) {
        struct sigaction current{};
        ::sigaction(kEndingSignals[k], nullptr, &current);
        gInstalled[k] = !(!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN);
        if (!gInstalled[k]) continue;  // an ignored signal ends nothing
        gPrevious[k] = current;
        struct sigaction ours{};
        ours.sa_sigaction = RemoveTemporariesAndGoOn;
        ours.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&ours.sa_mask);
        ::sigaction(kEndingSignals[k], &ours, nullptr);
    }
    // Past a file-size limit a write fails with EFBIG ("File too large") instead of the
    // signal ending the process silently.
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &gPreviousFileSize);
}

void RestoreHandlers() {
    for (std::size_t k = 0; k < kEndingSignals.size(); ++k)
        if (gInstalled[k]) ::sigaction(kEndingSignals[k], &gPrevious[k], nullptr);
    ::sigaction(SIGXFSZ, &gPreviousFileSize, nullptr);
}

// A slot for the temporary file's path, or -1 when none is free (the save still works,
// only a signal would leave the file behind for the next save to clear).
int Register(const std::string& path) {
    if (path.size() >= kSlotPathSize) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i]) continue;
        std::memcpy(gSlotPath[i], path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (gActiveSlots++ == 0) InstallHandlers();
        gSlotUsed[i] = 1;
        return i;
    }
    return -1;
}

void Unregister(int& slot) {
    if (slot < 0) return;
    gSlotUsed[slot] = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (--gActiveSlots == 0) RestoreHandlers();
    slot = -1;
}

// Removes the temporary files that earlier saves of this target left behind (a power loss
// or a killed process): this writer's short names and the longer names of earlier versions.
void ClearStaleTemporaries(const std::string& folder, const std::string& targetName) {
    const std::string prefix = AtomicFileWriter::TemporaryPrefix(targetName);
    const std::string legacy = targetName + std::string(kLegacyInfix);
    const std::size_t suffix = std::strlen(kTemporarySuffix);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    std::vector<std::filesystem::path> stale;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool ours = name.size() == prefix.size() + suffix && name.compare(0, prefix.size(), prefix) == 0;
        const bool older = name.size() == legacy.size() + suffix && name.compare(0, legacy.size(), legacy) == 0;
        if ((ours || older) && it->is_regular_file(ec) && !it->is_symlink(ec)) stale.push_back(it->path());
    }
    for (const auto& p : stale) std::filesystem::remove(p, ec);
}

}  // namespace

std::string AtomicFileWriter::TemporaryPrefix(std::string_view targetName) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : targetName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, ".kestro-%016llx-", static_cast<unsigned long long>(hash));
    return prefix;
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

int AtomicFileWriter::Open(const std::string& path) {
    Discard();
    given_ = path;
    int err = 0;
    target_ = FollowLinks(path, err);
    if (err) return err;

    struct stat st{};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return errno;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        if (!S_ISREG(st.st_mode)) return NotRegularFileCode;
        if ((st.st_mode & S_IWUSR) == 0) return EACCES;  // as an editor would not replace it
    }

    const std::string folder = FolderOf(target_);
    ClearStaleTemporaries(folder, NameOf(target_));
    std::string pattern = folder + "/" + TemporaryPrefix(NameOf(target_)) + kTemporarySuffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) return errno;
    temp_ = name.data();
    slot_ = Register(temp_);

    if (exists) {
        // Owner and group where the process may set them, then the permission bits (after
        // the owner, which may clear some of them).
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd_, st.st_uid, st.st_gid) != 0 &&
            st.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
        }
        ::fchmod(fd_, st.st_mode & 07777);
    } else {
        ::fchmod(fd_, NewFileMode());
    }
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    return 0;
}

void AtomicFileWriter::Write(const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + n > kBufferSize) Flush();
    if (n >= kBufferSize)
        WriteOut(p, n);  // a large run goes out as it is, not copied through the buffer
    else
        buffer_.append(p, n);
}

void AtomicFileWriter::Flush() {
    WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void AtomicFileWriter::WriteOut(const char* p, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd_, p + done, n - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            Discard();
            throw IoError::Other(err).In(given_, "write");
        }
        if (w == 0) {
            Discard();
            throw IoError::DiskFull().In(given_, "write");
        }
        done += static_cast<std::size_t>(w);
    }
}

void AtomicFileWriter::Commit() {
    Flush();
    if (::fsync(fd_) != 0 && errno != EINVAL) {
        const int err = errno;
        Discard();
        throw IoError::Other(err).In(given_, "write");
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        Discard();
        throw IoError::Other(err).In(given_, "write");
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        Discard();
        throw IoError::Other(err).In(given_, "write");
    }
    temp_.clear();
    Unregister(slot_);
    // The rename itself lives in the folder: flushed too, a save that returned survives a
    // power loss.
    const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        const int synced = ::fsync(dir);
        const int err = errno;
        ::close(dir);
        if (synced != 0 && err != EINVAL && err != EROFS) throw IoError::Other(err).In(given_, "write");
    }
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    Unregister(slot_);
    buffer_.clear();
}

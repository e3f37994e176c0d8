// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/AtomicFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
// A large file's bytes are sent to the disk every so many bytes while it is written, so that
// the flush before the rename has little left to wait for.
constexpr std::uint64_t kWritebackStep = std::uint64_t(32) << 20;
constexpr int kMaxLinkHops = 40;  // as the system follows them
constexpr std::size_t kTemporarySuffixLength = 6;
constexpr std::string_view kLockSuffix = "lock";
// Temporary files of an earlier version of this writer: the target's name and this.
constexpr std::string_view kLegacyInfix = ".tmp-";
std::atomic<std::int64_t> gLockWaitMs{5000};
constexpr std::chrono::milliseconds kLockPoll{20};


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

// Whether the kernel's protected_symlinks rule lets this user follow the link `st` in
// `folder`: not in a sticky, world-writable folder when the link belongs neither to the
// folder's owner nor to the user.
bool MayFollow(const struct stat& link, const std::string& folder) {
    struct stat dir{};
    if (::stat(folder.c_str(), &dir) != 0) return true;  // the open of the folder says why
    const bool sticky = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return !sticky || link.st_uid == dir.st_uid || link.st_uid == ::geteuid();
}

// The path with every symbolic link at its end followed, as far as the links lead (a link
// to a missing file gives that file's path); 0, ELOOP or EACCES (a link the kernel would
// not let the user follow) in `err`.
std::string FollowLinks(const std::string& path, int& err) {
    err = 0;
    std::string p = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st{};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        if (!MayFollow(st, FolderOf(p))) {
            err = EACCES;
            return path;
        }
        std::vector<char> target(4096);
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return p;  // left to rename
        const std::string to(target.data(), static_cast<std::size_t>(n));
        p = (!to.empty() && to.front() == '/') ? to : FolderOf(p) + "/" + to;
    }
    err = ELOOP;
    return path;
}

// 0 when the folder entry may be replaced: missing, or a regular file its owner may write.
int Replaceable(int dir, const std::string& name, struct stat& st, bool& exists) {
    exists = ::fstatat(dir, name.c_str(), &st, 0) == 0;
    if (!exists) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return NotRegularFileCode;
    if ((st.st_mode & S_IWUSR) == 0) return EACCES;  // as an editor would not replace it
    return 0;
}

// --- Files removed when a signal ends the process during a save ------------------------
// Plain arrays and flags only: the handler may use nothing else. Each slot holds the
// folder's descriptor and the names of the temporary file and the lock file in it.
constexpr int kSlots = 8;
constexpr std::size_t kSlotNameSize = 64;
int gSlotDir[kSlots];
char gSlotTemp[kSlots][kSlotNameSize];
char gSlotLock[kSlots][kSlotNameSize];
volatile std::sig_atomic_t gSlotUsed[kSlots];
int gActiveSlots = 0;
// Signals that end the process by default and may arrive during a save.
constexpr std::array<int, 3> kEndingSignals{SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[kEndingSignals.size()];
bool gInstalled[kEndingSignals.size()];
struct sigaction gPreviousFileSize;

extern "C" void RemoveTemporariesAndGoOn(int sig, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    for (int i = 0; i < kSlots; ++i) {
        if (!gSlotUsed[i]) continue;
        ::unlinkat(gSlotDir[i], gSlotTemp[i], 0);
        ::unlinkat(gSlotDir[i], gSlotLock[i], 0);
    }
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

// A slot for the temporary file and the lock file, or -1 when none is free (the save still
// works, only a signal would leave the files behind for the next save to clear).
int Register(int dir, const std::string& temp, const std::string& lock) {
    if (temp.size() >= kSlotNameSize || lock.size() >= kSlotNameSize) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i]) continue;
        gSlotDir[i] = dir;
        std::memcpy(gSlotTemp[i], temp.c_str(), temp.size() + 1);
        std::memcpy(gSlotLock[i], lock.c_str(), lock.size() + 1);
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
// Called only under the target's lock, so no live save's file is among them.
void ClearStaleTemporaries(int dir, const std::string& targetName) {
    const std::string prefix = AtomicFileWriter::TemporaryPrefix(targetName);
    const std::string legacy = targetName + std::string(kLegacyInfix);
    const int copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return;
    DIR* listing = ::fdopendir(copy);
    if (!listing) {
        ::close(copy);
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(listing)) {
        const std::string_view name = e->d_name;
        const bool ours = name.size() == prefix.size() + kTemporarySuffixLength && name.starts_with(prefix);
        const bool older = name.size() == legacy.size() + kTemporarySuffixLength && name.starts_with(legacy);
        struct stat st{};
        if ((ours || older) && ::fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            stale.emplace_back(name);
    }
    ::closedir(listing);
    for (const std::string& name : stale) ::unlinkat(dir, name.c_str(), 0);
}

// Creates a new temporary file of the target's prefix in the folder; its descriptor, or -1
// with errno set.
int CreateTemporary(int dir, const std::string& prefix, std::string& name) {
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[kTemporarySuffixLength];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return -1;
        name = prefix;
        for (const unsigned char r : random) name += Letters[r % (sizeof Letters - 1)];
        const int fd = ::openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
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

std::string AtomicFileWriter::LockName(std::string_view targetName) {
    return TemporaryPrefix(targetName) + std::string(kLockSuffix);
}

void AtomicFileWriter::SetLockWait(std::chrono::milliseconds wait) { gLockWaitMs = wait.count(); }

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

int AtomicFileWriter::Lock() {
    const std::string name = LockName(name_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(gLockWaitMs.load());
    for (;;) {
        // Readable by anyone, so that another user saving into a shared folder can wait too.
        const int fd = ::openat(dir_, name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) return errno;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The lock counts only while the folder still holds this lock file: the holder
            // before removed it on finishing, and a waiter of it starts over.
            struct stat held{}, named{};
            if (::fstat(fd, &held) == 0 && ::fstatat(dir_, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                lock_ = fd;
                return 0;
            }
            ::close(fd);
            continue;
        }
        const int err = errno;
        ::close(fd);
        if (err != EWOULDBLOCK && err != EINTR) return err;
        if (std::chrono::steady_clock::now() >= deadline) return BeingSavedCode;
        std::this_thread::sleep_for(kLockPoll);
    }
}

void AtomicFileWriter::Unlock() {
    if (lock_ < 0) return;
    ::unlinkat(dir_, LockName(name_).c_str(), 0);  // while still held: a waiter starts over
    ::close(lock_);
    lock_ = -1;
}

int AtomicFileWriter::Open(const std::string& path) {
    Discard();
    given_ = path;
    int err = 0;
    target_ = FollowLinks(path, err);
    if (err) return err;
    name_ = NameOf(target_);
    if (name_.empty() || name_ == "." || name_ == "..") return EISDIR;
    dir_ = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_ < 0) return errno;

    struct stat st{};
    bool exists = false;
    // Refused before the lock, so that nothing is made beside a device; again under it.
    if ((err = Replaceable(dir_, name_, st, exists)) != 0 || (err = Lock()) != 0 ||
        (err = Replaceable(dir_, name_, st, exists)) != 0) {
        Discard();
        return err;
    }

    ClearStaleTemporaries(dir_, name_);
    fd_ = CreateTemporary(dir_, TemporaryPrefix(name_), temp_);
    if (fd_ < 0) {
        err = errno;
        temp_.clear();
        Discard();
        return err;
    }
    slot_ = Register(dir_, temp_, LockName(name_));

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
    kernelCopy_ = true;
    written_ = sentToDisk_ = 0;
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

std::uint64_t AtomicFileWriter::CopyFrom(int from, const std::string& fromPath, std::uint64_t offset,
                                        std::uint64_t n) {
    Flush();
    std::uint64_t done = 0;
    while (done < n && kernelCopy_) {
        auto at = static_cast<off64_t>(offset + done);
        const ssize_t c = ::copy_file_range(from, &at, fd_, nullptr, n - done, 0);
        if (c > 0) {
            done += static_cast<std::uint64_t>(c);
            Written(static_cast<std::uint64_t>(c));
        } else if (c == 0) {
            return done;
        } else if (errno != EINTR) {
            // Not between these files (another file system, an old kernel), or a failure
            // that the plain copy names on the right file.
            kernelCopy_ = false;
        }
    }
    std::vector<char> buffer;
    while (done < n) {
        buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(n - done, kBufferSize * 16)));
        const ssize_t r = ::pread(from, buffer.data(), buffer.size(), static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw IoError(FileErrorReason(errno), fromPath);
        if (r == 0) break;
        WriteOut(buffer.data(), static_cast<std::size_t>(r));
        done += static_cast<std::uint64_t>(r);
    }
    return done;
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
    Written(n);
}

void AtomicFileWriter::Written(std::uint64_t n) {
    written_ += n;
    if (written_ - sentToDisk_ < kWritebackStep) return;
    // Only a start: a failure shows in the flush before the rename.
    ::sync_file_range(fd_, static_cast<off64_t>(sentToDisk_), static_cast<off64_t>(written_ - sentToDisk_),
                      SYNC_FILE_RANGE_WRITE);
    sentToDisk_ = written_;
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
    if (::renameat(dir_, temp_.c_str(), dir_, name_.c_str()) != 0) {
        const int err = errno;
        Discard();
        throw IoError::Other(err).In(given_, "write");
    }
    temp_.clear();
    // The rename itself lives in the folder: flushed too, a save that returned survives a
    // power loss.
    const int synced = ::fsync(dir_);
    const int err = errno;
    Discard();  // lets go of the lock and the folder
    if (synced != 0 && err != EINVAL && err != EROFS) throw IoError::Other(err).In(given_, "write");
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlinkat(dir_, temp_.c_str(), 0);
    temp_.clear();
    Unregister(slot_);  // before the lock file goes: a later signal must not remove another's
    Unlock();
    if (dir_ >= 0) ::close(dir_);
    dir_ = -1;
    buffer_.clear();
}

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return stamp;
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = static_cast<std::uint64_t>(st.st_size);
    stamp.ModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Saving replaces files only as a user expects: through links, keeping modes, never over
// what is not a plain file or not writable, and never leaving a temporary file behind.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace fs = std::filesystem;

namespace {

class SaveTarget : public ::testing::Test {
protected:
    TempDir dir;
    MsgStore S;

    void SetUp() override {
        AddMessage(S, "2007.05.01 18:22", "+15555550100", "See you at 8", MsgSms | MsgReceived, "Ada Park");
        AddMessage(S, "2007.05.01 18:25", "+15555550101", "On my way", MsgSms | MsgSent, "Bo Lind");
    }
    std::string Saved() {
        const std::string path = PathIn(dir, "reference.kst");
        EXPECT_EQ(WriteDataFile(S, path), 0);
        return TempDir::Read(path);
    }
    mode_t ModeOf(const std::string& path) {
        struct stat st{};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0);
        return st.st_mode;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST_F(SaveTarget, ALinkedArchiveIsUpdatedThroughItsLinks) {
    const std::string expected = Saved();
    fs::create_directory(dir.Path() / "real");
    const std::string real = PathIn(dir, "real/archive.kst");
    WriteFileBytes(real, "old");
    fs::create_symlink("real/archive.kst", dir.Path() / "link.kst");   // relative
    fs::create_symlink(dir.Path() / "link.kst", dir.Path() / "outer.kst");  // a chain
    ASSERT_EQ(WriteDataFile(S, PathIn(dir, "outer.kst")), 0);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "outer.kst"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.kst"));
    EXPECT_EQ(TempDir::Read(real), expected);
    EXPECT_EQ(fs::directory_iterator(dir.Path() / "real")->path().filename(), "archive.kst");  // nothing beside it

    // A link to a missing file creates that file; a loop of links is refused.
    fs::create_symlink("made.kst", dir.Path() / "dangling.kst");
    ASSERT_EQ(WriteDataFile(S, PathIn(dir, "dangling.kst")), 0);
    EXPECT_EQ(TempDir::Read(PathIn(dir, "made.kst")), expected);
    fs::create_symlink("loop-b", dir.Path() / "loop-a");
    fs::create_symlink("loop-a", dir.Path() / "loop-b");
    EXPECT_EQ(WriteDataFile(S, PathIn(dir, "loop-a")), ELOOP);
}

TEST_F(SaveTarget, APipeOrADeviceIsNeverReplaced) {
    const std::string fifo = PathIn(dir, "pipe.kst");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteDataFile(S, fifo), NotRegularFileCode);
    EXPECT_EQ(WriteHistory(S, fifo), NotRegularFileCode);
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    EXPECT_EQ(WriteDataFile(S, "/dev/null"), NotRegularFileCode);
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
    EXPECT_EQ(FileErrorReason(NotRegularFileCode), "Not a regular file");
    EXPECT_EQ(Names(), std::vector<std::string>{"pipe.kst"});
}

TEST_F(SaveTarget, PermissionBitsStayAndAFileItsOwnerMayNotWriteIsKept) {
    const std::string expected = Saved();
    const std::string archive = PathIn(dir, "archive.kst");
    for (const mode_t mode : {0600, 0640, 0604}) {
        WriteFileBytes(archive, "old");
        ASSERT_EQ(::chmod(archive.c_str(), mode), 0);
        ASSERT_EQ(WriteDataFile(S, archive), 0) << std::oct << mode;
        EXPECT_EQ(ModeOf(archive) & 07777, mode);
        EXPECT_EQ(TempDir::Read(archive), expected);
    }
    ASSERT_EQ(::chmod(archive.c_str(), 0444), 0);
    EXPECT_EQ(WriteDataFile(S, archive), EACCES);  // even where the process could
    EXPECT_EQ(FileErrorReason(EACCES), "Permission denied");
    EXPECT_EQ(TempDir::Read(archive), expected);
    EXPECT_EQ(ModeOf(archive) & 07777, 0444u);
}

TEST_F(SaveTarget, ASignalDuringASaveLeavesNoTemporaryFile) {
    const std::string archive = PathIn(dir, "archive.kst");
    WriteFileBytes(archive, "old");
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(sig, SIG_DFL);
            AtomicFileWriter out;
            if (out.Open(archive) != 0) ::_exit(2);
            out.Write(std::string(100000, 'x'));  // part of it already on disk
            ::raise(sig);
            ::_exit(3);  // not reached: the signal ends the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << sig;
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(Names(), std::vector<std::string>{"archive.kst"}) << sig;
        EXPECT_EQ(TempDir::Read(archive), "old");
    }
    // Outside a save the program's own handling of the signals is back.
    struct sigaction now{};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_FALSE(now.sa_flags & SA_SIGINFO);
}

TEST_F(SaveTarget, AFileSizeLimitIsReportedAsFileTooLarge) {
    const std::string archive = PathIn(dir, "archive.kst");
    WriteFileBytes(archive, "old");
    AddMessage(S, "2007.05.02 10:00", "+15555550102", std::string(16000, 'y'));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_DFL);  // as a shell leaves it: the limit would end the process
        rlimit cap{};
        ::getrlimit(RLIMIT_FSIZE, &cap);
        cap.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &cap);
        try {
            WriteDataFile(S, archive);
        } catch (const IoError& e) {
            struct sigaction after{};
            ::sigaction(SIGXFSZ, nullptr, &after);
            const bool restored = after.sa_handler == SIG_DFL;
            ::_exit(e.Text() == "Cannot write \"" + archive + "\": File too large" && restored ? 0 : 4);
        }
        ::_exit(5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"archive.kst"});
    EXPECT_EQ(TempDir::Read(archive), "old");
}

TEST_F(SaveTarget, StaleTemporariesOfTheSameTargetAreCleared) {
    const std::string archive = PathIn(dir, "archive.kst");
    const std::string ours = AtomicFileWriter::TemporaryPrefix("archive.kst") + "Ab12Cd";
    for (const std::string& name : {ours, std::string("archive.kst.tmp-x1Y2z3"), std::string("other.kst.tmp-x1Y2z3"),
                                   AtomicFileWriter::TemporaryPrefix("other.kst") + "Ab12Cd",
                                   std::string("archive.kst.tmp-toolong1"), std::string("notes.txt")})
        WriteFileBytes(PathIn(dir, name), "left");
    ASSERT_EQ(WriteDataFile(S, archive), 0);
    std::vector<std::string> expected{"archive.kst", "archive.kst.tmp-toolong1", "notes.txt", "other.kst.tmp-x1Y2z3",
                                      AtomicFileWriter::TemporaryPrefix("other.kst") + "Ab12Cd"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
}

TEST_F(SaveTarget, TheLongestFileNamesSave) {
    const std::string expected = Saved();
    fs::remove(dir.Path() / "reference.kst");
    for (const std::size_t length : {245u, 250u, 255u}) {
        const std::string path = PathIn(dir, std::string(length - 4, 'n') + ".kst");
        ASSERT_EQ(WriteDataFile(S, path), 0) << length;
        EXPECT_EQ(TempDir::Read(path), expected);
        fs::remove(path);
    }
    EXPECT_LE(AtomicFileWriter::TemporaryPrefix(std::string(255, 'n')).size() + 6, 32u);
    EXPECT_EQ(FileCount(dir), 0u);
}

// Runs copied from another file land between the written bytes in order; a run past that
// file's end is copied up to it; a source that cannot be read is named.
TEST_F(SaveTarget, CopiedRunsLandBetweenWrittenBytes) {
    std::string source;
    for (int k = 0; k < 300000; ++k) source += static_cast<char>('a' + k % 23);
    const std::string from = dir.Write("source.bin", source);
    const int fd = ::open(from.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    const std::string out = PathIn(dir, "out.bin");
    AtomicFileWriter w;
    ASSERT_EQ(w.Open(out), 0);
    std::string expected;
    struct Run {
        std::uint64_t Offset, Length, Copied;
    };
    for (const Run& r : {Run{5, 10, 10}, Run{1000, 200000, 200000}, Run{0, 0, 0}, Run{299990, 100, 10},
                         Run{400000, 5, 0}}) {
        w.Write("<" + std::to_string(r.Offset) + ">");
        expected += "<" + std::to_string(r.Offset) + ">";
        EXPECT_EQ(w.CopyFrom(fd, from, r.Offset, r.Length), r.Copied);
        expected += source.substr(std::min<std::size_t>(r.Offset, source.size()), r.Copied);
    }
    w.Commit();
    ::close(fd);
    EXPECT_EQ(TempDir::Read(out), expected);

    const std::string folder = dir.Path().string();
    const int notFile = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    AtomicFileWriter again;
    ASSERT_EQ(again.Open(out), 0);
    try {
        again.CopyFrom(notFile, folder, 0, 10);
        ADD_FAILURE() << "a folder was read";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "Cannot read \"" + folder + "\": " + std::strerror(EISDIR));
    }
    ::close(notFile);
}

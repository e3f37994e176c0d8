// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that something goes wrong under: a full disk, a read-only folder, a folder moved
// away, a link planted by another user, two writers at once, an output that is an input.
// After each, every file that was there before is byte for byte as it was or completely
// new, and no temporary file is left anywhere.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Formats/ExportFields.h"
#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace fs = std::filesystem;

namespace {

MsgStore StoreOf(int messages, char fill) {
    MsgStore S;
    for (int i = 0; i < messages; ++i)
        AddMessage(S, "2024.03.0" + std::to_string(1 + i % 9) + " 10:00", "+1555555" + std::to_string(1000 + i),
                   std::string(900, fill));
    return S;
}

// The bytes a store's data file holds.
std::string DataFileBytes(MsgStore S) {
    TempDir aside;
    const std::string path = PathIn(aside, "x.kst");
    EXPECT_EQ(WriteDataFile(S, path), 0);
    return TempDir::Read(path);
}

struct Scene {
    TempDir dir;
    std::unique_ptr<SmallDisk> disk;  // destroyed before the folder it is mounted in
    std::set<std::string> fresh;      // what a completely new file may hold
    std::string skip;                 // why this machine cannot make the fault
    std::string Path(const std::string& name) const { return PathIn(dir, name); }
};

struct Fault {
    const char* Name;
    std::function<void(Scene&)> Make;  // the files there before
    std::function<void(Scene&)> Run;   // the write, checking its own outcome
};

// Every regular file and link under the folder: its bytes, or where the link leads.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            files[name] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
            files[name] = TempDir::Read(it->path().string());
    }
    return files;
}

// Saves `S` to `path` in a child process `rounds` times; the child's status counts failures.
pid_t SaveInChild(const MsgStore& S, const std::string& path, int rounds) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    int failed = 0;
    for (int i = 0; i < rounds; ++i) {
        MsgStore copy = S;
        try {
            failed += WriteDataFile(copy, path) != 0;
        } catch (const IoError&) {
            ++failed;
        }
    }
    ::_exit(failed);
}

int StatusOf(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

const std::vector<Fault>& Faults() {
    static const std::vector<Fault> faults = {
        {"full disk",
         [](Scene& s) {
             s.disk = std::make_unique<SmallDisk>(s.dir.Path() / "disk", 64);
             if (!s.disk->Mounted()) s.skip = "no tmpfs can be mounted here";
             WriteFileBytes(s.Path("disk/archive.kst"), "old archive");
         },
         [](Scene& s) {
             MsgStore big = StoreOf(200, 'f');  // about 200 KB
             try {
                 WriteDataFile(big, s.Path("disk/archive.kst"));
                 ADD_FAILURE() << "a full disk took the file";
             } catch (const IoError& e) {
                 EXPECT_EQ(e.Text(), "Cannot write \"" + s.Path("disk/archive.kst") + "\": Disk full");
             }
         }},
        {"read-only folder",
         [](Scene& s) {
             if (::geteuid() == 0) {  // root writes into any folder its mode forbids
                 s.disk = std::make_unique<SmallDisk>(s.dir.Path() / "ro", 64);
                 WriteFileBytes(s.Path("ro/archive.kst"), "old archive");
                 if (!s.disk->MakeReadOnly()) s.skip = "no read-only tmpfs can be mounted here";
             } else {
                 fs::create_directory(s.dir.Path() / "ro");
                 WriteFileBytes(s.Path("ro/archive.kst"), "old archive");
                 fs::permissions(s.dir.Path() / "ro", fs::perms(0555));
             }
         },
         [](Scene& s) {
             MsgStore S = StoreOf(3, 'r');
             const int code = WriteDataFile(S, s.Path("ro/archive.kst"));
             EXPECT_TRUE(code == EROFS || code == EACCES) << code;
             EXPECT_NE(WriteHistory(S, s.Path("ro/Kestro.hst")), 0);
         }},
        {"moved folder",
         [](Scene& s) {
             fs::create_directory(s.dir.Path() / "sub");
             WriteFileBytes(s.Path("sub/archive.kst"), "old archive");
             s.fresh = {std::string(300000, 'm')};
         },
         [](Scene& s) {
             const std::string archive = s.Path("sub/archive.kst");
             // Moved between two writes: the file is replaced where the folder went.
             AtomicFileWriter first;
             ASSERT_EQ(first.Open(archive), 0);
             first.Write(std::string(100000, 'm'));
             fs::rename(s.dir.Path() / "sub", s.dir.Path() / "moved");
             first.Write(std::string(200000, 'm'));
             EXPECT_NO_THROW(first.Commit());
             // Moved, and then the write fails: the temporary file goes from where it is.
             AtomicFileWriter second;
             ASSERT_EQ(second.Open(s.Path("moved/archive.kst")), 0);
             second.Write(std::string(100000, 'x'));
             fs::rename(s.dir.Path() / "moved", s.dir.Path() / "elsewhere");
             {
                 FileSizeCap cap(150000);
                 EXPECT_THROW(second.Write(std::string(100000, 'x')), IoError);
             }
             fs::rename(s.dir.Path() / "elsewhere", s.dir.Path() / "sub");
         }},
        {"planted link",
         [](Scene& s) {
             fs::create_directory(s.dir.Path() / "shared");
             fs::permissions(s.dir.Path() / "shared", fs::perms(01777));
             WriteFileBytes(s.Path("victim.kst"), "precious");
             fs::create_symlink("../victim.kst", s.dir.Path() / "shared/archive.kst");
             // Another user's link: root can give it away; others cannot make one.
             if (::lchown(s.Path("shared/archive.kst").c_str(), 4242, 4242) != 0)
                 s.skip = "a link of another user cannot be made here";
             WriteFileBytes(s.Path("mine.kst"), "mine");
             fs::create_symlink("../mine.kst", s.dir.Path() / "shared/mine.kst");
             s.fresh = {DataFileBytes(StoreOf(2, 'p'))};
         },
         [](Scene& s) {
             MsgStore S = StoreOf(2, 'p');
             EXPECT_EQ(WriteDataFile(S, s.Path("shared/archive.kst")), EACCES);
             EXPECT_THROW(WriteExportFile(s.Path("shared/archive.kst"), "=1"), IoError);
             // The user's own link there is followed as before.
             EXPECT_EQ(WriteDataFile(S, s.Path("shared/mine.kst")), 0);
             EXPECT_TRUE(fs::is_symlink(s.dir.Path() / "shared/mine.kst"));
         }},
        {"two writers",
         [](Scene& s) {
             WriteFileBytes(s.Path("archive.kst"), "old archive");
             s.fresh = {DataFileBytes(StoreOf(40, 'a')), DataFileBytes(StoreOf(60, 'b'))};
         },
         [](Scene& s) {
             const std::string archive = s.Path("archive.kst");
             const pid_t a = SaveInChild(StoreOf(40, 'a'), archive, 20), b = SaveInChild(StoreOf(60, 'b'), archive, 20);
             EXPECT_EQ(StatusOf(a), 0);
             EXPECT_EQ(StatusOf(b), 0);

             // A save that does not end in time: the second writer says so and clears nothing.
             int ready[2], go[2];
             ASSERT_EQ(::pipe(ready), 0);
             ASSERT_EQ(::pipe(go), 0);
             const pid_t holder = ::fork();
             if (holder == 0) {
                 AtomicFileWriter w;
                 char c = 0;
                 if (w.Open(archive) != 0) ::_exit(2);
                 w.Write(std::string(1000, 'h'));
                 if (::write(ready[1], "r", 1) != 1 || ::read(go[0], &c, 1) != 1) ::_exit(3);
                 w.Write(*s.fresh.begin());
                 w.Commit();
                 ::_exit(0);
             }
             char c = 0;
             ASSERT_EQ(::read(ready[0], &c, 1), 1);
             AtomicFileWriter::SetLockWait(std::chrono::milliseconds(200));
             MsgStore S = StoreOf(60, 'b');
             const int code = WriteDataFile(S, archive);
             AtomicFileWriter::SetLockWait(std::chrono::seconds(5));
             EXPECT_EQ(code, BeingSavedCode);
             EXPECT_EQ(FileErrorText("save", archive, FileErrorReason(code)),
                       "\"" + archive + "\" is being saved by another Kestro");
             ASSERT_EQ(::write(go[1], "g", 1), 1);
             EXPECT_EQ(StatusOf(holder), 0);  // its temporary file was still there to rename
             for (const int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
             s.fresh.insert(std::string(1000, 'h') + *s.fresh.begin());
         }},
        {"output onto input",
         [](Scene& s) {
             MsgStore S = StoreOf(3, 'o');
             ASSERT_EQ(WriteDataFile(S, s.Path("archive.kst")), 0);
             fs::create_symlink("archive.kst", s.dir.Path() / "link.kst");
             fs::create_hard_link(s.dir.Path() / "archive.kst", s.dir.Path() / "hard.kst");
             WriteFileBytes(s.Path("in.csv"), "\"sms\",\"deliver\",\"+15555550177\",\"\",\"\",\"2026.03.01 10:00\",\"\",\"Hi\"\r\n");
             fs::create_directory(s.dir.Path() / "years");
             WriteFileBytes(s.Path("years/2019.kst"), "a year");
         },
         [](Scene& s) {
             const std::string archive = s.Path("archive.kst"), in = s.Path("in.csv");
             struct Case {
                 std::vector<std::string> Args;
                 std::string Output, Input;
             };
             const Case cases[] = {
                 {{"export", archive, "--format", "csv", "-o", archive}, archive, archive},
                 {{"export", s.Path("link.kst"), "--format", "html", "-o", archive}, archive, s.Path("link.kst")},
                 {{"export", archive, "--format", "csv", "-o", s.Path("hard.kst")}, s.Path("hard.kst"), archive},
                 {{"export", archive, "--format", "csv", "-o", s.Path("years/../archive.kst")},
                  s.Path("years/../archive.kst"), archive},
                 {{"import", in, "-o", in}, in, in},
                 {{"import", in, "--history", in}, in, in},
                 {{"import", in, "-o", s.Path("k.hst"), "--history", s.Path("k.hst")}, s.Path("k.hst"), s.Path("k.hst")},
                 {{"import", "--split-by-year", s.Path("years"), s.Path("years/2019.kst")}, s.Path("years/2019.kst"),
                  s.Path("years/2019.kst")},
             };
             for (const Case& c : cases) {
                 std::ostringstream out, err;
                 const std::vector<std::string> args(c.Args.begin() + 1, c.Args.end());
                 const int status =
                     c.Args[0] == "export" ? RunExportCommand(args, out, err) : RunImportCommand(args, out, err);
                 EXPECT_EQ(status, 2) << c.Args[1];
                 EXPECT_EQ(err.str(), "kestro-cli: the output " + c.Output + " is the input " + c.Input +
                                          ": nothing read or written\n");
                 EXPECT_EQ(out.str(), "");
             }
         }},
    };
    return faults;
}

}  // namespace

TEST(SaveFaults, EveryFileIsAsItWasOrCompletelyNewAndNoTemporaryFileStays) {
    for (const Fault& fault : Faults()) {
        SCOPED_TRACE(fault.Name);
        Scene s;
        fault.Make(s);
        if (!s.skip.empty()) {
            std::cout << "[  SKIP    ] " << fault.Name << ": " << s.skip << '\n';
            continue;
        }
        const auto before = Snapshot(s.dir.Path());
        fault.Run(s);
        const auto after = Snapshot(s.dir.Path());
        for (const auto& [name, bytes] : before) {
            const auto now = after.find(name);
            ASSERT_NE(now, after.end()) << name << " is gone";
            EXPECT_TRUE(now->second == bytes || s.fresh.count(now->second)) << name << " is neither old nor new";
        }
        for (const auto& [name, bytes] : after)
            EXPECT_EQ(fs::path(name).filename().string().rfind(".kestro-", 0), std::string::npos) << name << " stays";
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ImportCommand.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "Lang/HomeCountry.h"
#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "Formats/BackupYearSplit.h"
#include "Formats/FileKind.h"
#include "OFuncs/FileReader.h"
#include "MBVars/ImportFile.h"
#include "MBVars/LoadSequences.h"
#include "Formats/ImportVCard.h"
#include "Formats/MediaWriter.h"
#include "Formats/NumberMatch.h"
#include "OFuncs/IoError.h"
#include "cli/Listing.h"
#include "cli/Output.h"

namespace {
std::string ToUpper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct ImportArguments {
    std::vector<std::string> Files;
    std::string Output;   // -o: the data file to write
    std::string History;  // --history: read first when it exists, written at the end
    std::string Country;   // --country: whose national numbers the messages hold
    std::string SplitDir;  // --split-by-year: one data file per calendar year there
    bool KeepDuplicates = false;
    bool NoHistory = false;
};

// False (with the reason on `err`) for an option it does not know or one without its value.
bool ParseArguments(const std::vector<std::string>& args, ImportArguments& parsed, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--history" || a == "--split-by-year") {
            if (i + 1 == args.size()) {
                err << "kestro-cli: " << a << (a == "--split-by-year" ? " needs a folder\n" : " needs a file name\n");
                return false;
            }
            (a == "-o" ? parsed.Output : a == "--history" ? parsed.History : parsed.SplitDir) = args[++i];
        } else if (a == "--country") {
            if (i + 1 == args.size() || CallingCodeOf(ToUpper(args[i + 1])) == 0) {
                err << "kestro-cli: --country needs a two-letter country code such as DE\n";
                return false;
            }
            parsed.Country = ToUpper(args[++i]);
        } else if (a == "--keep-duplicates") {
            parsed.KeepDuplicates = true;
        } else if (a == "--no-history") {
            parsed.NoHistory = true;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "kestro-cli: unknown option " << a << '\n';
            return false;
        } else {
            parsed.Files.push_back(a);
        }
    }
    if (parsed.Files.empty()) err << "kestro-cli: import needs at least one file\n";
    return !parsed.Files.empty();
}

// A file refused for what it holds is said in words of its own: true when it was.
bool Refused(int code, const std::string& file, std::ostream& err) {
    if (code != NotValidFileCode && code != EncryptedBackupCode) return false;
    err << "kestro-cli: " << file << ' ' << (code == NotValidFileCode ? NotAnyFormat : EncryptedBackup) << '\n';
    return true;
}

// Whether the file is an address book, by its first bytes.
bool IsAddressBook(const std::string& file) {
    FileReader reader;
    return reader.Open(file) == 0 && KindOfFile(reader.Head()) == FileKind::AddressBook;
}

// A backup read only in part: said, and true.
bool Damaged(const std::string& file, const BackupReadResult& read, std::ostream& err) {
    if (read.End != BackupEnd::Damaged) return false;
    err << "kestro-cli: cannot import " << file << ": damaged";
    if (read.Line > 0) err << " at line " << read.Line;
    err << " (" << read.Reason << ")\n";
    return true;
}

// Runs one file step; false when it failed, with `what` and the reason on `err`.
template <class Step>
bool Attempt(const std::string& what, const std::string& file, std::ostream& err, Step step) {
    std::string reason;
    try {
        if (const int code = step()) reason = FileErrorReason(code);
    } catch (const IoError& e) {
        reason = e.what();
    } catch (const std::bad_alloc&) {
        reason = FileErrorReason(OutOfMemoryCode);
    }
    if (reason.empty()) return true;
    if (reason == BeingSavedReason)
        err << "kestro-cli: " << file << ' ' << reason << '\n';
    else
        err << "kestro-cli: cannot " << what << ' ' << file << ": " << reason << '\n';
    return false;
}

// What the import left out, one line per reason, on standard error.
void PrintNotTaken(const ImportNotTaken& notTaken, std::ostream& err) {
    for (const std::string& line : NotTakenLines(notTaken)) err << "kestro-cli: " << line << '\n';
}

// Imports one file, adding what it left out to `notTaken`; false when it could not be read
// completely (a damaged backup too, after its messages before the damage were added).
bool ImportInput(MsgStore& S, const std::string& file, ImportNotTaken& notTaken, std::ostream& err,
                 MediaWriter* writer, MediaIndex* media) {
    ImportFileReport report;
    int code = 0;
    const bool read = Attempt("import", file, err, [&] {
        return Refused(code = ImportFile(S, file, report, {}, writer, media), file, err) ? 0 : code;
    });
    notTaken += report.NotTaken;
    if (!read || code == NotValidFileCode || code == EncryptedBackupCode) return false;
    if (!report.Backup) return true;
    return !Damaged(file, report.BackupReport.Read, err);
}

// Reads one input of the year split: an address book into `names`, a backup into the
// years, adding what it passed over to `notTaken`; false when it is neither or could not
// be read completely.
bool ReadIntoYears(BackupYearSplit& years, MsgStore& names, const std::string& file, bool backups,
                   ImportNotTaken& notTaken, std::ostream& err, MediaWriter& writer) {
    const bool book = IsAddressBook(file);
    if (book == backups) return true;  // address books first, so that every year has their names
    BackupReadResult read;
    const auto sink = [&](BackupMessage& m) { years.Offer(m); };
    int code = 0;
    if (!Attempt("import", file, err, [&] {
            if (book) return ImportVCardFile(names, file);
            return Refused(code = ReadBackupFile(file, sink, read, {}, &writer), file, err) ? 0 : code;
        }) ||
        code == NotValidFileCode || code == EncryptedBackupCode)
        return false;
    SmsBackupReport passedOver;
    passedOver.Read = read;
    notTaken += NotTakenOf(passedOver);
    return !Damaged(file, read, err);
}

// The year files an input could be: those DIR holds, and DIR/NAME for an input named as one.
std::vector<std::string> YearFilesOf(const std::string& dir, const std::vector<std::string>& inputs) {
    const auto yearName = [](const std::string& name) {
        return name.size() == 8 && name.ends_with(".kst") &&
               std::all_of(name.begin(), name.begin() + 4, [](char c) { return c >= '0' && c <= '9'; });
    };
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (yearName(it->path().filename().string())) files.push_back(it->path().string());
    for (const std::string& in : inputs)
        if (const std::string name = std::filesystem::path(in).filename().string(); yearName(name))
            files.push_back((std::filesystem::path(dir) / name).string());
    return files;
}

// --split-by-year: every file must be a phone backup or an address book read whole, else
// nothing is written.
int RunSplitByYear(const ImportArguments& a, MsgStore& names, bool inputFailed, std::ostream& out,
                   std::ostream& err) {
    BackupYearSplit years(names);
    ImportNotTaken notTaken;
    std::error_code made;
    const bool existed = std::filesystem::is_directory(a.SplitDir, made);
    std::filesystem::create_directories(a.SplitDir, made);  // the folder and its parents
    if (made) {
        err << "kestro-cli: cannot create the folder " << a.SplitDir << ": " << made.message() << '\n';
        return 1;
    }
    // The media are read into a folder of their own there, and shared out by year.
    const std::string spool = (std::filesystem::path(a.SplitDir) / ".import.media").string();
    struct SpoolGoes {
        const std::string& Folder;
        ~SpoolGoes() {
            std::error_code ignored;
            std::filesystem::remove_all(Folder, ignored);
        }
    } spoolGoes{spool};
    MediaWriter writer(spool);
    try {
        for (const bool backups : {false, true})
            for (const std::string& file : a.Files)
                if (!ReadIntoYears(years, names, file, backups, notTaken, err, writer)) inputFailed = true;
    } catch (const IoError& e) {  // writing a medium failed
        err << "kestro-cli: cannot write " << (e.Path().empty() ? spool : e.Path()) << ": " << e.what() << '\n';
        inputFailed = true;
    }
    PrintNotTaken(notTaken, err);
    if (inputFailed) {
        writer.RemoveAll();
        if (!existed) std::filesystem::remove(a.SplitDir, made);  // only when empty
        err << "kestro-cli: nothing written to " << a.SplitDir << ", since an input could not be read\n";
        return 1;
    }
    FinishImportOptions finish;
    finish.UseHistory = !a.NoHistory;
    finish.RemoveDups = !a.KeepDuplicates;
    std::vector<YearFile> written;
    bool done = false;
    try {
        years.Write(YearWriting{a.SplitDir, finish, a.Country, {}, {}, spool}, written);  // --country as for -o
        done = true;
    } catch (const IoError& e) {
        const std::string file = e.Path().empty() ? a.SplitDir : e.Path();
        if (e.what() == BeingSavedReason)
            err << "kestro-cli: " << file << ' ' << e.what() << '\n';
        else
            err << "kestro-cli: cannot write " << file << ": " << e.what() << '\n';
    } catch (const std::bad_alloc&) {
        err << "kestro-cli: cannot write into " << a.SplitDir << ": " << FileErrorReason(OutOfMemoryCode) << '\n';
    }
    for (const YearFile& y : written) {
        out << y.Path << ": " << y.Messages << " messages";
        if (y.OlderLeftOut > 0)
            out << ", " << y.OlderLeftOut << " older messages left out: a year holds at most " << MaxMessages;
        out << '\n';
    }
    if (!done) {
        err << "kestro-cli: written before the error: ";
        if (written.empty()) err << "none";
        for (std::size_t i = 0; i < written.size(); ++i) err << (i ? ", " : "") << written[i].Path;
        err << '\n';
        return 1;
    }
    if (const std::int64_t older = years.OlderLeftOut(); older > 0)
        err << "kestro-cli: " << older << " older messages not imported: a year had more than " << MaxMessages
            << " messages\n";
    return 0;
}

// The files a failed run leaves as they were, for the message that says so.
std::string Unchanged(const ImportArguments& a) {
    std::string files;
    for (const std::string* f : {&a.Output, &a.History}) {
        if (f->empty()) continue;
        if (!files.empty()) files += " and ";
        files += *f;
    }
    return files;
}
}  // namespace

int RunImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ImportArguments a;
    if (!ParseArguments(args, a, err)) return 2;
    // No output is one of the inputs: refused before anything is read.
    std::vector<std::string> inputs = a.Files;
    if (!a.History.empty()) inputs.push_back(a.History);
    const std::vector<std::string> outputs =
        !a.SplitDir.empty() ? YearFilesOf(a.SplitDir, inputs) : a.Output.empty() ? std::vector<std::string>{} : std::vector<std::string>{a.Output};
    if (!OutputsAreNotInputs(inputs, outputs, err) ||
        (!a.History.empty() && a.SplitDir.empty() && !OutputsAreNotInputs(a.Files, {a.History}, err)))
        return 2;
    MsgStore S;
    DefaultsType D;
    // Any input that cannot be read completely (an export, or the history that the run
    // would replace) fails the run: then nothing the user had is written over.
    bool inputFailed = false;
    std::error_code ec;
    if (!a.History.empty() && (std::filesystem::exists(a.History, ec) || ec) &&
        !Attempt("read", a.History, err, [&] { return ReadHistory(S, a.History); }))
        inputFailed = true;
    if (S.HistoryIncomplete && !inputFailed) {
        err << "kestro-cli: cannot read " << a.History << ": its entry count is not one Kestro writes\n";
        inputFailed = true;
    }
    if (!a.SplitDir.empty()) return RunSplitByYear(a, S, inputFailed, out, err);
    ImportNotTaken notTaken;
    D.HomeCountry = a.Country;  // none: the locale's
    S.Book.HomeCountry = EffectiveHomeCountry(D.HomeCountry);  // the backups' numbers are read as its
    // The media go beside the data file written; without one, nowhere.
    MediaIndex media(a.Output.empty() ? std::string() : MediaFolderOf(a.Output));
    std::unique_ptr<MediaWriter> writer;
    if (!a.Output.empty()) writer = std::make_unique<MediaWriter>(media.Folder());
    for (const std::string& file : a.Files)
        if (!ImportInput(S, file, notTaken, err, writer.get(), writer ? &media : nullptr)) inputFailed = true;

    FinishImportOptions finish;
    finish.UseHistory = !a.NoHistory;
    finish.RemoveDups = !a.KeepDuplicates;
    const FinishImportResult result = FinishImport(S, D, finish);
    FollowInternationalForms(media, S.Book.HomeCountry);
    result.AddTo(notTaken);
    PrintNotTaken(notTaken, err);
    int status = 0;
    if (inputFailed) {
        status = 1;
        if (const std::string files = Unchanged(a); !files.empty())
            err << "kestro-cli: " << files << " not written, since an input could not be read\n";
    } else {
        if (!a.History.empty() && !Attempt("write", a.History, err, [&] { return WriteHistory(S, a.History); }))
            status = 1;
        if (!a.Output.empty() && !Attempt("write", a.Output, err, [&] { return WriteDataFile(S, a.Output); }))
            status = 1;
        else if (writer && !Attempt("write", media.Folder(), err, [&] {
                                media.Save(S);
                                return 0;
                            }))
            status = 1;
    }
    if (writer && status != 0) writer->RemoveAll();

    CountMessages(S);
    WriteMessageLines(out, S);
    // The address books' lines, each ending in a line feed here.
    for (const char c : TakeAddressBookReport(S.Book))
        if (c != '\r') out << c;
    out << ImportReportLine(S, result.Blocked) << '\n';
    return status;
}

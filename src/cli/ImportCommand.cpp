// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ImportCommand.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <new>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "Formats/BackupYearSplit.h"
#include "MBVars/ImportFile.h"
#include "MBVars/LoadSequences.h"
#include "Formats/NumberMatch.h"
#include "OFuncs/IoError.h"
#include "cli/Listing.h"

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
    err << "kestro-cli: cannot " << what << ' ' << file << ": " << reason << '\n';
    return false;
}

// What a backup passed over or changed, one line each.
void WriteBackupNotes(const std::string& file, const BackupReadResult& read, std::ostream& err) {
    if (read.BadDates > 0)
        err << "kestro-cli: " << file << ": " << read.BadDates << " messages with a date that is not a date passed over\n";
    if (read.TextsCut > 0) err << "kestro-cli: " << file << ": " << read.TextsCut << " texts cut to 16,383 bytes\n";
}

// Imports one file; false when it could not be read completely (a damaged backup too, after
// its messages before the damage were added).
bool ImportInput(MsgStore& S, const std::string& file, std::ostream& err) {
    ImportFileReport report;
    if (!Attempt("import", file, err, [&] { return ImportFile(S, file, report); })) return false;
    if (!report.Backup) return true;
    const SmsBackupReport& backup = report.BackupReport;
    if (backup.OlderNotImported > 0)
        err << "kestro-cli: " << file << ": " << backup.OlderNotImported
            << " older messages not imported: the collection is full (" << MaxMessages << " messages)\n";
    WriteBackupNotes(file, backup.Read, err);
    if (backup.Read.End != BackupEnd::Damaged) return true;
    err << "kestro-cli: cannot import " << file << ": damaged at line " << backup.Read.Line << " ("
        << backup.Read.Reason << ")\n";
    return false;
}

// Reads one backup into the years; false when it is no backup or could not be read completely.
bool ReadIntoYears(BackupYearSplit& years, const std::string& file, std::ostream& err) {
    BackupReadResult read;
    const auto sink = [&](BackupMessage& m) { years.Offer(m); };
    if (!Attempt("import", file, err, [&] {
            if (!LooksLikeXmlFile(file)) return NotValidFileCode;
            const int code = ReadSmsBackupFile(file, sink, read);
            return code ? code : read.End == BackupEnd::NotBackup ? NotValidFileCode : 0;
        }))
        return false;
    WriteBackupNotes(file, read, err);
    if (read.End != BackupEnd::Damaged) return true;
    err << "kestro-cli: cannot import " << file << ": damaged at line " << read.Line << " (" << read.Reason << ")\n";
    return false;
}

// --split-by-year: every file must be a phone backup read whole, else nothing is written.
int RunSplitByYear(const ImportArguments& a, const MsgStore& names, bool inputFailed, std::ostream& out,
                   std::ostream& err) {
    BackupYearSplit years(names);
    for (const std::string& file : a.Files)
        if (!ReadIntoYears(years, file, err)) inputFailed = true;
    if (inputFailed) {
        err << "kestro-cli: nothing written to " << a.SplitDir << ", since an input could not be read\n";
        return 1;
    }
    FinishImportOptions finish;
    finish.UseHistory = !a.NoHistory;
    finish.RemoveDups = !a.KeepDuplicates;
    std::vector<YearFile> written;
    if (!Attempt("write into", a.SplitDir, err, [&] {
            years.Write(YearWriting{a.SplitDir, finish, a.Country, {}, {}}, written);  // --country as for -o
            return 0;
        }))
        return 1;
    for (const YearFile& y : written) out << y.Path << ": " << y.Messages << " messages\n";
    if (const std::int64_t older = years.OlderLeftOut(); older > 0)
        out << older << " older messages not imported: a year had more than " << MaxMessages << " messages\n";
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
    for (const std::string& file : a.Files)
        if (!ImportInput(S, file, err)) inputFailed = true;

    FinishImportOptions finish;
    D.HomeCountry = a.Country;  // none: the locale's
    finish.UseHistory = !a.NoHistory;
    finish.RemoveDups = !a.KeepDuplicates;
    const FinishImportResult result = FinishImport(S, D, finish);
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
    }

    CountMessages(S);
    WriteMessageLines(out, S);
    // The address books' lines, each ending in a line feed here.
    for (const char c : TakeAddressBookReport(S.Book))
        if (c != '\r') out << c;
    out << ImportReportLine(S, result.Blocked) << '\n';
    return status;
}

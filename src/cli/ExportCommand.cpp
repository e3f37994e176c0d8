// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ExportCommand.h"

#include <filesystem>
#include <new>

#include "MBVars/People.h"
#include "MBVars/ActivityCounts.h"
#include "Formats/CsvExport.h"
#include "Formats/ExportScope.h"
#include "Formats/HtmlExport.h"
#include "MBVars/LoadSequences.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/IoError.h"
#include "cli/Output.h"

namespace {
struct ExportArguments {
    std::string File, Format, Output, Contact, Search, Country;
    std::uint16_t Directions = ViewAll;
};

bool ParseArguments(const std::vector<std::string>& args, ExportArguments& a, std::ostream& err, bool pdf) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* value = arg == "--format"    ? &a.Format
                             : arg == "-o"        ? &a.Output
                             : arg == "--contact" ? &a.Contact
                             : arg == "--search"  ? &a.Search
                             : arg == "--country" ? &a.Country
                                                  : nullptr;
        if (value) {
            if (i + 1 == args.size()) {
                err << "kestro-cli: " << arg << " needs a value\n";
                return false;
            }
            *value = args[++i];
        } else if (arg == "--sent" || arg == "--received") {
            const std::uint16_t wanted = arg == "--sent" ? ViewSent : ViewReceived;
            if (a.Directions != ViewAll && a.Directions != wanted) {
                err << "kestro-cli: --sent and --received exclude each other\n";
                return false;
            }
            a.Directions = wanted;
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "kestro-cli: unknown option " << arg << '\n';
            return false;
        } else if (a.File.empty()) {
            a.File = arg;
        } else {
            err << "kestro-cli: export takes one data file\n";
            return false;
        }
    }
    if (a.File.empty()) err << "kestro-cli: export needs a data file\n";
    const bool known = a.Format == "csv" || a.Format == "html" || (pdf && a.Format == "pdf");
    if (!pdf && a.Format == "pdf")
        err << "kestro-cli: --format pdf needs a kestro-cli built with Qt (KESTRO_ENGINE_ONLY off)\n";
    else if (!known)
        err << (pdf ? "kestro-cli: --format must be csv, html or pdf\n" : "kestro-cli: --format must be csv or html\n");
    return !a.File.empty() && known;
}
}  // namespace

int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const PdfMaker& pdf) {
    ExportArguments a;
    if (!ParseArguments(args, a, err, static_cast<bool>(pdf))) return 2;
    if (!a.Output.empty() && !OutputsAreNotInputs({a.File}, {a.Output}, err)) return 2;
    MsgStore S;
    DefaultsType D;
    D.HomeCountry = a.Country;  // whose national numbers are forms of the contact's; none: the locale's
    std::string reason;
    try {
        if (const int code = OpenCollection(S, D, a.File)) reason = FileErrorReason(code);
    } catch (const IoError& e) {
        reason = e.what();
    } catch (const std::bad_alloc&) {
        reason = FileErrorReason(OutOfMemoryCode);
    }
    if (!reason.empty()) {
        err << "kestro-cli: cannot read " << a.File << ": " << reason << '\n';
        return 1;
    }
    const std::string contactPhone = StoredFromUtf8(a.Contact);
    ExportScope scope;
    scope.Directions = a.Directions;
    scope.Search = a.Search;
    if (!a.Contact.empty()) {
        const Person person = PersonOfPhone(S, contactPhone);
        scope.Contact = DisplayUtf8(person.Messages.empty() ? contactPhone : person.Name);
    }
    const std::vector<std::int32_t> rows = PickExportRows(S, scope, contactPhone);
    const ExportLook look{ExportTitle(scope), std::filesystem::path(a.File).filename().string()};
    const std::string bytes = a.Format == "csv"    ? CsvExport(S, rows)
                              : a.Format == "html" ? HtmlExport(S, rows, look)
                                                   : pdf(S, rows, look);
    if (a.Output.empty()) {
        out << bytes;
        return out ? 0 : 1;
    }
    try {
        WriteExportFile(a.Output, bytes);
    } catch (const IoError& e) {
        err << "kestro-cli: " << e.Text("write", a.Output) << '\n';
        return 1;
    }
    return 0;
}

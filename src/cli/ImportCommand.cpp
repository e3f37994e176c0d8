#include "cli/ImportCommand.h"

#include <cstring>

#include "MBVars/Import.h"
#include "MBVars/Ordering.h"
#include "OFuncs/IoError.h"
#include "cli/Listing.h"

namespace {
// True when the file was read; otherwise tells why on `err`.
bool ImportOne(MsgStore& S, const std::string& file, std::ostream& err) {
    std::string reason;
    try {
        if (const int code = ImportCsvFile(S, file)) reason = std::strerror(code);
    } catch (const IoError& e) {
        reason = e.what();
    }
    if (reason.empty()) return true;
    err << "kestro-cli: cannot import " << file << ": " << reason << '\n';
    return false;
}
}  // namespace

int RunImportCommand(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    MsgStore S;
    DefaultsType D;
    int status = 0;
    for (const std::string& file : files)
        if (!ImportOne(S, file, err)) status = 1;
    SortMessages(S, D, 1, 0);
    BuildView(S, ViewEverything);
    Renumber(S);
    CountMessages(S);
    WriteMessageLines(out, S);
    out << MessageCountLine(S) << '\n';
    return status;
}

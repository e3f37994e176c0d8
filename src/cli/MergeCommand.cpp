// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/MergeCommand.h"

#include <new>

#include "Formats/BackupMerge.h"
#include "OFuncs/IoError.h"

int RunMergeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> inputs;
    std::string output;
    MergeOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o") {
            if (i + 1 == args.size()) {
                err << "kestro-cli: -o needs a file name\n";
                return 2;
            }
            output = args[++i];
        } else if (a == "--skip-damaged") {
            options.SkipDamaged = true;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "kestro-cli: unknown option " << a << '\n';
            return 2;
        } else {
            inputs.push_back(a);
        }
    }
    if (inputs.empty() || output.empty()) {
        err << "kestro-cli: merge needs at least one backup and -o MERGED.xml\n";
        return 2;
    }
    MergeResult result;
    try {
        result = MergeBackups(inputs, output, options);
    } catch (const IoError& e) {
        err << "kestro-cli: " << e.Text("write", output) << "; nothing was written\n";
        return 1;
    } catch (const std::bad_alloc&) {
        err << "kestro-cli: " << FileErrorReason(OutOfMemoryCode) << "; nothing was written\n";
        return 1;
    }
    const std::vector<std::string> lines = MergeReportLines(result, output);
    std::ostream& to = result.End == MergeEnd::Written ? out : err;
    for (const std::string& line : lines) to << (&to == &err ? "kestro-cli: " : "") << line << '\n';
    if (result.End == MergeEnd::Damaged) err << "kestro-cli: --skip-damaged takes what can be read of it\n";
    return result.End == MergeEnd::Written ? 0 : 1;
}

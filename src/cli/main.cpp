// SPDX-License-Identifier: GPL-3.0-or-later
// kestro-cli: the headless companion of Kestro.
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "MBVars/Version.h"
#include "cli/CollectionCommands.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "cli/Output.h"
#include "cli/MergeCommand.h"
#include "OFuncs/IoError.h"
#ifdef KESTRO_CLI_PDF
#include "cli/PdfOnDemand.h"
#endif

namespace {
#ifdef KESTRO_CLI_PDF
const PdfMaker Pdf = PdfExportOnDemand;  // Qt is loaded only for it
const char* const ExportFormats = "csv|html|pdf";
#else
const PdfMaker Pdf;  // an engine-only build paints no pages
const char* const ExportFormats = "csv|html";
#endif

void PrintUsage(std::ostream& out) {
    out << "usage: kestro-cli import FILE... [-o OUT.kst] [--history FILE.hst] [--keep-duplicates] "
           "[--no-history] [--country CC]\n"
           "       kestro-cli import --split-by-year DIR BACKUP.xml... [--history FILE.hst]\n"
           "       kestro-cli merge BACKUP.xml... -o MERGED.xml [--skip-damaged]\n"
           "       kestro-cli dump FILE.kst\n"
           "       kestro-cli summary FILE.kst\n"
           "       kestro-cli activity FILE.kst [--by month|weekday|hour] [--contact PHONE] [--country CC]\n"
           "       kestro-cli samples DIR\n"
           "       kestro-cli export FILE.kst --format "
        << ExportFormats
        << " [-o OUT] [--contact PHONE] [--country CC] [--search TEXT] "
           "[--sent|--received]\n"
           "       kestro-cli --help | --version\n";
}

int Usage() {
    PrintUsage(std::cerr);
    return 2;
}

std::string ProgramDir() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
}

int RunCommand(int argc, char** argv, std::ostream& out) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        PrintUsage(out);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        out << "kestro-cli " << ProgramVersion << '\n';
        return 0;
    }
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "import") return RunImportCommand(args, out, std::cerr);
    if (command == "activity") return RunActivityCommand(args, out, std::cerr);
    if (command == "export") return RunExportCommand(args, out, std::cerr, Pdf);
    if (command == "merge") return RunMergeCommand(args, out, std::cerr);
    if (args.size() != 1) return Usage();
    if (command == "dump") return RunDumpCommand(args[0], out, std::cerr);
    if (command == "summary") return RunSummaryCommand(args[0], out, std::cerr);
    if (command == "samples") return RunSamplesCommand(args[0], ProgramDir(), out, std::cerr);
    return Usage();
}
}  // namespace

int main(int argc, char** argv) {
    // Standard output whose every write is checked: a full disk or a closed pipe is said
    // and fails the command.
    CheckedOutput buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    // What no command caught: said in words, never an abort.
    try {
        return CheckOutput(out, buffer, RunCommand(argc, argv, out), std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "kestro-cli: " << FileErrorReason(OutOfMemoryCode) << '\n';
    } catch (const IoError& e) {
        std::cerr << "kestro-cli: " << (e.Path().empty() ? std::string() : e.Path() + ": ") << e.what() << '\n';
    }
    return 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CollectionCommands.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <random>

#include "Lang/LocaleInfo.h"
#include "MBVars/ActivityCounts.h"
#include "Lang/HomeCountry.h"
#include "MBVars/Contacts.h"
#include "MBVars/People.h"
#include "MBVars/DataFile.h"
#include "MBVars/Samples.h"
#include "MBVars/Stats.h"
#include "OFuncs/IoError.h"
#include "OFuncs/TextOps.h"
#include "cli/Listing.h"

namespace {
// Reads a data file into the fresh store; false, with the reason on `err`, when it cannot.
bool Load(MsgStore& S, const std::string& file, std::ostream& err) {
    std::string reason;
    try {
        if (const int code = ReadDataFile(S, file)) reason = FileErrorReason(code);
    } catch (const IoError& e) {
        reason = e.what();
    } catch (const std::bad_alloc&) {
        reason = FileErrorReason(OutOfMemoryCode);
    }
    if (reason.empty()) return true;
    err << "kestro-cli: cannot read " << file << ": " << reason << '\n';
    return false;
}
}  // namespace

int RunDumpCommand(const std::string& file, std::ostream& out, std::ostream& err) {
    MsgStore S;
    if (!Load(S, file, err)) return 1;
    CountMessages(S);
    WriteMessageLines(out, S);
    out << MessageCountLine(S) << '\n';
    return 0;
}

int RunSummaryCommand(const std::string& file, std::ostream& out, std::ostream& err) {
    MsgStore S;
    if (!Load(S, file, err)) return 1;
    ActivityTotals totals;
    ComputeActivity(S, {}, totals);
    LocaleInfo locale = LocaleInfo::English();
    locale.ShortDateFormat = "yyyy.mm.dd";
    // The box's CR LF line ends become the terminal's.
    out << ReplaceAll("\r\n", "\n", ActivitySummaryText(totals, locale)) << '\n';
    return 0;
}

int RunSamplesCommand(const std::string& folder, const std::string& programDir, std::ostream& out,
                      std::ostream& err) {
    const std::string wordList = FindWordList(programDir);
    std::error_code made;
    std::filesystem::create_directories(folder, made);  // the folder and its parents
    if (made) {
        err << "kestro-cli: cannot create the folder " << folder << ": " << made.message() << '\n';
        return 1;
    }
    std::mt19937 rng(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::string list;
    try {
        list = WriteSampleFiles(folder + "/sample", wordList, LocalTimeNow(), rng);
    } catch (const IoError& e) {
        err << "kestro-cli: cannot write " << (e.Path().empty() ? folder : e.Path()) << ": " << e.what() << '\n';
        return 1;
    }
    if (list.empty()) {
        err << "kestro-cli: cannot read the word list " << wordList << '\n';
        return 1;
    }
    out << ReplaceAll("\r\n", "\n", list);
    return 0;
}

int RunActivityCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto usage = [&err] {
        err << "usage: kestro-cli activity FILE.kst [--by month|weekday|hour] [--contact PHONE] [--country CC]\n";
        return 2;
    };
    std::string file;
    ActivityPeriod period = ActivityPeriod::Month;
    std::optional<std::string> phone;
    std::string country;  // whose national numbers are forms of the contact's; none: the locale's
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--by" && hasValue) {
            const auto named = ActivityPeriodNamed(args[++i]);
            if (!named) {
                err << "kestro-cli: --by takes month, weekday or hour, not " << args[i] << '\n';
                return 2;
            }
            period = *named;
        } else if (args[i] == "--contact" && hasValue) {
            phone = args[++i];
        } else if (args[i] == "--country" && hasValue) {
            country = args[++i];
        } else if (file.empty() && !args[i].starts_with("--")) {
            file = args[i];
        } else {
            return usage();
        }
    }
    if (file.empty()) return usage();
    MsgStore S;
    if (!Load(S, file, err)) return 1;
    S.Book.HomeCountry = EffectiveHomeCountry(country);
    ActivityContact contact;
    if (phone) {
        // The person of the number, as the export by contact and the conversation pane count them.
        contact = ActivityContact{ActivityContact::ByPerson, *phone};
        if (PersonOfPhone(S, *phone).Messages.empty()) {
            err << "kestro-cli: " << file << " holds no message of " << *phone << '\n';
            return 1;
        }
    }
    const ActivityCounts counts = CountActivity(S, period, contact);
    out << ActivityTable(counts);
    if (counts.Malformed > 0)
        err << "kestro-cli: " << file << ": " << counts.Malformed
            << (counts.Malformed == 1 ? " message" : " messages") << " left out: the time is not a valid date\n";
    return 0;
}
